// A share that stops answering, met through the real player window and the real engine: a pick there never
// freezes the window, says what it waits for, and gives up within the open bound; a core held by a read that
// does not return is replaced, so a good file picked next plays at once; and once the share is aborted, the
// threads and held cores it kept come back.

#include "engine/mpv_held_core.h"
#include "files/fs_call.h"
#include "media/media_controls.h"
#include "media/video_view.h"
#include "support/child_process.h"
#include "support/pixels.h"
#include "support/process_probe.h"
#include "support/session.h"
#include "support/stalling_share.h"
#include "support/test_main.h"
#include "support/test_media.h"
#include "support/x11_properties.h"
#include "toolkit/error_report.h"

#include <QElapsedTimer>
#include <QMenuBar>
#include <QScopeGuard>
#include <QTemporaryDir>

using namespace session;

namespace {
constexpr int kSettleMs = 15000;
constexpr int kTransitioning = 9;
constexpr int kPlaying = 3;

// True once the process's main thread has ended: it is gone, or a zombie while a thread of it still waits.
bool mainThreadEnded(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray text = stat.readAll();
    return text.mid(text.lastIndexOf(')') + 2, 1) == "Z";
}
} // namespace

class HeldEngineTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void deadShare_data();
    void deadShare();
    void heldCoresAreBounded();
    void leavingDoesNotWait_data();
    void leavingDoesNotWait();
    void noOpenGL_data();
    void noOpenGL();

  private:
    TestMedia media_;
    Heartbeat* heartbeat_ = nullptr;
    int threadsAtRest_ = 0;
};

void HeldEngineTest::initTestCase() {
    heartbeat_ = showPlayerWithHeartbeat();
    QVERIFY(heartbeat_);
    if (isChild())
        return;
    QVERIFY(media_.isValid());
    QVERIFY(QFileInfo(media_.video(30.0)).size() > 0);
    MediaPlayer* component = player()->WindowsMediaPlayer1;
    component->setURL(media_.video(1.0)); // the core, its renderer and their threads as they stay
    QTRY_COMPARE_WITH_TIMEOUT(component->playState(), kPlaying, kSettleMs);
    component->controls()->stop();
    threadsAtRest_ = probe::threads();
}

void HeldEngineTest::deadShare_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<bool>("playsFirst");   // the share's clip plays before the share dies
    QTest::addColumn<bool>("waitsToPlan");  // the pick shows what it waits for
    QTest::addColumn<bool>("answersLater"); // the share comes back while the pick still waits
    QTest::newRow("reads never return") << "read" << false << true << false;
    QTest::newRow("answers late") << "late:3" << false << true << true;
    QTest::newRow("answers late, another pick meanwhile") << "late:3" << false << true << false;
    QTest::newRow("dies while playing") << "dies:2" << true << false << false;
    // Whichever waits, the plan or the core.
    QTest::newRow("dies as it opens") << "dies:0.3" << false << false << false;
}

void HeldEngineTest::deadShare() {
    QFETCH(QString, mode);
    QFETCH(bool, playsFirst);
    QFETCH(bool, waitsToPlan);
    QFETCH(bool, answersLater);
    QTemporaryDir source;
    QVERIFY(QFile::copy(media_.video(30.0), source.filePath("far.mp4")));
    StallingShare share(source.path(), mode);
    REQUIRE_SHARE(share);
    const auto unmount = qScopeGuard([&share] { share.abort(); });
    MediaPlayer* component = player()->WindowsMediaPlayer1;
    const QString far = share.path() + "/far.mp4";
    const QString near = media_.video(1.0);
    heartbeat_->reset();

    component->setURL(far);
    if (waitsToPlan) {
        QCOMPARE(component->playState(), kTransitioning);
        QCOMPARE(component->statusText(), QStringLiteral("Waiting for %1 \u2026").arg(share.path()));
    }
    if (answersLater) {
        QTRY_COMPARE_WITH_TIMEOUT(component->playState(), kPlaying, kSettleMs);
        QCOMPARE(component->URL(), far);
    } else if (playsFirst) {
        QTRY_COMPARE_WITH_TIMEOUT(component->playState(), kPlaying, kSettleMs);
        QTest::qWait(3000); // the share dies, and the core's next read with it
    } else {
        QTest::qWait(500);
    }
    // A good file picked next plays at once, whatever holds the core.
    QElapsedTimer clock;
    clock.start();
    const int held = HeldCore::alive();
    component->setURL(near);
    QTRY_COMPARE_WITH_TIMEOUT(component->playState(), kPlaying, kSettleMs);
    QCOMPARE(component->URL(), near);
    qInfo("the good file played after %lld ms; held cores %d, then %d", clock.elapsed(), held,
          HeldCore::alive());
    QTest::qWait(3000); // a plan that comes late changes nothing
    QCOMPARE(component->URL(), near);
    QVERIFY2(heartbeat_->longestGapMs() < 1000, qPrintable(QString::number(heartbeat_->longestGapMs())));
    qInfo("longest gap on the UI thread: %lld ms", heartbeat_->longestGapMs());

    share.abort();
    QTRY_COMPARE_WITH_TIMEOUT(HeldCore::alive(), 0, kSettleMs);
    QTRY_COMPARE_WITH_TIMEOUT(fsCallsInFlight(), 0, kSettleMs);
    QTRY_VERIFY_WITH_TIMEOUT(probe::threads() <= threadsAtRest_ + 2, kSettleMs);
}

// Each held core keeps its threads and memory until its read returns: past two, a pick is refused with the
// place that holds the engine, and once the shares are aborted everything comes back and plays again.
void HeldEngineTest::heldCoresAreBounded() {
    QTemporaryDir source;
    QVERIFY(QFile::copy(media_.video(30.0), source.filePath("far.mp4")));
    std::vector<std::unique_ptr<StallingShare>> shares;
    const auto unmount = qScopeGuard([&shares] {
        for (const auto& share : shares)
            share->abort();
    });
    MediaPlayer* component = player()->WindowsMediaPlayer1;
    for (int i = 0; i < 3; ++i) {
        shares.push_back(std::make_unique<StallingShare>(source.path(), QStringLiteral("dies:1")));
        REQUIRE_SHARE(*shares.back());
        component->setURL(shares.back()->path() + "/far.mp4");
        QTRY_COMPARE_WITH_TIMEOUT(component->playState(), kPlaying, kSettleMs);
        QTest::qWait(2500); // the share dies under the playing core
    }
    QCOMPARE(HeldCore::alive(), 2);
    const QString near = media_.video(1.0);
    component->setURL(near);
    QVERIFY(waitSettled(component, kSettleMs));
    QCOMPARE(component->playState(), 10);
    QCOMPARE(component->statusText(),
             QStringLiteral("Cannot play %1: the media engine is held by %2, which does not answer")
                 .arg(QFileInfo(near).fileName(), shares.back()->path()));
    for (const auto& share : shares)
        share->abort();
    QTRY_COMPARE_WITH_TIMEOUT(HeldCore::alive(), 0, kSettleMs);
    component->setURL(near);
    QTRY_COMPARE_WITH_TIMEOUT(component->playState(), kPlaying, kSettleMs);
    QTRY_VERIFY_WITH_TIMEOUT(probe::threads() <= threadsAtRest_ + 2, kSettleMs);
}

void HeldEngineTest::leavingDoesNotWait_data() {
    QTest::addColumn<bool>("closeBox"); // else File > Exit and the farewell window
    QTest::newRow("File > Exit") << false;
    QTest::newRow("close box") << true;
}

// The real program, in a child, plays a clip from a share that then dies, so its core is held; leaving
// must not wait for it.
void HeldEngineTest::leavingDoesNotWait() {
    QFETCH(bool, closeBox);
    if (closeBox && !x11::windowManagerRunning())
        QSKIP("the close box is the window manager's: see test_held_engine_metacity");
    QTemporaryDir source;
    QVERIFY(QFile::copy(media_.video(30.0), source.filePath("far.mp4")));
    // Where things stand, from this program's own window over the same names (its list never reads the
    // share, so the share's time starts with the child's pick).
    frm* window = player();
    runHandler([&] { window->Dir1->setPath(source.path()); });
    const QModelIndex row = window->File1->model()->index(rowOf(window->File1, "far.mp4"), 0);
    const QPoint clip = window->File1->viewport()->mapTo(window, window->File1->visualRect(row).center());
    const QPoint fileMenu = window->menuBar()->mapTo(
        window, window->menuBar()->actionGeometry(window->mnfile->menuAction()).center());

    StallingShare share(source.path(), QStringLiteral("dies:2"));
    REQUIRE_SHARE(share);
    const auto unmount = qScopeGuard([&share] { share.abort(); });
    const QString home = QDir::currentPath();
    QVERIFY(QDir::setCurrent(share.path())); // the child starts there
    // In the sanitizer build the leak check runs as the program ends and first stops every thread, which it
    // cannot do to one held in the share's read: the child's own end is timed without it.
    const QByteArray sanitizer = qgetenv("ASAN_OPTIONS");
    qputenv("ASAN_OPTIONS", sanitizer + ":detect_leaks=0");
    PlayerProcess program;
    const bool started = program.start();
    qputenv("ASAN_OPTIONS", sanitizer);
    QDir::setCurrent(home);
    QVERIFY2(started, qPrintable(program.errorOutput()));
    const quint64 main = program.waitForWindow(QStringLiteral("Tolvane URL Media Player"));
    const QPoint origin = program.geometry(main).topLeft();
    program.click(origin + clip);
    QTest::qWait(5000); // it plays, the share dies, and the core's next read never returns

    QElapsedTimer clock;
    if (closeBox) {
        xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(main)});
        clock.start();
        xdotool({QStringLiteral("key"), QStringLiteral("alt+F4")});
    } else {
        program.click(origin + fileMenu);
        QTest::qWait(300);
        xdotool({QStringLiteral("key"), QStringLiteral("Down"), QStringLiteral("Return")});
        const quint64 farewell = program.waitForWindow(QStringLiteral("Arvid"));
        QVERIFY2(farewell != 0, "File > Exit did not show the farewell window");
        clock.start();
        program.click(program.geometry(farewell).center());
    }
    // Its own end: the main thread has left. The kernel reaps the process only once the read the share has
    // taken returns: a thread in such a read cannot be ended from user space, not even by a kill.
    QVERIFY2(QTest::qWaitFor([&] { return mainThreadEnded(program.processId()); }, 5000),
             "the program still runs: it waits for the held core");
    qInfo("the program's main thread ended %lld ms after it was told to", clock.elapsed());
    share.abort();
    QVERIFY(program.waitForExit(5000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
}

// Where no OpenGL context can be made, the video plays through the software path; where OpenGL alone may
// draw, sound plays and a video fails with that reason, each pick trying again. In a child, whose toolkit
// has no OpenGL at all.
void HeldEngineTest::noOpenGL_data() {
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("status");
    QTest::newRow("drawn in software") << QByteArray() << int(kPlaying) << QString();
    QTest::newRow("OpenGL forced") << QByteArray("opengl") << 10
                                   << "Cannot play pattern.mp4: video cannot be shown: no OpenGL";
}

void HeldEngineTest::noOpenGL() {
    QFETCH(QByteArray, output);
    QFETCH(int, state);
    QFETCH(QString, status);
    MediaPlayer* component = player()->WindowsMediaPlayer1;
    if (!isChild()) {
        QTemporaryDir dir;
        QVERIFY(QFile::copy(media_.mp3(3.0), dir.filePath("tone.mp3")));
        QVERIFY(QFile::copy(media_.video(3.0), dir.filePath("pattern.mp4")));
        qputenv("QT_XCB_GL_INTEGRATION", "none");
        qputenv("TOLVANE_VIDEO_OUTPUT", output);
        QByteArray log;
        const int code =
            runChild({}, QStringLiteral("noOpenGL:") + QTest::currentDataTag(), dir.path(), &log);
        qunsetenv("QT_XCB_GL_INTEGRATION");
        qunsetenv("TOLVANE_VIDEO_OUTPUT");
        QVERIFY2(code == 0, log.constData());
        return;
    }
    const QString folder = childDir();
    const QString sound = folder + "/tone.mp3", video = folder + "/pattern.mp4";
    QVERIFY(QFileInfo::exists(sound) && QFileInfo::exists(video));
    for (int round = 0; round < 2; ++round) {
        component->setURL(sound);
        QTRY_COMPARE_WITH_TIMEOUT(component->playState(), kPlaying, kSettleMs);
        component->setURL(video);
        QVERIFY(waitSettled(component, kSettleMs));
        QCOMPARE(component->playState(), state);
        if (!status.isEmpty())
            QCOMPARE(component->statusText(), status);
    }
    if (state == kPlaying) {
        QCOMPARE(component->videoView()->drawingPath(), QStringLiteral("software"));
        QTRY_VERIFY(litShare(component->videoView()->grabFramebuffer()) > 0.05);
    }
}

TOLVANE_TEST_MAIN(HeldEngineTest)
#include "test_held_engine.moc"
