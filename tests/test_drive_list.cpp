#include "files/mount_watcher.h"
#include "files/runtime_error.h"
#include "list_test_helpers.h"
#include "toolkit/drive_list.h"
#include <QAbstractItemView>
#include <QDir>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace listtest;

namespace {

QStringList entries(const DriveList& list) {
    QStringList texts;
    for (int i = 0; i < list.count(); ++i)
        texts.append(list.itemText(i));
    return texts;
}

bool run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

} // namespace

class DriveListTest : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void listsVolumesWithDriveIcons();
    void startsOnVolumeHoldingCurrentFolder();
    void startsOnRootWhenCurrentFolderIsGone();
    void userChoiceRaisesChange();
    void setDriveSelectsByTextOrPath();
    void followsMountsWithoutRaisingChange();
    void noticesARealMount();
    void drawsInTheListColoursItIsGiven();

  private:
    QTemporaryDir dir_;
    QString base_, usb_, nas_;
};

void DriveListTest::init() {
    QVERIFY(dir_.isValid());
    base_ = QFileInfo(dir_.path()).canonicalFilePath();
    usb_ = base_ + "/usb";
    nas_ = base_ + "/nas";
    QVERIFY(QDir(base_).mkpath("usb/music"));
    QVERIFY(QDir(base_).mkpath("nas"));
    QDir(base_ + "/mountinfo.labels").removeRecursively();
    QVERIFY(QDir(base_).mkpath("mountinfo.labels"));
    QFile::link("/dev/sdz0", base_ + "/mountinfo.labels/MUSIC");
}

void DriveListTest::listsVolumesWithDriveIcons() {
    FakeMountTable table(base_ + "/mountinfo");
    QVERIFY(table.write({usb_, nas_}));
    DriveList list;
    QCOMPARE(entries(list), (QStringList{"/", nas_, usb_ + " [MUSIC]"}));
    for (int i = 0; i < list.count(); ++i)
        QVERIFY(!list.itemIcon(i).isNull());
    list.resize(353, 26);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QVERIFY(!list.grab().isNull());
}

void DriveListTest::startsOnVolumeHoldingCurrentFolder() {
    FakeMountTable table(base_ + "/mountinfo");
    QVERIFY(table.write({usb_, nas_}));
    const QString saved = QDir::currentPath();
    QVERIFY(QDir::setCurrent(usb_ + "/music"));
    DriveList onUsb;
    QVERIFY(QDir::setCurrent(base_));
    DriveList onRoot;
    QDir::setCurrent(saved);
    QCOMPARE(onUsb.Drive(), usb_ + " [MUSIC]");
    QCOMPARE(onRoot.Drive(), QStringLiteral("/"));
}

void DriveListTest::startsOnRootWhenCurrentFolderIsGone() {
    FakeMountTable table(base_ + "/mountinfo");
    QVERIFY(table.write({usb_}));
    const QString saved = QDir::currentPath();
    QVERIFY(QDir(usb_).mkdir("doomed"));
    QVERIFY(QDir::setCurrent(usb_ + "/doomed"));
    QVERIFY(QDir(usb_).rmdir("doomed"));
    DriveList list;
    QDir::setCurrent(saved);
    QCOMPARE(list.Drive(), QStringLiteral("/"));
}

void DriveListTest::userChoiceRaisesChange() {
    FakeMountTable table(base_ + "/mountinfo");
    QVERIFY(table.write({usb_, nas_}));
    DriveList list;
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    list.setFocus();
    QSignalSpy changes(&list, &DriveList::Change);
    QString driveAtChange;
    connect(&list, &DriveList::Change, &list, [&] { driveAtChange = list.Drive(); });
    QTest::keyClick(&list, Qt::Key_Down); // stepping the closed list picks the next volume
    QCOMPARE(changes.count(), 1);
    QCOMPARE(driveAtChange, nas_);

    // picking from the opened list
    list.showPopup();
    QAbstractItemView* view = list.view();
    QVERIFY(QTest::qWaitForWindowExposed(view->window()));
    const QModelIndex last = view->model()->index(2, 0);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(last).center());
    QTRY_COMPARE(changes.count(), 2);
    QCOMPARE(list.Drive(), usb_ + " [MUSIC]");
}

void DriveListTest::setDriveSelectsByTextOrPath() {
    FakeMountTable table(base_ + "/mountinfo");
    QVERIFY(table.write({usb_, nas_}));
    DriveList list;
    QSignalSpy changes(&list, &DriveList::Change);
    list.setDrive(usb_ + " [MUSIC]");
    QCOMPARE(list.Drive(), usb_ + " [MUSIC]");
    QCOMPARE(changes.count(), 1);
    list.setDrive(usb_ + " [MUSIC]");
    QCOMPARE(changes.count(), 1); // no move, no Change
    list.setDrive(nas_);
    QCOMPARE(list.Drive(), nas_);
    list.setDrive(usb_ + "/music"); // a folder stands for the volume holding it
    QCOMPARE(list.Drive(), usb_ + " [MUSIC]");
    list.setDrive(base_);
    QCOMPARE(list.Drive(), QStringLiteral("/"));
    QCOMPARE(changes.count(), 4);
    QCOMPARE(errorOf([&] { list.setDrive(usb_ + " [OTHER]"); }), 68);
    QCOMPARE(errorOf([&] { list.setDrive(QString()); }), 68);
    QCOMPARE(errorOf([&] { list.setDrive("relative"); }), 68);
    QCOMPARE(list.Drive(), QStringLiteral("/"));
    QCOMPARE(changes.count(), 4);
}

void DriveListTest::followsMountsWithoutRaisingChange() {
    FakeMountTable table(base_ + "/mountinfo");
    QVERIFY(table.write({usb_}));
    DriveList list;
    list.setDrive(usb_ + " [MUSIC]");
    QSignalSpy changes(&list, &DriveList::Change);

    QVERIFY(table.write({usb_, nas_})); // mounted
    QTRY_COMPARE(entries(list), (QStringList{"/", nas_, usb_ + " [MUSIC]"}));
    QCOMPARE(list.Drive(), usb_ + " [MUSIC]");
    QVERIFY(table.write({usb_})); // another one unmounted
    QTRY_COMPARE(entries(list), (QStringList{"/", usb_ + " [MUSIC]"}));
    QCOMPARE(list.Drive(), usb_ + " [MUSIC]");
    QVERIFY(table.write({})); // the selected one unmounted: back to the volume holding the process
    QTRY_COMPARE(entries(list), QStringList{"/"});
    QCOMPARE(list.Drive(), QStringLiteral("/"));
    QCOMPARE(changes.count(), 0);
}

void DriveListTest::noticesARealMount() {
    if (!runningAsRoot())
        QSKIP("mounting needs root");
    QTemporaryDir work;
    const QString image = work.filePath("volume.img"),
                  point = QFileInfo(work.path()).canonicalFilePath() + "/point";
    QVERIFY(QDir(work.path()).mkdir("point"));
    if (!run("truncate", {"-s", "4M", image}) || !run("mkfs.ext4", {"-q", "-L", "TOLVANE", image}))
        QSKIP("cannot make a filesystem image here");
    DriveList list; // on the real /proc/self/mountinfo
    QSignalSpy tableChanges(list.findChild<MountWatcher*>(), &MountWatcher::changed);
    QSignalSpy changes(&list, &DriveList::Change);
    const QString before = list.Drive();
    if (!run("mount", {"-o", "loop", image, point}))
        QSKIP("this machine does not let a test mount a loop device");
    auto unmount = qScopeGuard([&] { run("umount", {point}); }); // never leave it mounted, even on failure
    const auto listed = [&] {
        const QStringList texts = entries(list);
        return std::any_of(texts.begin(), texts.end(),
                           [&](const QString& text) { return text.startsWith(point); });
    };
    QTRY_VERIFY(tableChanges.count() >= 1);
    QTRY_VERIFY(listed());
    QVERIFY(run("umount", {point}));
    unmount.dismiss();
    QTRY_VERIFY(!listed());
    QCOMPARE(list.Drive(), before);
    QCOMPARE(changes.count(), 0);
}

void DriveListTest::drawsInTheListColoursItIsGiven() {
    DriveList list;
    const QColor text = listText, base = listBase;
    paintInListColours(list);
    QFont font = list.font();
    font.setPointSizeF(12);
    font.setBold(true);
    list.setFont(font);
    list.resize(353, 26);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    const QImage image = list.grab().toImage();
    // the style shades the face a little; it must stay close to the colour given
    const QColor face = image.pixelColor(image.width() * 2 / 3, image.height() / 2);
    QVERIFY2(qAbs(face.red() - base.red()) < 24 && qAbs(face.green() - base.green()) < 24 &&
                 qAbs(face.blue() - base.blue()) < 24,
             qPrintable(face.name()));
    int textPixels = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            textPixels += image.pixelColor(x, y) == text;
    QVERIFY(textPixels > 5);
}

QTEST_MAIN(DriveListTest)
#include "test_drive_list.moc"
