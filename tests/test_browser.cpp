// The browser on the real player window: the drive, folder and file lists over real folders, and real
// playback of the files they hand to the media player.
#include "app/application.h"
#include "app/window_registry.h"
#include "list_test_helpers.h"
#include "engine/media_engine.h"
#include "media/media_player.h"
#include "player/player_window.h"
#include "media/video_view.h"
#include "support/play_states.h"
#include "support/real_pointer.h"
#include "support/test_media.h"
#include "toolkit/drive_list.h"
#include "toolkit/file_list.h"
#include "toolkit/folder_list.h"
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>

using namespace listtest;

namespace {

constexpr int kStartTimeout = 10000;

frm* player() {
    return qobject_cast<frm*>(windows().frm.get());
}

QStringList names(const QAbstractItemView* list) {
    QStringList result;
    for (int row = 0; row < list->model()->rowCount(); ++row)
        result.append(list->model()->index(row, 0).data().toString());
    return result;
}

QModelIndex indexOf(const QAbstractItemView* list, const QString& name) {
    const int row = int(names(list).indexOf(name));
    return row < 0 ? QModelIndex() : list->model()->index(row, 0);
}

// Where the row with that name stands on the screen, scrolled into view as a user would.
QPoint onScreen(QAbstractItemView* list, const QString& name) {
    const QModelIndex index = indexOf(list, name);
    list->scrollTo(index);
    return list->viewport()->mapToGlobal(list->visualRect(index).center());
}

QString canonical(const QString& path) {
    return QFileInfo(path).canonicalFilePath();
}

// Answers the modal run-time error report as soon as it opens, keeping its title and text.
class ReportAnswerer : public QObject {
  public:
    ReportAnswerer() {
        connect(&timer_, &QTimer::timeout, this, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                titles.append(box->windowTitle());
                texts.append(box->text());
                box->done(QMessageBox::Ok);
            }
        });
        timer_.start(10);
    }
    QStringList titles, texts;

  private:
    QTimer timer_;
};

// What the three lists show, to see that a failure leaves them alone.
struct Shown {
    QString drive, folder, filesPath;
    QStringList folders, files;
    static Shown now(frm* w) {
        return {w->Drive1->Drive(), w->Dir1->Path(), w->File1->Path(), names(w->Dir1), names(w->File1)};
    }
    bool operator==(const Shown&) const = default;
};

} // namespace

class BrowserTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startsOnProcessFolderAndItsVolume();
    void driveChangeMovesBothListsToThatDrivesFolder();
    void singleClickSelectsOpeningMoves();
    void clickHandsTheFullPathAndPlays();
    void playerGetsReadyAsAFileIsAboutToBePicked_data();
    void playerGetsReadyAsAFileIsAboutToBePicked();
    void rootFolderGivesDoubleSlash();
    void arrowKeysAssignEachFileInTurn();
    void sameFileAgainIsAssignedAfresh();
    void textFileIsAssignedWithoutDialog();
    void missingFolderReports76AndListsStay();
    void driveNotReadyReports68AndListsStay();
    void nameThatIsNotUtf8StillPlays();
    void vanishedFolderReports76AndListsStay();
    void unreadableFolderReports70AndListsStay();

  private:
    // Builds the player window with the process standing in `folder`, shows it and waits for it.
    frm* openPlayerIn(const QString& folder);
    QString clip(const QString& folder, const QString& name, double seconds = 2.0);

    TestMedia media_;
    std::unique_ptr<QTemporaryDir> tree_;
    QString base_; // tree_'s folder, links resolved
    QString savedCurrent_;
};

void BrowserTest::initTestCase() {
    QVERIFY2(media_.isValid(), "ffmpeg is needed to make the test media");
    QVERIFY(QFileInfo(media_.silentVideo(2)).size() > 0);
    QVERIFY(QFileInfo(media_.silentVideo(6)).size() > 0);
    savedCurrent_ = QDir::currentPath();
}

// Every case gets a fresh tree:  Music/{a.mp4, b.mp4, c.mp4}  Docs/{notes.txt}  Empty/  home/
void BrowserTest::init() {
    tree_ = std::make_unique<QTemporaryDir>();
    QVERIFY(tree_->isValid());
    base_ = canonical(tree_->path());
    QDir dir(base_);
    for (const char* folder : {"Music", "Docs", "Empty", "home"})
        QVERIFY(dir.mkdir(folder));
    for (const char* name : {"a.mp4", "b.mp4", "c.mp4"})
        QVERIFY(!clip(base_ + "/Music", name).isEmpty());
    QVERIFY(makeFile(base_ + "/Docs", "notes.txt", "Not a media file.\n"));
}

void BrowserTest::cleanup() {
    QDir::setCurrent(savedCurrent_);
    if (windows().frm.isLoaded()) {
        QPointer<QWidget> window = player();
        window->close();
        QTRY_VERIFY(window.isNull());
    }
    tree_.reset();
}

frm* BrowserTest::openPlayerIn(const QString& folder) {
    if (!QDir::setCurrent(folder))
        return nullptr;
    showWindow(windows().frm);
    frm* window = player();
    if (!QTest::qWaitForWindowExposed(window))
        return nullptr;
    return window;
}

QString BrowserTest::clip(const QString& folder, const QString& name, double seconds) {
    const QString target = folder + QLatin1Char('/') + name;
    return QFile::copy(media_.silentVideo(seconds), target) ? target : QString();
}

void BrowserTest::startsOnProcessFolderAndItsVolume() {
    frm* w = openPlayerIn(base_ + "/Music");
    QVERIFY(w);
    const QList<Volume> mounted = mountedVolumes();
    const Volume* volume = volumeHolding(mounted, base_);
    QVERIFY(volume);
    QCOMPARE(w->Drive1->Drive(), volume->driveText());
    QCOMPARE(w->Dir1->Path(), base_ + "/Music");
    QCOMPARE(w->Dir1->currentIndex().data().toString(), QStringLiteral("Music"));
    QCOMPARE(w->File1->Path(), base_ + "/Music");
    QCOMPARE(names(w->File1), (QStringList{"a.mp4", "b.mp4", "c.mp4"}));
    QCOMPARE(w->File1->FileName(), QString()); // nothing chosen, nothing playing
    QCOMPARE(w->WindowsMediaPlayer1->URL(), QString());
    QCOMPARE(w->WindowsMediaPlayer1->playState(), 0);
    QPointer<QWidget> first = w;
    w->close();
    QTRY_VERIFY(first.isNull());

    // A process standing on another volume starts with that drive chosen.
    const QString usb = base_ + "/usb";
    QVERIFY(QDir(base_).mkpath("usb/inner"));
    FakeMountTable table(base_ + "/mountinfo");
    QVERIFY(table.write({usb}));
    w = openPlayerIn(usb + "/inner");
    QVERIFY(w);
    QCOMPARE(w->Drive1->Drive(), usb);
    QCOMPARE(w->Dir1->Path(), usb + "/inner");
    QCOMPARE(names(w->Dir1), (QStringList{usb, "inner"}));
    QCOMPARE(w->File1->Path(), usb + "/inner");
}

// A second volume from a mount table of the test's own: the lists follow the chosen drive to the folder
// last shown on it, the root volume's being the folder the process started in.
void BrowserTest::driveChangeMovesBothListsToThatDrivesFolder() {
    const QString usb = base_ + "/usb";
    QVERIFY(QDir(base_).mkpath("usb/music/deep"));
    QVERIFY(!clip(usb, "top.mp4", 2).isEmpty());
    QVERIFY(!clip(usb + "/music", "song.mp4", 2).isEmpty());
    FakeMountTable table(base_ + "/mountinfo");
    QVERIFY(table.write({usb}));
    frm* w = openPlayerIn(base_ + "/home");
    QVERIFY(w);
    QCOMPARE(w->Drive1->count(), 2);
    QCOMPARE(w->Drive1->Drive(), QStringLiteral("/"));
    QSignalSpy folderChanges(w->Dir1, &FolderList::Change);

    // The user steps the drop-down to the next drive with the keyboard.
    w->Drive1->setFocus();
    QTest::keyClick(w->Drive1, Qt::Key_Down);
    QCOMPARE(w->Drive1->Drive(), usb);
    QCOMPARE(folderChanges.count(), 1);
    QCOMPARE(w->Dir1->Path(), usb); // never visited: its mount point
    QCOMPARE(w->File1->Path(), usb);
    QCOMPARE(names(w->File1), QStringList{"top.mp4"});

    w->Dir1->setCurrentIndex(indexOf(w->Dir1, "music"));
    QTest::keyClick(w->Dir1, Qt::Key_Return);
    QCOMPARE(w->File1->Path(), usb + "/music");

    w->Drive1->setDrive("/"); // the root volume: back where the process stood
    QCOMPARE(w->Dir1->Path(), base_ + "/home");
    QCOMPARE(w->File1->Path(), base_ + "/home");
    QCOMPARE(names(w->File1), QStringList());

    w->Drive1->setDrive(usb); // remembered
    QCOMPARE(w->Dir1->Path(), usb + "/music");
    QCOMPARE(w->File1->Path(), usb + "/music");
    QCOMPARE(names(w->File1), QStringList{"song.mp4"});

    // Choosing the drive already chosen is no change: nothing moves.
    const int changes = int(folderChanges.count());
    w->Drive1->setDrive(usb);
    QCOMPARE(folderChanges.count(), changes);

    // The folder last shown on a drive has gone meanwhile: the nearest folder still there.
    w->Drive1->setDrive("/");
    QVERIFY(QDir(usb + "/music").removeRecursively());
    w->Drive1->setDrive(usb);
    QCOMPARE(w->Dir1->Path(), usb);
    QCOMPARE(w->File1->Path(), usb);

    // And the chain ends in playback.
    QTest::mouseClick(w->File1->viewport(), Qt::LeftButton, {},
                      w->File1->visualRect(indexOf(w->File1, "top.mp4")).center());
    QCOMPARE(w->WindowsMediaPlayer1->URL(), usb + "/top.mp4");
    QTRY_COMPARE_WITH_TIMEOUT(w->WindowsMediaPlayer1->playState(), 3, kStartTimeout);
}

void BrowserTest::singleClickSelectsOpeningMoves() {
    frm* w = openPlayerIn(base_);
    QVERIFY(w);
    QSignalSpy folderChanges(w->Dir1, &FolderList::Change);
    const Shown before = Shown::now(w);
    QCOMPARE(before.files, QStringList());

    real_pointer::moveTo(onScreen(w->Dir1, "Music"));
    real_pointer::click();
    QTRY_COMPARE(w->Dir1->currentIndex().data().toString(), QStringLiteral("Music"));
    QTest::qWait(100);
    QCOMPARE(Shown::now(w), before); // selected, not opened
    QCOMPARE(folderChanges.count(), 0);

    real_pointer::doubleClick();
    QTRY_COMPARE(w->Dir1->Path(), base_ + "/Music");
    QCOMPARE(folderChanges.count(), 1);
    QCOMPARE(w->File1->Path(), base_ + "/Music");
    QCOMPARE(names(w->File1), (QStringList{"a.mp4", "b.mp4", "c.mp4"}));

    // Enter opens too: a folder up the chain, then one below it.
    w->Dir1->setFocus();
    w->Dir1->setCurrentIndex(indexOf(w->Dir1, QFileInfo(base_).fileName()));
    QTest::keyClick(w->Dir1, Qt::Key_Return);
    QCOMPARE(w->Dir1->Path(), base_);
    QCOMPARE(w->File1->Path(), base_);
    w->Dir1->setCurrentIndex(indexOf(w->Dir1, "Docs"));
    QCOMPARE(w->File1->Path(), base_); // moving the selection is not opening
    QTest::keyClick(w->Dir1, Qt::Key_Enter);
    QCOMPARE(w->File1->Path(), base_ + "/Docs");
    QCOMPARE(names(w->File1), QStringList{"notes.txt"});
    QCOMPARE(folderChanges.count(), 3);
    QCOMPARE(w->WindowsMediaPlayer1->URL(), QString()); // opening folders plays nothing
}

void BrowserTest::clickHandsTheFullPathAndPlays() {
    frm* w = openPlayerIn(base_ + "/Music");
    QVERIFY(w);
    real_pointer::moveTo(onScreen(w->File1, "b.mp4"));
    real_pointer::click();
    QTRY_COMPARE(w->WindowsMediaPlayer1->URL(), base_ + "/Music/b.mp4");
    QCOMPARE(w->File1->FileName(), QStringLiteral("b.mp4"));
    QTRY_COMPARE_WITH_TIMEOUT(w->WindowsMediaPlayer1->playState(), 3, kStartTimeout);
    QCOMPARE(w->WindowsMediaPlayer1->statusText(), QStringLiteral("Playing"));
}

// "/" already ends in the separator; the one added anyway gives "//name", which still names "/name".
// On screen and idle, the player makes its engine's core but no OpenGL; the pointer or the focus coming to
// the file list readies the video area too, with nothing loaded, and the first pick then plays.
void BrowserTest::playerGetsReadyAsAFileIsAboutToBePicked_data() {
    QTest::addColumn<bool>("byPointer");
    QTest::newRow("pointer enters the file list") << true;
    QTest::newRow("focus comes to the file list") << false;
}

void BrowserTest::playerGetsReadyAsAFileIsAboutToBePicked() {
    QFETCH(bool, byPointer);
    real_pointer::moveTo({0, 0});
    frm* w = openPlayerIn(base_ + "/Music");
    MediaPlayer* p = w->WindowsMediaPlayer1;
    QTRY_VERIFY(p->engine()->hasCore());
    QTest::qWait(200);
    QVERIFY(!p->videoView()->hasOpenGL());
    if (byPointer)
        real_pointer::moveTo(w->File1->mapToGlobal(w->File1->rect().center()));
    else
        w->File1->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY_WITH_TIMEOUT(p->videoView()->hasRenderContext(), kStartTimeout);
    QCOMPARE(p->engine()->coreProperty("path"), QString());
    QCOMPARE(p->playState(), 0);
    real_pointer::moveTo(onScreen(w->File1, "a.mp4"));
    real_pointer::click();
    QTRY_COMPARE_WITH_TIMEOUT(p->playState(), 3, kStartTimeout);
}

void BrowserTest::rootFolderGivesDoubleSlash() {
    const QString name = QStringLiteral("tolvane-browser-%1.mp4").arg(QCoreApplication::applicationPid());
    if (!QFileInfo(QStringLiteral("/")).isWritable() || ::access("/", W_OK) != 0)
        QSKIP("the root folder is not writable here: no file can be put there for this case");
    QVERIFY(QFile::copy(media_.silentVideo(2), "/" + name));
    const auto removeIt = qScopeGuard([&] { QFile::remove("/" + name); });

    frm* w = openPlayerIn(base_);
    QVERIFY(w);
    // The top row of the chain is the root folder; the user opens it.
    real_pointer::moveTo(onScreen(w->Dir1, "/"));
    real_pointer::doubleClick();
    QTRY_COMPARE(w->Dir1->Path(), QStringLiteral("/"));
    QCOMPARE(w->File1->Path(), QStringLiteral("/"));
    const QModelIndex row = indexOf(w->File1, name);
    QVERIFY(row.isValid());
    w->File1->scrollTo(row);
    QTest::mouseClick(w->File1->viewport(), Qt::LeftButton, {}, w->File1->visualRect(row).center());
    QCOMPARE(w->WindowsMediaPlayer1->URL(), "//" + name);
    QTRY_COMPARE_WITH_TIMEOUT(w->WindowsMediaPlayer1->playState(), 3, kStartTimeout);
}

// The user tabs into the file list and walks it with the keys; every step plays the file it lands on, and a
// key that moves nowhere assigns nothing.
void BrowserTest::arrowKeysAssignEachFileInTurn() {
    frm* w = openPlayerIn(base_ + "/Music");
    QVERIFY(w);
    QVERIFY(QTest::qWaitForWindowActive(w));
    MediaPlayer* mp = w->WindowsMediaPlayer1;
    QSignalSpy changes(mp, &MediaPlayer::PlayStateChange);
    QCOMPARE(QApplication::focusWidget(), w->Drive1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->File1));
    QTest::qWait(100);
    QCOMPARE(changes.count(), 0); // taking the focus chooses nothing

    const QString music = base_ + "/Music/";
    // Each step: the key, then the file that must be playing afterwards (empty: no new assignment).
    const QList<QPair<Qt::Key, QString>> steps{
        {Qt::Key_Down, "a.mp4"}, // nothing chosen yet: the first file, not the second
        {Qt::Key_Down, "b.mp4"}, {Qt::Key_Down, "c.mp4"}, {Qt::Key_Down, ""}, // at the bottom
        {Qt::Key_Up, "b.mp4"},   {Qt::Key_Home, "a.mp4"}, {Qt::Key_Home, ""}, {Qt::Key_End, "c.mp4"},
    };
    for (const auto& [key, file] : steps) {
        const QString playing = QFileInfo(mp->URL()).fileName();
        changes.clear();
        QTest::keyClick(w->File1, key);
        if (file.isEmpty()) {
            QTest::qWait(300);
            QVERIFY2(!states(changes).contains(9), qPrintable(playing));
            QCOMPARE(QFileInfo(mp->URL()).fileName(), playing);
            continue;
        }
        QCOMPARE(mp->URL(), music + file);
        QCOMPARE(states(changes).value(0), 9);
        QTRY_COMPARE_WITH_TIMEOUT(mp->playState(), 3, kStartTimeout);
        QCOMPARE(mp->engine()->coreProperty("path"), music + file);
    }
}

// A second click on the file already playing loads it again: a new transition, from its start.
void BrowserTest::sameFileAgainIsAssignedAfresh() {
    QVERIFY(!clip(base_ + "/Music", "long.mp4", 6).isEmpty());
    frm* w = openPlayerIn(base_ + "/Music");
    QVERIFY(w);
    MediaPlayer* mp = w->WindowsMediaPlayer1;
    const QPoint where = onScreen(w->File1, "long.mp4");
    real_pointer::moveTo(where);
    real_pointer::click();
    QTRY_COMPARE_WITH_TIMEOUT(mp->playState(), 3, kStartTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(mp->currentPosition() > 1.0, kStartTimeout);

    QSignalSpy changes(mp, &MediaPlayer::PlayStateChange);
    real_pointer::click(); // no move: the very same row
    QTRY_VERIFY(states(changes).contains(9));
    QTRY_COMPARE_WITH_TIMEOUT(mp->playState(), 3, kStartTimeout);
    QVERIFY2(mp->currentPosition() < 0.9, qPrintable(QString::number(mp->currentPosition())));
    QCOMPARE(mp->URL(), base_ + "/Music/long.mp4");
    QCOMPARE(states(changes).count(9), 1);
}

void BrowserTest::textFileIsAssignedWithoutDialog() {
    QVERIFY(QFile::copy(media_.silentVideo(2), base_ + "/Docs/clip.mp4"));
    frm* w = openPlayerIn(base_ + "/Docs");
    QVERIFY(w);
    MediaPlayer* mp = w->WindowsMediaPlayer1;
    QCOMPARE(names(w->File1), (QStringList{"clip.mp4", "notes.txt"}));

    bool dialogSeen = false;
    QTimer watch;
    connect(&watch, &QTimer::timeout, this,
            [&] { dialogSeen |= QApplication::activeModalWidget() != nullptr; });
    watch.start(5);
    QTest::mouseClick(w->File1->viewport(), Qt::LeftButton, {},
                      w->File1->visualRect(indexOf(w->File1, "notes.txt")).center());
    QCOMPARE(mp->URL(), base_ + "/Docs/notes.txt");
    QTRY_COMPARE_WITH_TIMEOUT(mp->playState(), 10, kStartTimeout);
    QTest::qWait(200);
    QVERIFY(!dialogSeen);
    QVERIFY(!mp->statusText().isEmpty());
    QVERIFY2(mp->statusText() != QLatin1String("Ready") && mp->statusText() != QLatin1String("Opening"),
             qPrintable(mp->statusText()));
    for (QWidget* top : QApplication::topLevelWidgets())
        QVERIFY2(!top->isVisible() || top == w, qPrintable(top->metaObject()->className()));

    // The program goes on: the next file plays.
    QTest::mouseClick(w->File1->viewport(), Qt::LeftButton, {},
                      w->File1->visualRect(indexOf(w->File1, "clip.mp4")).center());
    QTRY_COMPARE_WITH_TIMEOUT(mp->playState(), 3, kStartTimeout);
    QVERIFY(!dialogSeen);
}

// A subfolder deleted after it was listed: opening it is reported, and the lists stay as they were.
void BrowserTest::missingFolderReports76AndListsStay() {
    QVERIFY(QDir(base_).mkdir("Gone"));
    frm* w = openPlayerIn(base_);
    QVERIFY(w);
    const Shown before = Shown::now(w);
    QVERIFY(before.folders.contains("Gone"));
    QVERIFY(QDir(base_ + "/Gone").removeRecursively());

    ReportAnswerer report;
    real_pointer::moveTo(onScreen(w->Dir1, "Gone"));
    real_pointer::doubleClick();
    QTRY_COMPARE(report.texts, QStringList{"Run-time error '76':\n\nPath not found"});
    QCOMPARE(report.titles, QStringList{"Tolvane URL Media Player"});
    QCOMPARE(Shown::now(w), before);

    // The program goes on: another folder opens and its file plays.
    real_pointer::moveTo(onScreen(w->Dir1, "Music"));
    real_pointer::doubleClick();
    QTRY_COMPARE(w->File1->Path(), base_ + "/Music");
    QTest::mouseClick(w->File1->viewport(), Qt::LeftButton, {},
                      w->File1->visualRect(indexOf(w->File1, "a.mp4")).center());
    QTRY_COMPARE_WITH_TIMEOUT(w->WindowsMediaPlayer1->playState(), 3, kStartTimeout);
    QCOMPARE(report.texts.size(), 1);
}

// The folder on show is deleted, its files and subfolders with it.
void BrowserTest::vanishedFolderReports76AndListsStay() {
    QVERIFY(QDir(base_).mkpath("Shown/Inner"));
    QVERIFY(!clip(base_ + "/Shown", "x.mp4").isEmpty());
    frm* w = openPlayerIn(base_ + "/Shown");
    QVERIFY(w);
    const Shown before = Shown::now(w);
    QCOMPARE(before.files, QStringList{"x.mp4"});
    QVERIFY(QDir(base_ + "/Shown").removeRecursively());

    ReportAnswerer report;
    real_pointer::moveTo(onScreen(w->Dir1, "Inner"));
    real_pointer::doubleClick();
    QTRY_COMPARE(report.texts.size(), 1);
    w->Dir1->setFocus();
    w->Dir1->setCurrentIndex(indexOf(w->Dir1, "Shown")); // the folder itself, read again
    QTest::keyClick(w->Dir1, Qt::Key_Return);
    QCOMPARE(report.texts, QStringList(2, "Run-time error '76':\n\nPath not found"));
    QCOMPARE(Shown::now(w), before);

    // Its file, still listed, is handed on all the same; the player says why it cannot play it.
    MediaPlayer* mp = w->WindowsMediaPlayer1;
    QTest::mouseClick(w->File1->viewport(), Qt::LeftButton, {},
                      w->File1->visualRect(indexOf(w->File1, "x.mp4")).center());
    QCOMPARE(mp->URL(), base_ + "/Shown/x.mp4");
    QTRY_COMPARE_WITH_TIMEOUT(mp->playState(), 10, kStartTimeout);
    QVERIFY(!mp->statusText().isEmpty());
    QCOMPARE(report.texts.size(), 2);

    // Up the chain still works.
    w->Dir1->setCurrentIndex(indexOf(w->Dir1, QFileInfo(base_).fileName()));
    QTest::keyClick(w->Dir1, Qt::Key_Return);
    QCOMPARE(w->Dir1->Path(), base_);
    QCOMPARE(w->File1->Path(), base_);
    QVERIFY(!names(w->Dir1).contains("Shown"));
}

// A volume in the mount table whose mount point cannot be read: choosing it is a drive not ready.
void BrowserTest::driveNotReadyReports68AndListsStay() {
    const QString absent = base_ + "/unplugged";
    FakeMountTable table(base_ + "/mountinfo");
    QVERIFY(table.write({absent}));
    frm* w = openPlayerIn(base_ + "/Music");
    QVERIFY(w);
    const Shown before = Shown::now(w);
    ReportAnswerer report;
    w->Drive1->setFocus();
    QTest::keyClick(w->Drive1, Qt::Key_Down);
    QCOMPARE(report.texts, QStringList{"Run-time error '68':\n\nDevice unavailable"});
    QCOMPARE(w->Drive1->Drive(), absent); // the drop-down moved; the lists after it did not
    QCOMPARE(w->Dir1->Path(), before.folder);
    QCOMPARE(names(w->Dir1), before.folders);
    QCOMPARE(w->File1->Path(), before.filesPath);
    QCOMPARE(names(w->File1), before.files);
    QTest::keyClick(w->Drive1, Qt::Key_Up); // back to the root volume: the program goes on
    QCOMPARE(report.texts.size(), 1);
    QCOMPARE(w->Dir1->Path(), base_ + "/Music");
}

// File names are bytes: one that is not UTF-8 reaches the player as the very same bytes.
void BrowserTest::nameThatIsNotUtf8StillPlays() {
    QFile source(media_.silentVideo(2));
    QVERIFY(source.open(QIODevice::ReadOnly));
    QVERIFY(makeFile(base_ + "/Music", "caf\xe9 clip.mp4", source.readAll()));
    frm* w = openPlayerIn(base_ + "/Music");
    QVERIFY(w);
    const QString shown = fsDisplayName(fsDecodeName("caf\xe9 clip.mp4"));
    const QModelIndex row = indexOf(w->File1, shown);
    QVERIFY2(row.isValid(), qPrintable(names(w->File1).join(" | ")));
    QTest::mouseClick(w->File1->viewport(), Qt::LeftButton, {}, w->File1->visualRect(row).center());
    QCOMPARE(fsEncodeName(w->WindowsMediaPlayer1->URL()),
             QFile::encodeName(base_) + "/Music/caf\xe9 clip.mp4");
    QTRY_COMPARE_WITH_TIMEOUT(w->WindowsMediaPlayer1->playState(), 3, kStartTimeout);
}

// Run as the unprivileged child: the player window in a readable folder, the user opens an unreadable one.
static int unreadableChild(const QString& open, const QString& closed) {
    if (!QDir::setCurrent(open))
        return 10;
    frm* w = player();
    const Shown before = Shown::now(w);
    if (w->Dir1->Path() != open || !before.folders.contains("closed") ||
        before.files != QStringList{"seen.txt"})
        return 11;
    ReportAnswerer report;
    w->Dir1->setCurrentIndex(indexOf(w->Dir1, QFileInfo(closed).fileName()));
    QTest::keyClick(w->Dir1, Qt::Key_Return);
    if (report.texts != QStringList{"Run-time error '70':\n\nPermission denied"}) {
        printf("report: %s\n", qPrintable(report.texts.join(" | ")));
        return 12;
    }
    if (!(Shown::now(w) == before))
        return 13;
    // The program goes on.
    w->Dir1->setCurrentIndex(indexOf(w->Dir1, "fine"));
    QTest::keyClick(w->Dir1, Qt::Key_Return);
    if (w->File1->Path() != open + "/fine" || names(w->File1) != QStringList{"inside.txt"})
        return 14;
    return 0;
}

void BrowserTest::unreadableFolderReports70AndListsStay() {
    if (!runningAsRoot())
        QSKIP("needs root to run the case as another user");
    QVERIFY(::chmod(QFile::encodeName(base_).constData(), 0755) == 0);
    QVERIFY(QDir(base_).mkpath("open/closed/secret"));
    QVERIFY(QDir(base_).mkpath("open/fine"));
    QVERIFY(makeFile(base_ + "/open", "seen.txt"));
    QVERIFY(makeFile(base_ + "/open/fine", "inside.txt"));
    QVERIFY(::chmod(QFile::encodeName(base_ + "/open/closed").constData(), 0700) == 0);
    QByteArray output;
    const int code =
        runUnprivileged({"--unreadable-child", base_ + "/open", base_ + "/open/closed"}, &output);
    QVERIFY2(code == 0, (QByteArray::number(code) + ": " + output).constData());
}

int main(int argc, char* argv[]) {
    prepareProcess();
    QApplication app(argc, argv);
    setUpApplication();
    if (argc == 4 && qstrcmp(argv[1], "--unreadable-child") == 0)
        return unreadableChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    BrowserTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_browser.moc"
