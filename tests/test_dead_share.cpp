// The player window over a share that stops answering (a FUSE share whose listings, statfs or everything
// never return): the window must keep answering, say what it waits for, let the user go elsewhere, hold a
// bounded number of threads however often the user goes back into the share, and leave at once.
#include "engine/media_engine.h"
#include "files/fs_call.h"
#include "list_test_helpers.h"
#include "media/seek_preview.h"
#include "media/seek_slider.h"
#include "media/transport_bar.h"
#include "media/video_view.h"
#include "support/child_process.h"
#include "support/process_probe.h"
#include "support/real_pointer.h"
#include "support/session.h"
#include "support/stalling_share.h"
#include "support/test_main.h"
#include "support/test_media.h"
#include "toolkit/error_report.h"
#include "toolkit/picture.h"
#include <QMenuBar>
#include <QTemporaryDir>
#include <atomic>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

using namespace session;

namespace {

const QString kTitle = QStringLiteral("Tolvane URL Media Player");

// Frees the share's callers when the UI thread has not run for 5 s, so a window stuck on the share fails
// the test instead of holding it till the time-out.
class Watchdog {
  public:
    explicit Watchdog(const StallingShare& share) : abortSwitch_(share.abortSwitch().toLocal8Bit()) {
        QObject::connect(&beat_, &QTimer::timeout, [this] { lastBeat_ = now(); });
        beat_.start(20);
        thread_ = std::thread([this] {
            while (!stop_) {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                if (!fired_ && now() - lastBeat_ > 5000) {
                    fired_ = true;
                    const int fd = ::open(abortSwitch_.constData(), O_WRONLY);
                    if (fd >= 0)
                        (void)!::write(fd, "1", 1), ::close(fd);
                }
            }
        });
    }
    ~Watchdog() {
        stop_ = true;
        thread_.join();
    }
    bool fired() const { return fired_; }

  private:
    static qint64 now() { return QDateTime::currentMSecsSinceEpoch(); }
    QByteArray abortSwitch_;
    QTimer beat_;
    std::atomic<qint64> lastBeat_{now()};
    std::atomic<bool> stop_{false}, fired_{false};
    std::thread thread_;
};

// The threads there are, by name, for a failure's message.
QString threadNames() {
    QString all;
    for (const QString& task : QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm("/proc/self/task/" + task + "/comm");
        comm.open(QIODevice::ReadOnly);
        all += " " + QString::fromUtf8(comm.readAll().trimmed());
    }
    return all;
}

} // namespace

class DeadShareTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void cleanup();
    void windowKeepsAnswering_data();
    void windowKeepsAnswering();
    void exitsAtOnceWaitingOnADeadShare();
    void previewHeldByTheShare();
    void lateAnswerWakesAnIdleEventLoop_data();
    void lateAnswerWakesAnIdleEventLoop();

  private:
    frm* openPlayer();

    TestMedia media_;
    QTemporaryDir tree_;
    QString source_, local_, saved_;
};

// The share mirrors source_: Album/{clip.mp4, Sub/}. local_ is a folder on the local disk.
void DeadShareTest::initTestCase() {
    QVERIFY2(media_.isValid(), "ffmpeg is needed to make the test media");
    QVERIFY(tree_.isValid());
    saved_ = QDir::currentPath();
    const QString base = QFileInfo(tree_.path()).canonicalFilePath();
    source_ = base + "/source";
    local_ = base + "/Local";
    QVERIFY(QDir(base).mkpath("source/Album/Sub") && QDir(base).mkpath("Local"));
    QVERIFY(QFile::copy(media_.silentVideo(12), source_ + "/Album/clip.mp4"));
    QVERIFY(listtest::makeFile(local_, "local.txt"));
}

void DeadShareTest::cleanup() {
    QDir::setCurrent(saved_);
    if (windows().frm.isLoaded()) {
        QPointer<QWidget> window = player();
        window->close();
        QTRY_VERIFY(window.isNull());
    }
}

frm* DeadShareTest::openPlayer() {
    QDir::setCurrent(local_);
    showWindow(windows().frm);
    return QTest::qWaitForWindowExposed(player()) ? player() : nullptr;
}

// What is done on the share is one column: "open folder", or "leave" (open it, then go elsewhere before it
// answers); rows that click a file on it can join these.
void DeadShareTest::windowKeepsAnswering_data() {
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("onShare");
    QTest::addColumn<bool>("answers"); // the share's folder lists in the end
    QTest::addColumn<bool>("giveUp");  // wait till the list says the share does not answer (10 s)
    QTest::newRow("listing never returns") << "list"
                                           << "open folder" << false << true;
    QTest::newRow("statfs never returns") << "statfs"
                                          << "open folder" << true << false;
    QTest::newRow("answers again after 3 s") << "late:3"
                                             << "open folder" << true << false;
    QTest::newRow("dies after 2 s") << "dies:2"
                                    << "open folder" << false << false;
    QTest::newRow("left before it answers") << "late:3"
                                            << "leave" << false << false;
}

void DeadShareTest::windowKeepsAnswering() {
    QFETCH(QString, mode);
    QFETCH(QString, onShare);
    QFETCH(bool, answers);
    QFETCH(bool, giveUp);
    frm* w = openPlayer();
    QVERIFY(w);
    QTRY_COMPARE(w->File1->Path(), local_);
    w->WindowsMediaPlayer1->prepare(); // its threads, and the session bus's, come in the baseline
    QTest::qWait(500);
    const int threadsBefore = probe::threads();
    const qint64 memoryBefore = residentKiB();
    StallingShare share(source_, mode);
    REQUIRE_SHARE(share);
    Watchdog watchdog(share);
    const QString album = share.path() + "/Album";
    if (mode.startsWith("dies")) { // its clock starts at the first read of a file
        QFile clip(album + "/clip.mp4");
        QVERIFY(clip.open(QIODevice::ReadOnly) && clip.read(16).size() == 16);
        QTest::qWait(2500);
    }
    Heartbeat heartbeat;
    listtest::ErrorReportCatcher reports; // a box over the window would be a stall of its own

    runHandler([&] { w->Dir1->setPath(album); });
    if (answers) {
        QTRY_COMPARE_WITH_TIMEOUT(w->Dir1->Path(), album, 15000);
        QTRY_COMPARE(listtest::shownNames(*w->File1), QStringList{"clip.mp4"});
    } else if (onShare == "open folder") { // "leave": elsewhere at once, below
        QCOMPARE(w->Dir1->accessibleDescription(), "Waiting for " + share.path() + " …");
        QTest::mouseMove(w->Image1); // a pointer event is handled meanwhile: the pictures swap
        QTRY_VERIFY(w->Image2->isVisible());
        if (giveUp)
            QTRY_COMPARE_WITH_TIMEOUT(w->Dir1->accessibleDescription(), share.path() + " does not answer",
                                      15000);
        for (int i = 0; i < 50; ++i) { // back into the share, again and again
            runHandler([&] { w->Dir1->setPath(i % 2 ? album : album + "/Sub"); });
            QTest::qWait(20);
            QVERIFY(fsCallsInFlight() <= 3); // the bound a place gets
        }
        QCOMPARE(fsCallsInFlight(), 3);
        QCOMPARE(w->Dir1->accessibleDescription(), share.path() + " does not answer");
        // the share's three, the watchdog, and room for the toolkit's own
        QVERIFY2(probe::threads() <= threadsBefore + 3 + 4, qPrintable(threadNames()));
    }
    // Elsewhere, on the local disk: it lists at once, and nothing of the share is said any more.
    runHandler([&] { w->Dir1->setPath(local_); });
    QCOMPARE(w->Dir1->Path(), local_);
    QCOMPARE(listtest::shownNames(*w->File1), QStringList{"local.txt"});
    QCOMPARE(w->Dir1->accessibleDescription(), QString());
    qInfo("longest UI stall %lld ms, %d threads over the %d before", heartbeat.longestGapMs(),
          probe::threads(), threadsBefore);
    // Generous against a loaded machine: a window stuck on the share stops for good (5 s, the watchdog).
    QVERIFY2(heartbeat.longestGapMs() < 1000, qPrintable(QString::number(heartbeat.longestGapMs())));
    QVERIFY(!watchdog.fired());
    QCOMPARE(reports.texts, QStringList());
    if (onShare == "leave") // the answer for the folder left comes now, and is not shown
        QTRY_COMPARE_WITH_TIMEOUT(fsCallsInFlight(), 0, 15000);

    share.abort(); // the calls it held come back, and their threads end
    QTRY_COMPARE(fsCallsInFlight(), 0);
    QTRY_VERIFY2(probe::threads() <= threadsBefore + 1, qPrintable(threadNames())); // +1: the watchdog
    QCoreApplication::processEvents(); // a thread ends after posting its answer: that answer is taken now
    QCOMPARE(w->Dir1->Path(), local_);
    QCOMPARE(listtest::shownNames(*w->File1), QStringList{"local.txt"});
    QVERIFY2(residentKiB() - memoryBefore < 32 * 1024,
             qPrintable(QString::number(residentKiB() - memoryBefore)));
}

// The real program, its folder list sent into a dead share by a double click, still leaves at once through
// File > Exit and the farewell window.
void DeadShareTest::exitsAtOnceWaitingOnADeadShare() {
    StallingShare share(source_, "list");
    REQUIRE_SHARE(share);
    const QString link = local_ + "/share"; // the share, one double click away from where the program starts
    QVERIFY(QFile::link(share.path(), link));
    const auto unlink = qScopeGuard([&] { QFile::remove(link); });
    frm* twin = openPlayer(); // measures where the program will show the row and the menu
    QVERIFY(twin);
    const QModelIndex row = twin->Dir1->model()->index(listtest::shownNames(*twin->Dir1).indexOf("share"), 0);
    QVERIFY(row.isValid());
    const QPoint shareRow = twin->Dir1->viewport()->mapTo(twin, twin->Dir1->visualRect(row).center());
    const QPoint fileMenu =
        twin->menuBar()->mapTo(twin, twin->menuBar()->actionGeometry(twin->mnfile->menuAction()).center());
    cleanup();

    PlayerProcess program;
    QVERIFY(QDir::setCurrent(local_)); // the program inherits it
    const bool started = program.start();
    QDir::setCurrent(saved_);
    QVERIFY2(started, qPrintable(program.errorOutput()));
    const QPoint origin = program.geometry(program.waitForWindow(kTitle)).topLeft();
    program.click(origin + shareRow, 2);
    QTest::qWait(500); // the folder list waits on the share now
    program.click(origin + fileMenu);
    QTest::qWait(300);
    xdotool({"key", "Down", "Return"}); // the menu's one item: Exit
    const quint64 farewell = program.waitForWindow("Arvid", 5000);
    QVERIFY2(farewell, "the farewell window did not show");
    program.click(program.geometry(farewell).center());
    QElapsedTimer clock;
    clock.start();
    // Every window goes at once. The process itself may only end when the share answers: a thread inside
    // a FUSE request the server has taken cannot be killed, not even by the process's own end (the kernel
    // waits it out; network file systems such as NFS and CIFS let it go).
    while (clock.elapsed() < 5000 && (program.waitForWindow("Arvid", 0) || program.waitForWindow(kTitle, 0)))
        QTest::qWait(50);
    qInfo("windows gone %lld ms after the farewell click", clock.elapsed());
    QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    share.abort();
    QVERIFY2(program.waitForExit(5000), "the program did not end once the share let its call go");
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
}

// A share that stops opening files while the one playing still reads: the preview core, opening the file
// anew, is held. The window and the playback go on, the pointer leaving lets the preview go, and its core
// ends with the share's answer.
void DeadShareTest::previewHeldByTheShare() {
    frm* w = openPlayer();
    QVERIFY(w);
    MediaPlayer* media = w->WindowsMediaPlayer1;
    StallingShare share(source_, "opens:1");
    REQUIRE_SHARE(share);
    Watchdog watchdog(share);
    runHandler([&] { w->Dir1->setPath(share.path() + "/Album"); });
    QTRY_COMPARE_WITH_TIMEOUT(listtest::shownNames(*w->File1), QStringList{"clip.mp4"}, 15000);
    QVERIFY(clickFile(w->File1, "clip.mp4"));
    QTRY_COMPARE_WITH_TIMEOUT(media->playState(), 3, 10000);
    QTest::qWait(1500); // the share opens nothing more
    SeekSlider* seek = media->transportBar()->seekSlider();
    QTRY_VERIFY(seek->maximum() > 0);
    const double playedBefore = media->engine()->coreProperty("time-pos").toDouble();
    Heartbeat heartbeat;
    for (const int ms : {6000, 8000, 4000}) { // the pointer moves on while the preview waits
        real_pointer::moveTo(seek->mapToGlobal(QPoint(seek->xOf(ms), seek->height() / 2)));
        QTest::qWait(700);
    }
    auto* preview = seek->findChild<SeekPreview*>();
    QVERIFY(preview && preview->isVisible() && preview->picture().isNull());
    QVERIFY(media->engine()->previewRunning());
    QVERIFY(media->engine()->coreProperty("time-pos").toDouble() > playedBefore + 1);
    QCOMPARE(media->playState(), 3);
    real_pointer::moveTo(media->videoView()->mapToGlobal(QPoint(20, 20)));
    QTRY_VERIFY_WITH_TIMEOUT(!media->engine()->previewRunning(), SeekPreview::kGiveBackMs + 2000);
    QVERIFY2(heartbeat.longestGapMs() < 1000, qPrintable(QString::number(heartbeat.longestGapMs())));
    QVERIFY(!watchdog.fired());
    share.abort();
    QTRY_VERIFY2(!threadNames().contains("tolvane-preview"), qPrintable(threadNames()));
}

// A place that answers past the short wait (a slow share, a folder of a million files) wakes the UI thread
// by its answer alone: here no timer runs but the fail-safe, and no window is open. An answer left lying
// comes only when the fail-safe wakes the loop, seconds after it was due. Work that says it takes long is
// not waited for at all, however long the caller would wait.
void DeadShareTest::lateAnswerWakesAnIdleEventLoop_data() {
    QTest::addColumn<bool>("saysLong");
    QTest::newRow("past the short wait") << false;
    QTest::newRow("says it takes long") << true;
}

void DeadShareTest::lateAnswerWakesAnIdleEventLoop() {
    QFETCH(bool, saysLong);
    QObject receiver;
    QEventLoop loop;
    QElapsedTimer clock;
    clock.start();
    qint64 answeredMs = -1;
    const FsOutcome outcome = fsCall<int>(
        local_,
        [saysLong] {
            if (saysLong)
                fsCallTakesLong();
            std::this_thread::sleep_for(std::chrono::milliseconds(kFsShortWaitMs + 200));
            return 1;
        },
        &receiver, [&](int&&) { answeredMs = clock.elapsed(), loop.quit(); },
        saysLong ? 60000 : kFsShortWaitMs);
    QCOMPARE(outcome, FsOutcome::Pending);
    QTimer::singleShot(8000, &loop, &QEventLoop::quit);
    loop.exec();
    QVERIFY2(answeredMs >= 0 && answeredMs < 4000, qPrintable(QString::number(answeredMs)));
}

TOLVANE_TEST_MAIN(DeadShareTest)
#include "test_dead_share.moc"
