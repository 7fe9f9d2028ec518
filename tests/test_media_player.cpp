#include "player/media_player.h"
#include "player/media_controls.h"
#include "player/video_view.h"
#include "support/test_main.h"
#include "support/test_media.h"

class MediaPlayerTest : public QObject {
    Q_OBJECT
  private slots:
    void playsVideo();
  private:
    TestMedia media_;
};

void MediaPlayerTest::playsVideo() {
    QWidget window;
    window.resize(600, 400);
    auto* player = new MediaPlayer(&window);
    player->setGeometry(10, 10, 553, 289);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    player->setURL(media_.video(2));
    QTRY_COMPARE_WITH_TIMEOUT(player->playState(), 3, 10000);
    QTest::qWait(500);
    qDebug() << player->currentPosition() << player->statusText();
    window.grab().save("/tmp/exp/grab.png");
    QProcess::execute("import", {"-window", "root", "/tmp/exp/root.png"});
    player->videoView()->grabFramebuffer().save("/tmp/exp/fb.png");
}

TOLVANE_TEST_MAIN(MediaPlayerTest)
#include "test_media_player.moc"
