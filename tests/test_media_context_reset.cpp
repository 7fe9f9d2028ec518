// Without Qt::AA_ShareOpenGLContexts (the program does not set it: it would start OpenGL before the window
// shows), the video moves into the full-screen window and back; should its OpenGL context be rebuilt on the
// way (QOpenGLContext::aboutToBeDestroyed), the component frees libmpv's render context in time and makes a
// new one. Either way the video must come back, not stay black, and go on from where it was.

#include "media/full_screen_window.h"
#include "media/media_controls.h"
#include "engine/media_engine.h"
#include "media/media_player.h"
#include "media/video_view.h"
#include "support/pixels.h"
#include "support/test_main.h"
#include "support/test_media.h"

#include <QOpenGLContext>
#include <QSignalSpy>
#include <memory>

class MediaContextResetTest : public QObject {
    Q_OBJECT
  private slots:
    void videoComesBackAfterTheContextIsRebuilt_data();
    void videoComesBackAfterTheContextIsRebuilt();

  private:
    TestMedia media_;
};

void MediaContextResetTest::videoComesBackAfterTheContextIsRebuilt_data() {
    QTest::addColumn<bool>("withSound");
    QTest::newRow("video only") << false;     // the core ends such a file when its video goes
    QTest::newRow("video and sound") << true; // the sound would play on alone
}

void MediaContextResetTest::videoComesBackAfterTheContextIsRebuilt() {
    QFETCH(bool, withSound);
    QVERIFY(!QCoreApplication::testAttribute(Qt::AA_ShareOpenGLContexts));
    auto host = std::make_unique<QWidget>();
    host->setGeometry(40, 40, 592, 504);
    auto* player = new MediaPlayer(host.get());
    player->setGeometry(12, 12, 553, 289);
    host->show();
    QVERIFY(QTest::qWaitForWindowExposed(host.get()));
    player->setURL(withSound ? media_.video(6) : media_.silentVideo(6));
    QTRY_COMPARE_WITH_TIMEOUT(player->playState(), 3, 10000);
    QSignalSpy changes(player, &MediaPlayer::PlayStateChange);
    VideoView* video = player->videoView();
    QTRY_VERIFY(litShare(video->grabFramebuffer()) > 0.05);
    QTRY_VERIFY(player->currentPosition() > 0.6);

    for (int round = 0; round < 2; ++round) {
        player->setFullScreen(true);
        QTRY_COMPARE(video->window(), player->fullScreenWindow());
        QTRY_VERIFY(video->hasRenderContext());
        QTRY_VERIFY_WITH_TIMEOUT(litShare(video->grabFramebuffer()) > 0.05, 5000);

        player->setFullScreen(false);
        QTRY_COMPARE(video->window(), host.get());
        QTRY_VERIFY(video->hasRenderContext());
        QTRY_VERIFY_WITH_TIMEOUT(litShare(video->grabFramebuffer()) > 0.05, 5000);
        QCOMPARE(player->playState(), round == 0 ? 3 : 2);
        player->controls()->pause(); // the second round goes while paused
    }
    // The rebuilt contexts showed in no state change: only the pause.
    QCOMPARE(changes.count(), 1);
    QCOMPARE(changes.first().at(0).toInt(), 2);
    QVERIFY(player->currentPosition() > 0.6); // it went on from where it was, not from the start
    host.reset();                             // teardown with a rebuilt context
}

TOLVANE_TEST_MAIN_UNSHARED_GL(MediaContextResetTest)
#include "test_media_context_reset.moc"
