// The pause picture and the two full-screen handlers of the player window, with the real pointer on real
// playback.
#include "toolkit/file_list.h"
#include "toolkit/picture.h"
#include "app/window_registry.h"
#include "media/full_screen_window.h"
#include "media/media_controls.h"
#include "media/media_player.h"
#include "player/player_window.h"
#include "media/video_view.h"
#include "support/real_pointer.h"
#include "support/test_main.h"
#include "support/test_media.h"
#include <QMessageBox>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>

namespace {

constexpr int kStartTimeout = 10000;

// What must come back unchanged after full screen.
struct WindowState {
    QRect geometry, frame, player, video;
    bool plain, lit;
    QWidget* focus;
    QWidget* active;
    QWidget* videoWindow;
    static WindowState of(frm* w) {
        MediaPlayer* mp = w->WindowsMediaPlayer1;
        return {w->geometry(),
                w->frameGeometry(),
                mp->geometry(),
                mp->videoView()->geometry(),
                w->Image1->isVisible(),
                w->Image2->isVisible(),
                QApplication::focusWidget(),
                QApplication::activeWindow(),
                mp->videoView()->window()};
    }
    bool operator==(const WindowState&) const = default;
};

QString describe(const WindowState& s) {
    auto rect = [](const QRect& r) {
        return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    };
    return QStringLiteral(
               "geometry %1 frame %2 player %3 video %4 plain %5 lit %6 focus %7 active %8 videoWindow %9")
        .arg(rect(s.geometry), rect(s.frame), rect(s.player), rect(s.video))
        .arg(s.plain)
        .arg(s.lit)
        .arg(s.focus ? s.focus->objectName() + "/" + s.focus->metaObject()->className() : "none")
        .arg(s.active ? s.active->objectName() : "none")
        .arg(s.videoWindow ? s.videoWindow->metaObject()->className() : "none");
}

} // namespace

class PauseFullScreenTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void init();
    void cleanup();

    void pauseBeforeAnyFileIsAccepted();
    void pauseWhilePlayingThenWhilePaused();
    void buttonUpFollowsThePlayState();
    void doubleClickAlwaysLeavesFullScreen();
    void doubleClickWhilePlayingEndsWhereTheLastEventPutIt();
    void windowComesBackExactlyAfterFullScreen();

  private:
    void play(); // plays the long clip and waits until it runs
    // Moves the real pointer to a point of the client area and waits until the window saw it.
    void pointTo(QPoint clientPoint);
    void clickVideo();

    TestMedia media_;
    frm* w = nullptr;
    std::unique_ptr<QSignalSpy> moves;
};

void PauseFullScreenTest::initTestCase() {
    QVERIFY2(media_.isValid(), "ffmpeg is needed to make the test media");
    QVERIFY(QFileInfo(media_.silentVideo(20)).size() > 0);
}

void PauseFullScreenTest::init() {
    w = qobject_cast<frm*>(windows().frm.get());
    showWindow(windows().frm);
    QVERIFY(QTest::qWaitForWindowActive(w));
}

void PauseFullScreenTest::cleanup() {
    // Qt drops a motion to the place it last saw the pointer; leave it somewhere no case starts from.
    if (!w->WindowsMediaPlayer1->fullScreen())
        pointTo({2, 2});
    QPointer<QWidget> window = w;
    window->close();
    QTRY_VERIFY(window.isNull());
    w = nullptr;
}

void PauseFullScreenTest::play() {
    w->WindowsMediaPlayer1->setURL(media_.silentVideo(20));
    QTRY_COMPARE_WITH_TIMEOUT(w->WindowsMediaPlayer1->playState(), 3, kStartTimeout);
}

void PauseFullScreenTest::pointTo(QPoint clientPoint) {
    int seen = 0;
    QMetaObject::Connection a = connect(w->Image1, &Picture::mouseMoved, this, [&] { ++seen; });
    QMetaObject::Connection b = connect(w->Image2, &Picture::mouseMoved, this, [&] { ++seen; });
    QMetaObject::Connection c = connect(w->client(), &ClientArea::bareMouseMove, this, [&] { ++seen; });
    real_pointer::moveTo(w->client()->mapToGlobal(clientPoint));
    QTRY_VERIFY_WITH_TIMEOUT(seen > 0, 3000);
    disconnect(a);
    disconnect(b);
    disconnect(c);
}

void PauseFullScreenTest::clickVideo() {
    VideoView* video = w->WindowsMediaPlayer1->videoView();
    real_pointer::moveTo(video->mapToGlobal(video->rect().center()));
    real_pointer::click();
}

void PauseFullScreenTest::pauseBeforeAnyFileIsAccepted() {
    MediaPlayer* mp = w->WindowsMediaPlayer1;
    QSignalSpy changes(mp, &MediaPlayer::PlayStateChange);
    QSignalSpy clicks(w->Image2, &Picture::clicked);
    const QPoint picture = w->Image1->geometry().center();
    pointTo(picture); // onto the plain picture: the lit one shows
    QVERIFY(w->Image2->isVisible() && !w->Image1->isVisible());
    bool dialogSeen = false;
    QTimer watch;
    connect(&watch, &QTimer::timeout, this,
            [&] { dialogSeen |= QApplication::activeModalWidget() != nullptr; });
    watch.start(5);
    real_pointer::click();
    QTRY_COMPARE(clicks.count(), 1);
    QTest::qWait(200);
    QVERIFY(!dialogSeen);
    QCOMPARE(mp->playState(), 0);
    QCOMPARE(changes.count(), 0);
    QVERIFY(w->Image2->isVisible() && !w->Image1->isVisible()); // the click swaps nothing
    // Nothing was spoilt: a file chosen now plays.
    play();
}

// The first click pauses, the second leaves it paused: the picture never toggles back to play.
void PauseFullScreenTest::pauseWhilePlayingThenWhilePaused() {
    MediaPlayer* mp = w->WindowsMediaPlayer1;
    play();
    QSignalSpy plainClicks(w->Image1, &Picture::clicked);
    QSignalSpy litClicks(w->Image2, &Picture::clicked);
    const QPoint picture = w->Image1->geometry().center();
    pointTo(picture);
    QVERIFY(w->Image2->isVisible() && !w->Image1->isVisible());
    real_pointer::click();
    QTRY_COMPARE(litClicks.count(), 1);
    QCOMPARE(mp->playState(), 2);
    QVERIFY(w->Image2->isVisible() && !w->Image1->isVisible());
    // The engine pauses on its own thread: a position report already under way may still arrive.
    QTest::qWait(250);
    const double at = mp->currentPosition();
    QTest::qWait(300);
    QCOMPARE(mp->currentPosition(), at);

    pointTo(picture + QPoint(3, 0)); // the lit picture brings the plain one back
    QVERIFY(w->Image1->isVisible() && !w->Image2->isVisible());
    real_pointer::click();
    QTRY_COMPARE(plainClicks.count(), 1);
    QTest::qWait(300);
    QCOMPARE(mp->playState(), 2);
    QCOMPARE(mp->currentPosition(), at);
    QVERIFY(w->Image1->isVisible() && !w->Image2->isVisible());
    QCOMPARE(litClicks.count(), 1);

    // The component's own control resumes it; the picture pauses it again.
    mp->controls()->play();
    QTRY_COMPARE(mp->playState(), 3);
    real_pointer::click();
    QTRY_COMPARE(mp->playState(), 2);
}

void PauseFullScreenTest::buttonUpFollowsThePlayState() {
    MediaPlayer* mp = w->WindowsMediaPlayer1;
    VideoView* video = mp->videoView();
    clickVideo(); // nothing playing: stays in the window
    QTest::qWait(200);
    QCOMPARE(video->window(), w);
    QVERIFY(!mp->fullScreen());

    play();
    clickVideo();
    QTRY_VERIFY(mp->fullScreenWindow() && video->window() == mp->fullScreenWindow());
    QVERIFY(mp->fullScreen());
    QTRY_COMPARE(mp->fullScreenWindow()->geometry(), w->screen()->geometry());
    QTRY_VERIFY(mp->fullScreenWindow()->isVisible());

    clickVideo(); // still playing: stays full
    QTest::qWait(200);
    QCOMPARE(video->window(), mp->fullScreenWindow());

    mp->controls()->pause();
    QCOMPARE(mp->playState(), 2);
    // A click of its own: one within the double-click time would be a double click's second half.
    QTest::qWait(QApplication::doubleClickInterval());
    clickVideo(); // paused: back into the window
    QTRY_COMPARE(video->window(), w);
    QVERIFY(!mp->fullScreen());
    QTRY_VERIFY(!mp->fullScreenWindow()->isVisible());
    QCOMPARE(mp->playState(), 2); // the handler only switches the screen, never the playback
}

// Full screen off on every double click, whatever the state; a double click that finds the window in its
// place changes nothing.
void PauseFullScreenTest::doubleClickAlwaysLeavesFullScreen() {
    MediaPlayer* mp = w->WindowsMediaPlayer1;
    VideoView* video = mp->videoView();
    const WindowState start = WindowState::of(w);
    emit mp->DoubleClick(1, 0, 10, 10);
    QTest::qWait(100);
    QVERIFY(!mp->fullScreen());
    QCOMPARE(WindowState::of(w), start);

    play();
    clickVideo();
    QTRY_COMPARE(video->window(), mp->fullScreenWindow());
    emit mp->DoubleClick(1, 0, 10, 10); // raised while playing
    QVERIFY(!mp->fullScreen());
    QTRY_COMPARE(video->window(), w);
    QCOMPARE(mp->playState(), 3);

    // The user's own double click on the full-screen video while paused.
    clickVideo();
    QTRY_COMPARE(video->window(), mp->fullScreenWindow());
    mp->controls()->pause();
    QSignalSpy doubles(mp, &MediaPlayer::DoubleClick);
    real_pointer::doubleClick();
    QTRY_COMPARE(doubles.count(), 1);
    QTRY_COMPARE(video->window(), w);
    QVERIFY(!mp->fullScreen());
}

// A double click while playing raises button up last (down, up, click, down, double click, up): the video
// ends in full screen, and the window and the component agree on where it is.
void PauseFullScreenTest::doubleClickWhilePlayingEndsWhereTheLastEventPutIt() {
    MediaPlayer* mp = w->WindowsMediaPlayer1;
    VideoView* video = mp->videoView();
    play();
    QSignalSpy doubles(mp, &MediaPlayer::DoubleClick);
    QSignalSpy ups(mp, &MediaPlayer::MouseUp);
    real_pointer::moveTo(video->mapToGlobal(video->rect().center()));
    real_pointer::doubleClick();
    QTRY_COMPARE(ups.count(), 2);
    QCOMPARE(doubles.count(), 1);
    QTest::qWait(300);
    QVERIFY(mp->fullScreen());
    QCOMPARE(video->window(), mp->fullScreenWindow());
    QVERIFY(mp->fullScreenWindow()->isVisible());
    QCOMPARE(mp->playState(), 3);
    // And a pause with a click brings it back in one piece.
    mp->controls()->pause();
    real_pointer::click();
    QTRY_COMPARE(video->window(), w);
    QVERIFY(!mp->fullScreenWindow()->isVisible());
}

// Into full screen and out again: the window's place, size, pictures and focus are as they were.
void PauseFullScreenTest::windowComesBackExactlyAfterFullScreen() {
    MediaPlayer* mp = w->WindowsMediaPlayer1;
    VideoView* video = mp->videoView();
    play();
    pointTo(w->Image1->geometry().center()); // the lit picture shows: not the state a new window has
    QVERIFY(w->Image2->isVisible() && !w->Image1->isVisible());
    // Moved and resized by the user first: not the layout's own values either.
    w->move(w->pos() + QPoint(30, 20));
    w->resize(w->size() + QSize(40, 10));
    QTest::qWait(200);
    real_pointer::moveTo(video->mapToGlobal(video->rect().center()));
    QTest::qWait(100);
    // A press gives the video the focus; what is there just before the switch is what must come back.
    QTest::mousePress(video, Qt::LeftButton, {}, video->rect().center());
    const WindowState before = WindowState::of(w);
    QCOMPARE(before.focus, video);
    QTest::mouseRelease(video, Qt::LeftButton, {}, video->rect().center());
    QTRY_COMPARE(video->window(), mp->fullScreenWindow());
    QTest::qWait(200);
    mp->controls()->pause();
    real_pointer::click(); // the real pointer, on the full-screen video
    QTRY_COMPARE(video->window(), w);
    QTRY_VERIFY(!mp->fullScreenWindow()->isVisible());
    QTRY_COMPARE(QApplication::activeWindow(), w);
    const WindowState after = WindowState::of(w);
    QVERIFY2(after == before, qPrintable(describe(before) + "\n" + describe(after)));

    // The same when the focus was elsewhere in the window and the fullScreen setting was written directly.
    w->File1->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->File1));
    mp->controls()->play();
    const WindowState again = WindowState::of(w);
    mp->setFullScreen(true);
    QTRY_COMPARE(video->window(), mp->fullScreenWindow());
    emit mp->DoubleClick(1, 0, 5, 5);
    QTRY_COMPARE(video->window(), w);
    QTRY_COMPARE(QApplication::activeWindow(), w);
    const WindowState afterAgain = WindowState::of(w);
    QVERIFY2(afterAgain == again, qPrintable(describe(again) + "\n" + describe(afterAgain)));
}

TOLVANE_TEST_MAIN(PauseFullScreenTest)
#include "test_pause_fullscreen.moc"
