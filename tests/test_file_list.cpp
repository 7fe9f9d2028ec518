#include "files/runtime_error.h"
#include "list_test_helpers.h"
#include "toolkit/file_list.h"
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextDocumentFragment>
#include <QToolTip>
#include <QtTest>
#include <fcntl.h>
#include <filesystem>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>

using namespace listtest;

namespace {

bool makeSocket(const QString& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray bytes = QFile::encodeName(path);
    if (fd < 0 || size_t(bytes.size()) >= sizeof address.sun_path)
        return false;
    memcpy(address.sun_path, bytes.constData(), size_t(bytes.size()));
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd); // the socket file stays behind
    return bound;
}

} // namespace

class FileListTest : public QObject {
    Q_OBJECT
  private slots:
    void startsAtProcessCurrentFolder();
    void listsOnlyVisibleRegularFiles();
    void sortsNaturallyIgnoringCase();
    void oddNamesAreListedAndComeBackExactly();
    void fileNameIsEmptyUntilSomethingIsSelected();
    void mouseClickRaisesClick();
    void everyKeyboardMoveRaisesClick_data();
    void everyKeyboardMoveRaisesClick();
    void missingOrNotAFolderIsError76();
    void unreadableFolderIsError70();
    void unmountedVolumeIsError68();
    void deletedWhileShownDoesNoHarm();
    void honoursPaletteAndFontFromOutside();
    void longNamesGetATooltipShortOnesNone();
    void hundredThousandFilesArriveInNaturalOrder();
};

void FileListTest::startsAtProcessCurrentFolder() {
    QTemporaryDir dir;
    QVERIFY(makeFile(dir.path(), "here.mp3"));
    const QString saved = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    FileList list;
    QDir::setCurrent(saved);
    QCOMPARE(list.Path(), dir.path());
    QCOMPARE(shownNames(list), QStringList{"here.mp3"});
}

void FileListTest::listsOnlyVisibleRegularFiles() {
    QTemporaryDir dir;
    const QString d = dir.path();
    QVERIFY(makeFile(d, "song.mp3"));
    QVERIFY(makeFile(d, ".hidden.mp3"));
    QVERIFY(makeFile(d, "no extension"));
    QVERIFY(::mkfifo(QFile::encodeName(d + "/pipe").constData(), 0644) == 0);
    QVERIFY(makeSocket(d + "/socket"));
    QVERIFY(QDir(d).mkdir("folder"));
    QVERIFY(QFile::link(d + "/song.mp3", d + "/link to song.mp3"));
    QVERIFY(QFile::link(d + "/gone.mp3", d + "/dangling.mp3"));
    QVERIFY(QFile::link(d + "/folder", d + "/link to folder"));
    QVERIFY(QFile::link(d + "/pipe", d + "/link to pipe"));
    QVERIFY(QFile::link(d + "/loop", d + "/loop")); // a link to itself
    const bool madeDevice =
        ::mknod(QFile::encodeName(d + "/null-device").constData(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    FileList list;
    list.setPath(d);
    QCOMPARE(list.Path(), d);
    QCOMPARE(shownNames(list), (QStringList{"link to song.mp3", "no extension", "song.mp3"}));
    if (!madeDevice)
        qInfo("no device node could be made here; FIFO and socket stood for system files");
}

void FileListTest::sortsNaturallyIgnoringCase() {
    QTemporaryDir dir;
    for (const char* name :
         {"Track10.mp3", "track2.mp3", "track1.mp3", "Alpha.mp3", "beta.mp3", "track02b.mp3"})
        QVERIFY(makeFile(dir.path(), name));
    FileList list;
    list.setPath(dir.path());
    QCOMPARE(shownNames(list), (QStringList{"Alpha.mp3", "beta.mp3", "track1.mp3", "track2.mp3",
                                            "track02b.mp3", "Track10.mp3"}));
}

void FileListTest::oddNamesAreListedAndComeBackExactly() {
    QTemporaryDir dir;
    const QList<QByteArray> names = {
        "with spaces.mp3",       "\"quoted\" 'name'.mp3", "-rf --help.mp3",
        "two\nlines.mp3",        "caf\xe9 latin-1.mp3",   "\xff\xfe bad bytes",
        "caf\xc3\xa9 utf-8.mp3", "back\\slash.mp3",       "tab\there",
    };
    for (const QByteArray& name : names)
        QVERIFY(makeFile(dir.path(), name, name)); // each file holds its own name
    FileList list;
    list.setPath(dir.path());
    QCOMPARE(list.model()->rowCount(), names.size());
    QList<QByteArray> seen;
    for (int row = 0; row < list.model()->rowCount(); ++row) {
        list.setCurrentIndex(list.model()->index(row, 0));
        const QString fileName = list.FileName();
        seen.append(fsEncodeName(fileName));
        // the full path built from Path and FileName opens the very file
        const QByteArray full = fsEncodeName(list.Path() + "/" + fileName);
        const int fd = ::open(full.constData(), O_RDONLY);
        QVERIFY2(fd >= 0, full.constData());
        char buffer[64] = {};
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        ::close(fd);
        QCOMPARE(QByteArray(buffer, int(got)), fsEncodeName(fileName));
        // what is shown never breaks the row: no control characters
        const QString shown = list.model()->index(row, 0).data().toString();
        QVERIFY(std::none_of(shown.begin(), shown.end(), [](QChar c) { return c.unicode() < 0x20; }));
    }
    QVERIFY(shownNames(list).contains(QString::fromUtf8("two\u21B5lines.mp3")));
    std::filesystem::remove_all(fsEncodeName(dir.path()).toStdString()); // QDir cannot name the odd bytes
    std::sort(seen.begin(), seen.end());
    QList<QByteArray> expected = names;
    std::sort(expected.begin(), expected.end());
    QCOMPARE(seen, expected);
}

void FileListTest::fileNameIsEmptyUntilSomethingIsSelected() {
    QTemporaryDir dir;
    QVERIFY(makeFile(dir.path(), "a.mp3"));
    QVERIFY(makeFile(dir.path(), "b.mp3"));
    FileList list;
    list.setPath(dir.path());
    QCOMPARE(list.FileName(), QString());
    list.setCurrentIndex(list.model()->index(1, 0));
    QCOMPARE(list.FileName(), QStringLiteral("b.mp3"));
    list.setPath(dir.path()); // re-reading forgets the selection
    QCOMPARE(list.FileName(), QString());
    QTemporaryDir empty;
    list.setPath(empty.path());
    QCOMPARE(list.model()->rowCount(), 0);
    QCOMPARE(list.FileName(), QString());
}

void FileListTest::mouseClickRaisesClick() {
    QTemporaryDir dir;
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"})
        QVERIFY(makeFile(dir.path(), name));
    FileList list;
    list.resize(200, 200);
    list.setPath(dir.path());
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QSignalSpy clicks(&list, &FileList::Click);
    QString nameAtClick;
    connect(&list, &FileList::Click, &list, [&] { nameAtClick = list.FileName(); });

    const QRect second = list.visualRect(list.model()->index(1, 0));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, second.center());
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(nameAtClick, QStringLiteral("b.mp3")); // the selection is made before Click is raised
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, second.center());
    QCOMPARE(clicks.count(), 2); // the same file again still counts
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::ControlModifier, second.center());
    QCOMPARE(clicks.count(), 3);
    QCOMPARE(nameAtClick, QStringLiteral("b.mp3")); // Ctrl does not unselect the one file
    const QRect third = list.visualRect(list.model()->index(2, 0));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(third.center().x(), third.bottom() + 40));
    QCOMPARE(clicks.count(), 3); // empty space below the files is no click on a file
}

void FileListTest::everyKeyboardMoveRaisesClick_data() {
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<QList<int>>("rows"); // the current row after each key; -1: no move expected
    QTest::newRow("arrows") << QList<int>{Qt::Key_Down, Qt::Key_Down, Qt::Key_Up, Qt::Key_Up}
                            << QList<int>{0, 1, 0, -1};
    QTest::newRow("home and end") << QList<int>{Qt::Key_End, Qt::Key_End, Qt::Key_Home, Qt::Key_Home}
                                  << QList<int>{39, -1, 0, -1};
    QTest::newRow("pages") << QList<int>{Qt::Key_Home, Qt::Key_PageDown, Qt::Key_PageDown, Qt::Key_PageUp}
                           << QList<int>{0, -2, -2, -2}; // -2: moves, by however many rows fit
    QTest::newRow("down at the bottom") << QList<int>{Qt::Key_End, Qt::Key_Down} << QList<int>{39, -1};
}

void FileListTest::everyKeyboardMoveRaisesClick() {
    QFETCH(QList<int>, keys);
    QFETCH(QList<int>, rows);
    QTemporaryDir dir;
    for (int i = 1; i <= 40; ++i)
        QVERIFY(makeFile(dir.path(), QByteArray("file ") + QByteArray::number(i)));
    FileList list;
    list.resize(200, 120);
    list.setPath(dir.path());
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    list.setFocus();
    QSignalSpy clicks(&list, &FileList::Click);
    QStringList namesAtClick;
    connect(&list, &FileList::Click, &list, [&] { namesAtClick.append(list.FileName()); });
    int expectedClicks = 0;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        const int before = list.currentIndex().row();
        QTest::keyClick(&list, Qt::Key(keys[i]));
        const int after = list.currentIndex().row();
        if (rows[i] == -1) {
            QCOMPARE(after, before);
        } else {
            QVERIFY2(after != before, qPrintable(QStringLiteral("key %1 did not move").arg(i)));
            if (rows[i] >= 0)
                QCOMPARE(after, rows[i]);
            ++expectedClicks;
            QCOMPARE(namesAtClick.last(), QStringLiteral("file %1").arg(after + 1));
        }
        QCOMPARE(clicks.count(), expectedClicks);
    }
}

void FileListTest::missingOrNotAFolderIsError76() {
    QTemporaryDir dir;
    QVERIFY(makeFile(dir.path(), "keep.mp3"));
    FileList list;
    list.setPath(dir.path());
    list.setCurrentIndex(list.model()->index(0, 0));
    QCOMPARE(errorOf([&] { list.setPath(dir.filePath("no such folder")); }), 76);
    QCOMPARE(errorOf([&] { list.setPath(dir.filePath("keep.mp3")); }), 76);
    QCOMPARE(errorOf([&] { list.setPath(dir.filePath("keep.mp3/below")); }), 76);
    QCOMPARE(errorOf([&] { list.setPath(QString()); }), 76);
    QCOMPARE(list.Path(), dir.path());
    QCOMPARE(shownNames(list), QStringList{"keep.mp3"});
    QCOMPARE(list.FileName(), QStringLiteral("keep.mp3"));
}

// Run as the unprivileged child: reads a readable folder, then tries the unreadable one.
static int unreadableChild(int argc, char** argv) {
    QApplication app(argc, argv);
    FileList list;
    list.setPath(QString::fromLocal8Bit(argv[2]));
    const QStringList before = shownNames(list);
    const int error = errorOf([&] { list.setPath(QString::fromLocal8Bit(argv[3])); });
    if (list.Path() != QString::fromLocal8Bit(argv[2]) || shownNames(list) != before || before.isEmpty())
        return 1; // the failure must leave the list as it was
    return error;
}

void FileListTest::unreadableFolderIsError70() {
    if (!runningAsRoot())
        QSKIP("needs root to run the check as another user");
    QTemporaryDir dir;
    QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                  QFile::ReadOther | QFile::ExeOther));
    QVERIFY(QDir(dir.path()).mkdir("open"));
    QVERIFY(QDir(dir.path()).mkdir("closed"));
    QVERIFY(makeFile(dir.filePath("open"), "visible.mp3"));
    QVERIFY(::chmod(QFile::encodeName(dir.filePath("closed")).constData(), 0700) == 0);
    QByteArray output;
    const int code =
        runUnprivileged({"--unreadable-child", dir.filePath("open"), dir.filePath("closed")}, &output);
    QVERIFY2(code == 70, output.constData());
}

void FileListTest::unmountedVolumeIsError68() {
    QTemporaryDir dir;
    const QString usb = dir.filePath("usb");
    QVERIFY(QDir(dir.path()).mkpath("usb/music"));
    QVERIFY(makeFile(usb + "/music", "song.mp3"));
    FakeMountTable table(dir.filePath("mountinfo"));
    QVERIFY(table.write({usb}));
    FileList list;
    list.setPath(usb + "/music");
    QCOMPARE(shownNames(list), QStringList{"song.mp3"});
    QVERIFY(table.write({})); // unmounted; its mount point folder stays behind, as it often does
    QCOMPARE(errorOf([&] { list.setPath(usb + "/music"); }), 68);
    QCOMPARE(errorOf([&] { list.setPath(usb); }), 68);
    QCOMPARE(list.Path(), usb + "/music");
    QCOMPARE(shownNames(list), QStringList{"song.mp3"});
    QVERIFY(table.write({usb})); // back again
    list.setPath(usb);
    QCOMPARE(list.Path(), usb);
}

void FileListTest::deletedWhileShownDoesNoHarm() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir("shown"));
    const QString shown = dir.filePath("shown");
    QVERIFY(makeFile(shown, "a.mp3"));
    QVERIFY(makeFile(shown, "b.mp3"));
    FileList list;
    list.resize(200, 200);
    list.setPath(shown);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QVERIFY(QDir(shown).removeRecursively());
    QSignalSpy clicks(&list, &FileList::Click);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                      list.visualRect(list.model()->index(1, 0)).center());
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(list.FileName(), QStringLiteral("b.mp3"));
    list.viewport()->repaint();
    QCOMPARE(errorOf([&] { list.setPath(shown); }), 76);
    QCOMPARE(shownNames(list), (QStringList{"a.mp3", "b.mp3"}));
}

void FileListTest::honoursPaletteAndFontFromOutside() {
    QTemporaryDir dir;
    QVERIFY(makeFile(dir.path(), "WWWWWWWW.mp3"));
    FileList list;
    list.resize(200, 100);
    list.setPath(dir.path());
    const int plainHeight = list.sizeHintForRow(0);
    const QColor text = listText, base = listBase;
    paintInListColours(list);
    QFont font = list.font();
    font.setPointSizeF(font.pointSizeF() * 2);
    font.setBold(true);
    list.setFont(font);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QVERIFY(list.sizeHintForRow(0) > plainHeight);
    const QImage image = list.viewport()->grab().toImage();
    QCOMPARE(image.pixelColor(image.width() - 5, image.height() - 5), base);
    int textPixels = 0;
    const QRect row = list.visualRect(list.model()->index(0, 0));
    for (int y = row.top(); y <= row.bottom(); ++y)
        for (int x = row.left(); x <= row.right() && x < image.width(); ++x)
            textPixels += image.pixelColor(x, y) == text;
    QVERIFY(textPixels > 10);
}

void FileListTest::longNamesGetATooltipShortOnesNone() {
    QTemporaryDir dir;
    const QByteArray longName = "a very long file name that cannot fit into a narrow list at all.mp3";
    QVERIFY(makeFile(dir.path(), "short.mp3"));
    QVERIFY(makeFile(dir.path(), longName));
    FileList list;
    list.resize(120, 100);
    list.setPath(dir.path());
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    const auto tooltipAt = [&](int row) -> QString {
        QToolTip::hideText();
        if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); })) // hiding takes a moment
            return QStringLiteral("(tooltip stays)");
        const QPoint at = list.visualRect(list.model()->index(row, 0)).center();
        QHelpEvent event(QEvent::ToolTip, at, list.viewport()->mapToGlobal(at));
        QApplication::sendEvent(list.viewport(), &event);
        return QToolTip::isVisible() ? QTextDocumentFragment::fromHtml(QToolTip::text()).toPlainText()
                                     : QString();
    };
    QCOMPARE(tooltipAt(1), QString()); // "a very..." sorts first
    QCOMPARE(tooltipAt(0), QString::fromUtf8(longName));
}

void FileListTest::hundredThousandFilesArriveInNaturalOrder() {
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path());
    for (int i = 0; i < 100000; ++i) {
        // names out of order, mixed case, numbers of several lengths
        const QByteArray name =
            (i % 2 ? "Track " : "track ") + QByteArray::number((i * 7919) % 100000) + ".mp3";
        const int fd = ::open((folder + '/' + name).constData(), O_CREAT | O_WRONLY, 0644);
        QVERIFY(fd >= 0);
        ::close(fd);
    }
    // How fast, against a bare readdir loop, is bench_listing's business (make bench); this is whether the
    // whole folder arrives, in natural order, and the view can lay it out.
    FileList list;
    list.resize(200, 300);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    list.setPath(dir.path());
    // A listing past the short wait arrives later, on its own, whole.
    QTRY_COMPARE_WITH_TIMEOUT(list.model()->rowCount(), 100000, 30000);
    QCOMPARE(list.Path(), dir.path());
    QCOMPARE(list.accessibleDescription(), QString());
    list.doItemsLayout();
    QCOMPARE(list.model()->index(0, 0).data().toString(), QStringLiteral("track 0.mp3"));
    QCOMPARE(list.model()->index(1, 0).data().toString(), QStringLiteral("Track 1.mp3"));
    QCOMPARE(list.model()->index(10, 0).data().toString(), QStringLiteral("track 10.mp3"));
    QCOMPARE(list.model()->index(99999, 0).data().toString(), QStringLiteral("Track 99999.mp3"));
    list.setCurrentIndex(list.model()->index(99999, 0));
    list.scrollTo(list.currentIndex());
    QCOMPARE(list.FileName(), QStringLiteral("Track 99999.mp3"));
}

int main(int argc, char** argv) {
    if (argc == 4 && qstrcmp(argv[1], "--unreadable-child") == 0)
        return unreadableChild(argc, argv);
    QApplication app(argc, argv);
    FileListTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_file_list.moc"
