// Accidents around the shown folder and the playing file, with the real player window: each ends in the
// run-time error report (answered here) or in a quiet, correct list; never a crash, a hang or a frozen
// window.

#include "list_test_helpers.h"
#include "media/media_controls.h"
#include "media/video_view.h"
#include "support/play_states.h"
#include "support/session.h"
#include "support/test_main.h"
#include "support/test_media.h"
#include "toolkit/error_report.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace session;

namespace {

constexpr int kSettleMs = 15000;

// Opens the folder as the folder list's double click does, answering any error report.
QStringList openFolder(const QString& folder) {
    listtest::ErrorReportCatcher catcher;
    runHandler([&] { player()->Dir1->setPath(folder); });
    // A big folder on a loaded machine may take longer than the lists wait: it is read on, then shown.
    const auto reading = [](QWidget* list) {
        return list->accessibleDescription().startsWith("Waiting for ");
    };
    (void)QTest::qWaitFor([&] { return !reading(player()->Dir1) && !reading(player()->File1); }, 30000);
    return catcher.texts;
}

// Some pixel of the video area is lit: a picture shows, not black.
bool showsPicture(MediaPlayer* component) {
    const QImage frame = component->videoView()->grabFramebuffer().convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < frame.height(); y += 4)
        for (int x = 0; x < frame.width(); x += 4)
            if (qGray(frame.pixel(x, y)) > 40)
                return true;
    return false;
}

bool fileListIsReadable() {
    return player()->File1->isVisible() && player()->isVisible();
}

} // namespace

class AccidentsTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void init();
    void shownFolderDeleted();
    void shownFolderRenamed();
    void subfolderUnreadable();
    void subfolderChild();
    void playingFileDeleted();
    void playingFileTruncated();
    void playAgainGoesThroughThePlan_data();
    void playAgainGoesThroughThePlan();
    void volumeUnmounted();
    void hundredThousandFiles();
    void symbolicLinkLoop();
    void fiveThousandSubfolders();

  private:
    TestMedia media_;
    Heartbeat* heartbeat_ = nullptr;
};

void AccidentsTest::initTestCase() {
    heartbeat_ = showPlayerWithHeartbeat();
    QVERIFY(heartbeat_);
    if (isChild())
        return;
    QVERIFY(media_.isValid());
    // Made now, so that no case waits for ffmpeg while its heartbeat counts.
    QVERIFY(QFileInfo(media_.video(1.0)).size() > 0);
    QVERIFY(QFileInfo(media_.video(3.0)).size() > 0);
}

void AccidentsTest::init() {
    heartbeat_->reset();
}

void AccidentsTest::shownFolderDeleted() {
    QTemporaryDir dir;
    const QString shown = dir.filePath("shown");
    QVERIFY(QDir().mkpath(shown));
    QVERIFY(QFile::copy(media_.video(1.0), shown + "/clip.mp4"));
    QVERIFY(openFolder(shown).isEmpty());
    QVERIFY(rowOf(player()->File1, "clip.mp4") >= 0);
    QVERIFY(QDir(shown).removeRecursively());
    // The stale list still answers: the click names why the file cannot play.
    QVERIFY(clickFile(player()->File1, "clip.mp4"));
    QVERIFY(waitSettled(player()->WindowsMediaPlayer1, kSettleMs));
    QCOMPARE(player()->WindowsMediaPlayer1->playState(), 10);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    // Opening it again is the report, and the lists stay as they were.
    const QStringList reports = openFolder(shown);
    QCOMPARE(reports.size(), 1);
    QVERIFY2(reports.first().contains("76"), qPrintable(reports.first()));
    QCOMPARE(player()->Dir1->Path(), shown);
    QVERIFY(openFolder(dir.path()).isEmpty());
    QVERIFY2(heartbeat_->longestGapMs() < 1000, qPrintable(QString::number(heartbeat_->longestGapMs())));
}

void AccidentsTest::shownFolderRenamed() {
    QTemporaryDir dir;
    const QString before = dir.filePath("before"), after = dir.filePath("after");
    QVERIFY(QDir().mkpath(before));
    QVERIFY(QFile::copy(media_.video(1.0), before + "/clip.mp4"));
    QVERIFY(openFolder(before).isEmpty());
    QVERIFY(QDir().rename(before, after));
    QVERIFY(clickFile(player()->File1, "clip.mp4"));
    QVERIFY(waitSettled(player()->WindowsMediaPlayer1, kSettleMs));
    QCOMPARE(player()->WindowsMediaPlayer1->playState(), 10);
    QCOMPARE(openFolder(before).size(), 1);
    QVERIFY(openFolder(after).isEmpty());
    QSignalSpy changes(player()->WindowsMediaPlayer1, &MediaPlayer::PlayStateChange);
    QVERIFY(clickFile(player()->File1, "clip.mp4"));
    // It played: the one-second clip may well have ended by the time a loaded machine looks.
    QTRY_VERIFY_WITH_TIMEOUT(states(changes).contains(3), kSettleMs);
    QVERIFY2(heartbeat_->longestGapMs() < 1000, qPrintable(QString::number(heartbeat_->longestGapMs())));
}

void AccidentsTest::subfolderUnreadable() {
    if (isChild())
        QSKIP("the parent's half");
    QTemporaryDir dir;
    QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0);
    QVERIFY(QDir(dir.path()).mkpath("closed/inner"));
    QVERIFY(listtest::makeFile(dir.path(), "a.mp3"));
    QVERIFY(::chmod(QFile::encodeName(dir.filePath("closed")).constData(), 0) == 0);
    QByteArray output;
    const int code = runChild(::geteuid() == 0 ? unprivileged : QStringList{QStringLiteral("env")},
                              "subfolderChild", dir.path(), &output);
    QVERIFY2(code == 0, output.constData());
}

void AccidentsTest::subfolderChild() {
    if (!isChild())
        QSKIP("runs in a child of subfolderUnreadable");
    QVERIFY(openFolder(childDir()).isEmpty());
    const QStringList reports = openFolder(childDir() + "/closed");
    QCOMPARE(reports.size(), 1);
    QVERIFY2(reports.first().contains("70"), qPrintable(reports.first()));
    QCOMPARE(player()->Dir1->Path(), childDir());
    QVERIFY(rowOf(player()->File1, "a.mp3") >= 0);
}

void AccidentsTest::playingFileDeleted() {
    QTemporaryDir dir;
    QVERIFY(QFile::copy(media_.video(3.0), dir.filePath("going.mp4")));
    QVERIFY(openFolder(dir.path()).isEmpty());
    QVERIFY(clickFile(player()->File1, "going.mp4"));
    MediaPlayer* component = player()->WindowsMediaPlayer1;
    QTRY_COMPARE_WITH_TIMEOUT(component->playState(), 3, kSettleMs);
    QVERIFY(QFile::remove(dir.filePath("going.mp4")));
    // The open file plays on to its end (the data stays while it is open), or stops with a reason.
    QTRY_VERIFY_WITH_TIMEOUT(component->playState() != 3, kSettleMs);
    QVERIFY(waitSettled(component, kSettleMs));
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QVERIFY2(heartbeat_->longestGapMs() < 1000, qPrintable(QString::number(heartbeat_->longestGapMs())));
}

void AccidentsTest::playingFileTruncated() {
    QTemporaryDir dir;
    QVERIFY(QFile::copy(media_.video(3.0), dir.filePath("shrinking.mp4")));
    QVERIFY(openFolder(dir.path()).isEmpty());
    QVERIFY(clickFile(player()->File1, "shrinking.mp4"));
    MediaPlayer* component = player()->WindowsMediaPlayer1;
    QTRY_COMPARE_WITH_TIMEOUT(component->playState(), 3, kSettleMs);
    QVERIFY(QFile::resize(dir.filePath("shrinking.mp4"), 1000));
    QTRY_VERIFY_WITH_TIMEOUT(component->playState() != 3, kSettleMs);
    QVERIFY(waitSettled(component, kSettleMs));
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    // It can be clicked again: now it is a file that cannot play.
    QVERIFY(clickFile(player()->File1, "shrinking.mp4"));
    QVERIFY(waitSettled(component, kSettleMs));
    QCOMPARE(component->playState(), 10);
    QVERIFY2(heartbeat_->longestGapMs() < 1000, qPrintable(QString::number(heartbeat_->longestGapMs())));
}

// Play after a file was refused, or after the file that played was replaced by something whose read may
// never return: nothing plays without the open plan's say, and the reason shows.
void AccidentsTest::playAgainGoesThroughThePlan_data() {
    QTest::addColumn<QString>("replacement"); // what the played file becomes after Stop; empty: another pick
    QTest::newRow("archive picked, then Play") << QString();
    QTest::newRow("replaced by a FIFO") << "fifo";
    QTest::newRow("replaced by a link to a kernel file") << "/proc/self/status";
}

void AccidentsTest::playAgainGoesThroughThePlan() {
    QFETCH(QString, replacement);
    QTemporaryDir dir;
    const QString played = dir.filePath("c_green.mp4");
    QVERIFY(QFile::copy(media_.video(1.0), played));
    QVERIFY(
        listtest::makeFile(dir.path(), "b_archive.mp4", QByteArray("PK\x03\x04", 4) + QByteArray(600, 'z')));
    MediaPlayer* component = player()->WindowsMediaPlayer1;
    component->setURL(played);
    QTRY_COMPARE_WITH_TIMEOUT(component->playState(), 3, kSettleMs);
    QString refused = played;
    if (replacement.isEmpty()) {
        refused = dir.filePath("b_archive.mp4");
        component->setURL(refused);
        QCOMPARE(component->playState(), 10);
    } else {
        component->controls()->stop();
        QVERIFY(QFile::remove(played));
        if (replacement == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(played).constData(), 0600), 0);
        else
            QVERIFY(QFile::link(replacement, played));
    }
    const QString before = component->statusText();
    component->controls()->play();
    QVERIFY(waitSettled(component, kSettleMs));
    QTest::qWait(500); // whatever the core would do, it has begun to do by now
    QCOMPARE(component->playState(), 10);
    QCOMPARE(component->URL(), refused);
    const QString name = QFileInfo(refused).fileName();
    QVERIFY2(component->statusText().startsWith("Cannot play " + name + ": it is "),
             qPrintable(component->statusText()));
    if (replacement.isEmpty())
        QCOMPARE(component->statusText(), before);
    QVERIFY(!showsPicture(component));
}

void AccidentsTest::volumeUnmounted() {
    QTemporaryDir dir;
    const QString point = dir.filePath("volume");
    QVERIFY(QDir().mkpath(point));
    if (::geteuid() != 0 ||
        ::mount("tolvane-test", QFile::encodeName(point).constData(), "tmpfs", 0, "size=8m") != 0)
        QSKIP("cannot mount a tmpfs here (needs root and mount rights)");
    struct Unmount {
        QByteArray point;
        ~Unmount() { ::umount2(point.constData(), MNT_DETACH); }
    } unmount{QFile::encodeName(point)};
    QVERIFY(QDir().mkpath(point + "/music"));
    QVERIFY(QFile::copy(media_.video(3.0), point + "/music/clip.mp4"));
    QVERIFY(QFile::copy(media_.video(1.0), point + "/music/other.mp4"));
    QVERIFY(openFolder(point + "/music").isEmpty());
    QVERIFY(clickFile(player()->File1, "clip.mp4"));
    MediaPlayer* component = player()->WindowsMediaPlayer1;
    QTRY_COMPARE_WITH_TIMEOUT(component->playState(), 3, kSettleMs);
    // Lazily, as a desktop does when the stick is pulled: the open file keeps its data.
    QVERIFY(::umount2(QFile::encodeName(point).constData(), MNT_DETACH) == 0);
    QVERIFY(clickFile(player()->File1, "other.mp4"));
    QVERIFY(waitSettled(component, kSettleMs));
    QCOMPARE(component->playState(), 10);
    const QStringList reports = openFolder(point + "/music");
    QCOMPARE(reports.size(), 1);
    QVERIFY2(reports.first().contains("68") || reports.first().contains("76"), qPrintable(reports.first()));
    QVERIFY(openFolder(dir.path()).isEmpty());
    QVERIFY(fileListIsReadable());
    QVERIFY2(heartbeat_->longestGapMs() < 1000, qPrintable(QString::number(heartbeat_->longestGapMs())));
}

void AccidentsTest::hundredThousandFiles() {
    QTemporaryDir dir;
    const QByteArray base = QFile::encodeName(dir.path()) + "/clip ";
    for (int i = 0; i < 100000; ++i) {
        const int fd = ::open((base + QByteArray::number(i) + ".mp4").constData(), O_CREAT | O_WRONLY, 0644);
        QVERIFY(fd >= 0);
        ::close(fd);
    }
    QElapsedTimer clock;
    clock.start();
    QVERIFY(openFolder(dir.path()).isEmpty());
    qInfo("100 000 files listed in %lld ms", clock.elapsed());
    QCOMPARE(player()->File1->model()->rowCount(), 100000);
    // The keyboard still moves through it, and the empty file is refused with a reason.
    QTest::keyClick(player()->File1, Qt::Key_End);
    QTest::keyClick(player()->File1, Qt::Key_PageUp);
    QVERIFY(waitSettled(player()->WindowsMediaPlayer1, kSettleMs));
    QCOMPARE(player()->WindowsMediaPlayer1->playState(), 10);
    QVERIFY2(clock.elapsed() < 30000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(openFolder(QDir::tempPath()).isEmpty()); // let go of the big list before removing it
}

void AccidentsTest::symbolicLinkLoop() {
    QTemporaryDir dir;
    const QByteArray root = QFile::encodeName(dir.path());
    QVERIFY(::symlink("b.mp4", (root + "/a.mp4").constData()) == 0);
    QVERIFY(::symlink("a.mp4", (root + "/b.mp4").constData()) == 0);
    QVERIFY(::symlink(".", (root + "/self").constData()) == 0);
    QVERIFY(::symlink("loop2", (root + "/loop1").constData()) == 0);
    QVERIFY(::symlink("loop1", (root + "/loop2").constData()) == 0);
    QVERIFY(listtest::makeFile(dir.path(), "real.mp3"));
    QVERIFY(openFolder(dir.path()).isEmpty());
    // Links that lead nowhere are not files: only the real one is listed.
    QCOMPARE(player()->File1->model()->rowCount(), 1);
    QVERIFY(rowOf(player()->File1, "real.mp3") == 0);
    const QStringList reports = openFolder(dir.path() + "/loop1");
    QCOMPARE(reports.size(), 1);
    QCOMPARE(player()->Dir1->Path(), dir.path());
    // A link to the folder itself resolves to it, however deep.
    QVERIFY(openFolder(dir.path() + "/self/self/self/self").isEmpty());
    QCOMPARE(player()->Dir1->Path(), dir.path());
    player()->WindowsMediaPlayer1->setURL(dir.path() + "/a.mp4");
    QVERIFY(waitSettled(player()->WindowsMediaPlayer1, kSettleMs));
    QCOMPARE(player()->WindowsMediaPlayer1->playState(), 10);
    QVERIFY2(heartbeat_->longestGapMs() < 1000, qPrintable(QString::number(heartbeat_->longestGapMs())));
}

void AccidentsTest::fiveThousandSubfolders() {
    QTemporaryDir dir;
    const QByteArray root = QFile::encodeName(dir.path());
    for (int i = 0; i < 5000; ++i)
        QVERIFY(::mkdir((root + "/folder " + QByteArray::number(i)).constData(), 0755) == 0);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(openFolder(dir.path()).isEmpty());
    qInfo("5 000 subfolders listed in %lld ms", clock.elapsed());
    QVERIFY(player()->Dir1->model()->rowCount() >= 5000);
    QCOMPARE(player()->File1->model()->rowCount(), 0);
    QVERIFY(openFolder(dir.path() + "/folder 4999").isEmpty());
    QVERIFY(clock.elapsed() < 20000);
}

TOLVANE_TEST_MAIN(AccidentsTest)
#include "test_accidents.moc"
