#include "files/runtime_error.h"
#include "list_test_helpers.h"
#include "toolkit/folder_list.h"
#include "toolkit/list_item_delegate.h"
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <sys/stat.h>

using namespace listtest;

namespace {

QList<int> levels(const FolderList& list) {
    QList<int> result;
    for (int row = 0; row < list.model()->rowCount(); ++row)
        result.append(list.model()->index(row, 0).data(IndentLevelRole).toInt());
    return result;
}

int rowOf(const FolderList& list, const QString& name) {
    return int(shownNames(list).indexOf(name));
}

// The chain of names from "/" down to folder, as the list shows them.
QStringList chainTo(const QString& folder) {
    return QStringList{"/"} + QDir::cleanPath(folder).split('/', Qt::SkipEmptyParts);
}

// A temporary folder with its links resolved, as the list reports paths.
QString real(const QTemporaryDir& dir) {
    return QFileInfo(dir.path()).canonicalFilePath();
}

} // namespace

class FolderListTest : public QObject {
    Q_OBJECT
  private slots:
    void startsAtProcessCurrentFolder();
    void startsAtRootWhenCurrentFolderIsGone();
    void showsChainThenSubfoldersWithLevels();
    void listsOnlyVisibleFoldersInNaturalOrder();
    void indentationIsDrawn();
    void singleClickOnlySelects();
    void doubleClickAndEnterOpen();
    void setPathRaisesChangeOnlyWhenPathMoves();
    void driveTextMovesToRememberedFolder();
    void missingFolderIsError76AndListStays();
    void unreadableFolderIsError70();
    void unmountedVolumeIsError68();
    void userOpeningAVanishedFolderGetsTheReport();
    void honoursPaletteAndFontFromOutside();
};

void FolderListTest::startsAtProcessCurrentFolder() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("start/inner"));
    const QString saved = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.filePath("start")));
    FolderList list;
    QDir::setCurrent(saved);
    QCOMPARE(list.Path(), real(dir) + "/start");
    QCOMPARE(list.currentIndex().row(), chainTo(list.Path()).size() - 1);
    QVERIFY(list.selectionModel()->isSelected(list.currentIndex())); // the current folder is highlighted
}

void FolderListTest::startsAtRootWhenCurrentFolderIsGone() {
    const QString saved = QDir::currentPath();
    {
        QTemporaryDir dir;
        QVERIFY(QDir::setCurrent(dir.path()));
    } // the process now stands in a deleted folder
    FolderList list;
    QDir::setCurrent(saved);
    QCOMPARE(list.Path(), QStringLiteral("/"));
    QCOMPARE(shownNames(list).first(), QStringLiteral("/"));
}

void FolderListTest::showsChainThenSubfoldersWithLevels() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("a/b/x"));
    QVERIFY(QDir(dir.path()).mkpath("a/b/y"));
    FolderList list;
    list.setPath(dir.filePath("a/b"));
    const QString path = real(dir) + "/a/b";
    QCOMPARE(list.Path(), path);
    const QStringList chain = chainTo(path);
    QCOMPARE(shownNames(list), (chain + QStringList{"x", "y"}));
    QList<int> expected;
    for (int level = 0; level < chain.size(); ++level)
        expected.append(level);
    expected += QList<int>{int(chain.size()), int(chain.size())};
    QCOMPARE(levels(list), expected);
    QCOMPARE(list.currentIndex().row(), chain.size() - 1);
    // open folders on the chain, closed ones below
    const QIcon open = list.model()->index(0, 0).data(Qt::DecorationRole).value<QIcon>();
    const QIcon closed = list.model()->index(int(chain.size()), 0).data(Qt::DecorationRole).value<QIcon>();
    QVERIFY(!open.isNull() && !closed.isNull());
    QVERIFY(open.cacheKey() != closed.cacheKey());
    QCOMPARE(list.model()->index(int(chain.size()) - 1, 0).data(Qt::DecorationRole).value<QIcon>().cacheKey(),
             open.cacheKey());

    // the root folder itself: only "/" on the chain
    list.setPath("/.");
    QCOMPARE(list.Path(), QStringLiteral("/"));
    QCOMPARE(shownNames(list).first(), QStringLiteral("/"));
    QCOMPARE(levels(list).first(), 0);
    QVERIFY(levels(list).mid(1).count(1) == levels(list).size() - 1);
}

void FolderListTest::listsOnlyVisibleFoldersInNaturalOrder() {
    QTemporaryDir dir;
    const QString d = dir.path();
    for (const char* name : {"Disc 10", "disc 2", "Disc 1", ".git", "alpha", "\"quoted\" -dash"})
        QVERIFY(QDir(d).mkdir(name));
    QVERIFY(makeFile(d, "a file"));
    QVERIFY(makeFile(d, ".hidden file"));
    QVERIFY(QFile::link(d + "/alpha", d + "/link to alpha"));
    QVERIFY(QFile::link(d + "/nowhere", d + "/dangling"));
    QVERIFY(::mkfifo(QFile::encodeName(d + "/pipe").constData(), 0644) == 0);
    QVERIFY(makeFile(d, "caf\xe9"));
    QVERIFY(::mkdir((QFile::encodeName(d) + "/bad \xff folder").constData(), 0755) == 0);
    FolderList list;
    list.setPath(d);
    const int first = int(chainTo(real(dir)).size());
    QCOMPARE(shownNames(list).mid(first),
             (QStringList{"\"quoted\" -dash", "alpha", QString::fromUtf8("bad \uFFFD folder"), "Disc 1",
                          "disc 2", "Disc 10", "link to alpha"}));
    // the odd-byte folder opens: its path keeps the real bytes
    list.setCurrentIndex(list.model()->index(first + 2, 0));
    QTest::keyClick(&list, Qt::Key_Return);
    QCOMPARE(fsEncodeName(list.Path()), QFile::encodeName(real(dir)) + "/bad \xff folder");
    std::filesystem::remove_all(fsEncodeName(dir.path()).toStdString()); // QDir cannot name the odd bytes
}

void FolderListTest::indentationIsDrawn() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("one/two/child"));
    FolderList list;
    QPalette palette = list.palette();
    palette.setColor(QPalette::Base, Qt::white);
    list.setPalette(palette);
    list.resize(400, 400);
    list.setPath(dir.filePath("one/two"));
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    list.clearSelection(); // the highlight would hide where the row's own drawing starts
    const QImage image = list.viewport()->grab().toImage();
    const auto leftmostInk = [&](int row) {
        const QRect rect = list.visualRect(list.model()->index(row, 0));
        for (int x = 0; x < image.width(); ++x)
            for (int y = rect.top(); y <= rect.bottom(); ++y)
                if (image.pixelColor(x, y) != Qt::white)
                    return x;
        return -1;
    };
    const int rows = list.model()->rowCount();
    QVERIFY(rows >= 4);
    for (int row = 1; row < rows; ++row)
        QVERIFY2(leftmostInk(row) > leftmostInk(row - 1), qPrintable(QString::number(row)));
}

void FolderListTest::singleClickOnlySelects() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("here/sub"));
    FolderList list;
    list.resize(300, 400);
    list.setPath(dir.filePath("here"));
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QSignalSpy changes(&list, &FolderList::Change);
    const QString before = list.Path();
    const int sub = rowOf(list, "sub");
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                      list.visualRect(list.model()->index(sub, 0)).center());
    QCOMPARE(list.currentIndex().row(), sub);
    QTest::keyClick(&list, Qt::Key_Up); // moving the selection by key does not open either
    QCOMPARE(changes.count(), 0);
    QCOMPARE(list.Path(), before);
}

void FolderListTest::doubleClickAndEnterOpen() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("here/sub/deeper"));
    FolderList list;
    list.resize(300, 400);
    list.setPath(dir.filePath("here"));
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    list.setFocus();
    QSignalSpy changes(&list, &FolderList::Change);
    QString pathAtChange;
    connect(&list, &FolderList::Change, &list, [&] { pathAtChange = list.Path(); });

    const QRect sub = list.visualRect(list.model()->index(rowOf(list, "sub"), 0));
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, sub.center());
    QCOMPARE(changes.count(), 1);
    QCOMPARE(list.Path(), real(dir) + "/here/sub");
    QCOMPARE(pathAtChange, list.Path()); // Path has moved by the time Change is raised
    QCOMPARE(shownNames(list).last(), QStringLiteral("deeper"));

    // Enter on an entry of the chain goes back up
    list.setCurrentIndex(list.model()->index(rowOf(list, "here"), 0));
    QTest::keyClick(&list, Qt::Key_Return);
    QCOMPARE(changes.count(), 2);
    QCOMPARE(list.Path(), real(dir) + "/here");
    QTest::keyClick(&list, Qt::Key_Enter); // the current folder itself: re-read, no move
    QCOMPARE(changes.count(), 2);
}

void FolderListTest::setPathRaisesChangeOnlyWhenPathMoves() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("a/b"));
    FolderList list;
    list.setPath(dir.filePath("a"));
    QSignalSpy changes(&list, &FolderList::Change);
    list.setPath(dir.filePath("a/b"));
    QCOMPARE(changes.count(), 1);
    list.setPath(dir.filePath("a/b"));
    list.setPath(dir.filePath("a/./b/../b/")); // the same folder written another way
    QCOMPARE(changes.count(), 1);
    QVERIFY(QDir(dir.path()).mkpath("a/b/new"));
    list.setPath(dir.filePath("a/b")); // unchanged Path, but the list is read again
    QCOMPARE(shownNames(list).last(), QStringLiteral("new"));
    QCOMPARE(changes.count(), 1);
    // a link to a folder leads to the folder itself
    QVERIFY(QFile::link(dir.filePath("a"), dir.filePath("link")));
    list.setPath(dir.filePath("link"));
    QCOMPARE(list.Path(), real(dir) + "/a");
    QCOMPARE(changes.count(), 2);
}

void FolderListTest::driveTextMovesToRememberedFolder() {
    QTemporaryDir dir;
    const QString base = real(dir);
    const QString usb = base + "/usb", other = base + "/other";
    QVERIFY(QDir(base).mkpath("usb/music/rock"));
    QVERIFY(QDir(base).mkpath("other/films"));
    QVERIFY(QDir(base).mkpath("elsewhere"));
    FakeMountTable table(base + "/mountinfo");
    QVERIFY(table.write({usb, other}));
    QVERIFY(QDir(base).mkdir("mountinfo.labels"));
    QVERIFY(QFile::link("/dev/sdz0", base + "/mountinfo.labels/MY\\x20USB"));
    const QString usbText = usb + " [MY USB]";
    FolderList list;
    QSignalSpy changes(&list, &FolderList::Change);

    list.setPath(other); // never visited before: its mount point
    QCOMPARE(list.Path(), other);
    list.setPath(usbText);
    QCOMPARE(list.Path(), usb);
    list.setPath(usb + "/music/rock");
    list.setPath(base + "/elsewhere"); // on the root volume
    QCOMPARE(changes.count(), 4);
    list.setPath(usbText);
    QCOMPARE(list.Path(), usb + "/music/rock");
    // the chain starts at the volume's root, its mount point
    QCOMPARE(shownNames(list), (QStringList{usb, "music", "rock"}));
    QCOMPARE(levels(list), (QList<int>{0, 1, 2}));
    list.setPath(other + "/films");
    list.setPath(usbText);
    QCOMPARE(list.Path(), usb + "/music/rock");
    list.setPath(other); // an unlabelled volume's drive text is its mount point: its current folder
    QCOMPARE(list.Path(), other + "/films");
    const QString rootText = QStringLiteral("/");
    list.setPath(rootText);
    QCOMPARE(list.Path(), base + "/elsewhere");
    QCOMPARE(changes.count(), 9);
    list.setPath(usbText); // re-selecting where it stands changes nothing
    list.setPath(usbText);
    QCOMPARE(changes.count(), 10);

    // a remembered folder deleted meanwhile: the nearest folder above it on that volume
    QVERIFY(QDir(usb + "/music").removeRecursively());
    list.setPath(rootText);
    list.setPath(usbText);
    QCOMPARE(list.Path(), usb);
}

void FolderListTest::missingFolderIsError76AndListStays() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("shown/child"));
    QVERIFY(makeFile(dir.path(), "plain file"));
    FolderList list;
    list.setPath(dir.filePath("shown"));
    const QStringList before = shownNames(list);
    const QString path = list.Path();
    QSignalSpy changes(&list, &FolderList::Change);
    QCOMPARE(errorOf([&] { list.setPath(dir.filePath("missing")); }), 76);
    QCOMPARE(errorOf([&] { list.setPath(dir.filePath("plain file")); }), 76);
    QCOMPARE(errorOf([&] { list.setPath(dir.filePath("missing/deeper")); }), 76);
    QCOMPARE(errorOf([&] { list.setPath(QString()); }), 76);
    QCOMPARE(errorOf([&] { list.setPath("/ [no such volume]"); }), 76);
    QVERIFY(QDir(dir.filePath("shown")).removeRecursively()); // the shown folder itself goes
    QCOMPARE(errorOf([&] { list.setPath(path); }), 76);
    QCOMPARE(list.Path(), path);
    QCOMPARE(shownNames(list), before);
    QCOMPARE(changes.count(), 0);
}

static int unreadableChild(int argc, char** argv) {
    QApplication app(argc, argv);
    FolderList list;
    const QString readable = QString::fromLocal8Bit(argv[2]);
    list.setPath(readable);
    const QStringList before = shownNames(list);
    QSignalSpy changes(&list, &FolderList::Change);
    const int error = errorOf([&] { list.setPath(QString::fromLocal8Bit(argv[3])); });
    const int behind = errorOf([&] { list.setPath(QString::fromLocal8Bit(argv[3]) + "/inside"); });
    if (list.Path() != readable || shownNames(list) != before || !before.endsWith("visible") ||
        changes.count())
        return 1; // the failures must leave the list as it was
    // the unreadable folder as a mounted volume: a drive that is not ready
    MountSource::current() = MountSource{QString::fromLocal8Bit(argv[4]), QString()};
    const int driveError = errorOf([&] { list.setPath(QString::fromLocal8Bit(argv[3])); });
    if (driveError != 68 || list.Path() != readable)
        return 3;
    return error == behind ? error : 2;
}

void FolderListTest::unreadableFolderIsError70() {
    if (!runningAsRoot())
        QSKIP("needs root to run the check as another user");
    QTemporaryDir dir;
    QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0);
    QVERIFY(QDir(dir.path()).mkpath("open/visible"));
    QVERIFY(QDir(dir.path()).mkpath("closed/inside"));
    QVERIFY(::chmod(QFile::encodeName(dir.filePath("closed")).constData(), 0700) == 0);
    FakeMountTable table(dir.filePath("mountinfo"));
    QVERIFY(table.write({dir.filePath("closed")}));
    QVERIFY(::chmod(QFile::encodeName(dir.filePath("mountinfo")).constData(), 0644) == 0);
    QByteArray output;
    const int code = runUnprivileged(
        {"--unreadable-child", dir.filePath("open"), dir.filePath("closed"), dir.filePath("mountinfo")},
        &output);
    QVERIFY2(code == 70, (QByteArray::number(code) + ": " + output).constData());
}

void FolderListTest::unmountedVolumeIsError68() {
    QTemporaryDir dir;
    const QString base = real(dir);
    const QString usb = base + "/usb";
    QVERIFY(QDir(base).mkpath("usb/music"));
    FakeMountTable table(base + "/mountinfo");
    QVERIFY(table.write({usb}));
    QVERIFY(QDir(base).mkdir("mountinfo.labels"));
    QVERIFY(QFile::link("/dev/sdz0", base + "/mountinfo.labels/STICK"));
    FolderList list;
    list.setPath(usb + " [STICK]");
    list.setPath(usb + "/music");
    list.setPath(base);
    const QStringList before = shownNames(list);
    QSignalSpy changes(&list, &FolderList::Change);
    QVERIFY(table.write({})); // unmounted behind the list's back; the empty mount point stays
    QCOMPARE(errorOf([&] { list.setPath(usb + " [STICK]"); }), 68); // the drive list had not caught up yet
    QCOMPARE(errorOf([&] { list.setPath(usb); }), 68);
    QCOMPARE(errorOf([&] { list.setPath(usb + "/music"); }), 68);
    QCOMPARE(list.Path(), base);
    QCOMPARE(shownNames(list), before);
    QCOMPARE(changes.count(), 0);
    QVERIFY(table.write({usb})); // mounted again: its folder is remembered still
    list.setPath(usb + " [STICK]");
    QCOMPARE(list.Path(), usb + "/music");
    list.setPath(usb); // the mount point written as a folder is its root
    QCOMPARE(list.Path(), usb);
}

void FolderListTest::userOpeningAVanishedFolderGetsTheReport() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("here/gone"));
    FolderList list;
    list.resize(300, 400);
    list.setPath(dir.filePath("here"));
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    const QStringList before = shownNames(list);
    QVERIFY(QDir(dir.filePath("here/gone")).removeRecursively());
    QSignalSpy changes(&list, &FolderList::Change);
    ErrorReportCatcher catcher;
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {},
                       list.visualRect(list.model()->index(rowOf(list, "gone"), 0)).center());
    QCOMPARE(catcher.texts, QStringList{"Run-time error '76':\n\nPath not found"});
    QCOMPARE(changes.count(), 0);
    QCOMPARE(list.Path(), real(dir) + "/here");
    QCOMPARE(shownNames(list), before);
    QTest::keyClick(&list, Qt::Key_Return); // the same by keyboard
    QCOMPARE(catcher.texts.size(), 2);
}

void FolderListTest::honoursPaletteAndFontFromOutside() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("Music/Albums"));
    FolderList list;
    list.setPath(dir.filePath("Music"));
    const int plainHeight = list.sizeHintForRow(0);
    const QColor text = listText, base = listBase;
    paintInListColours(list);
    QFont font = list.font();
    font.setPointSizeF(9.6);
    font.setBold(true);
    list.setFont(font);
    list.resize(145, 110); // its size in the player window
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QVERIFY(list.sizeHintForRow(0) != plainHeight || QFontInfo(font).bold());
    const QImage image = list.grab().toImage();
    const QImage viewport = list.viewport()->grab().toImage();
    QCOMPARE(viewport.pixelColor(viewport.width() - 3, viewport.height() - 3), base);
    int textPixels = 0;
    const QRect row = list.visualRect(list.model()->index(list.model()->rowCount() - 1, 0));
    for (int y = row.top(); y <= row.bottom(); ++y)
        for (int x = 0; x < viewport.width(); ++x)
            textPixels += viewport.pixelColor(x, y) == text;
    QVERIFY(textPixels > 10);
}

int main(int argc, char** argv) {
    if (argc == 5 && qstrcmp(argv[1], "--unreadable-child") == 0)
        return unreadableChild(argc, argv);
    QApplication app(argc, argv);
    FolderListTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_folder_list.moc"
