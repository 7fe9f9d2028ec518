#include "files/drive_folders.h"
#include "files/volumes.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A machine with every kind of mount the filter has to sort out.
const QByteArray busyTable = R"(21 26 0:20 / /proc rw,relatime - proc proc rw
22 26 0:21 / /sys rw,relatime - sysfs sysfs rw
23 26 0:6 / /dev rw,relatime - devtmpfs devtmpfs rw,size=123k
24 23 0:22 / /dev/shm rw,relatime - tmpfs tmpfs rw
25 23 0:23 / /dev/pts rw,relatime - devpts devpts rw,mode=600
26 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda rw
30 22 0:27 / /sys/fs/cgroup rw,relatime - tmpfs tmpfs rw,mode=755
31 30 0:28 / /sys/fs/cgroup/cpu rw,relatime - cgroup cgroup rw,cpu
40 30 0:37 / /sys/fs/cgroup/unified rw,relatime - cgroup2 cgroup2 rw
41 26 254:0 /var/lib/docker/containers/abc/hosts /etc/hosts rw,relatime - ext4 /dev/vda rw
42 26 8:17 / /media/usb rw,nosuid shared:7 master:1 - vfat /dev/sdb1 rw
43 26 0:50 / /mnt/nas rw,relatime - nfs4 nas:/export rw
44 26 0:51 / /mnt/remote rw - fuse.sshfs me@host:/home/me rw
45 26 7:1 / /snap/core/17 ro - squashfs /dev/loop1 ro
46 26 0:52 / /run/user/1000/gvfs rw - fuse.gvfsd-fuse gvfsd-fuse rw
47 26 0:53 /@home /home rw - btrfs /dev/sda2 rw
48 26 8:33 / /media/my\040stick rw - exfat /dev/sdc1 rw
49 26 0:54 / /run rw - tmpfs tmpfs rw
50 26 8:49 / /media/hidden rw - ext4 /dev/sdd1 rw
51 50 0:55 / /media/hidden rw - tmpfs tmpfs rw
52 26 0:56 / /proc/sys/fs/binfmt_misc rw - binfmt_misc binfmt_misc rw
)";

QStringList mountPoints(const QList<Volume>& volumes) {
    QStringList points;
    for (const Volume& volume : volumes)
        points.append(volume.mountPoint);
    return points;
}

} // namespace

class VolumesTest : public QObject {
    Q_OBJECT
  private slots:
    void filterKeepsRealVolumesOnly();
    void rootIsAlwaysThere_data();
    void rootIsAlwaysThere();
    void malformedLinesAreSkipped();
    void thousandsOfMountsCostLinearithmicComparisons();
    void labelsComeFromByLabelLinks();
    void driveTextForms();
    void volumeHoldingPicksLongestWholeComponentPrefix();
    void mountedVolumesReadsTheConfiguredTable();
    void driveFoldersStartAtCurrentFolderOrMountPoint();
    void driveFoldersRememberAndFallBack();
    void driveFoldersTellVanishedVolumes();
};

void VolumesTest::filterKeepsRealVolumesOnly() {
    const QList<Volume> volumes = volumesFromMountInfo(busyTable);
    // /media/hidden is covered by a tmpfs mounted over it, so its disk cannot be browsed there.
    QCOMPARE(mountPoints(volumes),
             (QStringList{"/", "/home", "/media/my stick", "/media/usb", "/mnt/nas", "/mnt/remote"}));
    QCOMPARE(volumes[0].source, QStringLiteral("/dev/vda"));
    QCOMPARE(volumes[0].fsType, QStringLiteral("ext4"));
    QCOMPARE(volumes[4].source, QStringLiteral("nas:/export"));
    QVERIFY(volumes[4].isNetwork());
    QVERIFY(volumes[5].isNetwork());
    QVERIFY(!volumes[3].isNetwork());
}

void VolumesTest::rootIsAlwaysThere_data() {
    QTest::addColumn<QByteArray>("table");
    QTest::newRow("empty table") << QByteArray();
    QTest::newRow("only pseudo filesystems") << QByteArray("21 26 0:20 / /proc rw - proc proc rw\n");
    QTest::newRow("overlay root of a container")
        << QByteArray("600 500 0:40 / / rw - overlay overlay rw,lowerdir=/x\n");
    QTest::newRow("tmpfs root") << QByteArray("1 0 0:2 / / rw - tmpfs none rw\n");
}

void VolumesTest::rootIsAlwaysThere() {
    QFETCH(QByteArray, table);
    const QList<Volume> volumes = volumesFromMountInfo(table);
    QCOMPARE(mountPoints(volumes), QStringList{"/"});
}

void VolumesTest::malformedLinesAreSkipped() {
    const QByteArray table = "garbage\n"
                             "42 26 8:17 / /media/usb rw\n"                  // no separator
                             "43 26 8:18 / /media/b rw - ext4\n"             // no source
                             "44 26 8:19 / /media/c rw - ext4 /dev/sde1 rw"; // last line, no newline
    QCOMPARE(mountPoints(volumesFromMountInfo(table)), (QStringList{"/", "/media/c"}));
}

// A machine with 2 000 mounts (containers, snaps, automounts): each mount event reads the whole table, so
// picking the topmost mount per point must not compare every entry with every other.
void VolumesTest::thousandsOfMountsCostLinearithmicComparisons() {
    QByteArray table = "1 0 254:0 / / rw - ext4 /dev/vda rw\n";
    for (int i = 0; i < 2000; ++i) { // every tenth point mounted twice: the later, a tmpfs, hides the disk
        const QByteArray point = "/media/d" + QByteArray::number((i * 7919) % 2000);
        table += QByteArray::number(i + 2) + " 1 8:1 / " + point + " rw - ext4 /dev/sd" +
                 QByteArray::number(i) + " rw\n";
        if (i % 10 == 0)
            table += QByteArray::number(i + 5000) + " 1 0:9 / " + point + " rw - tmpfs tmpfs rw\n";
    }
    qint64 comparisons = 0;
    const QList<Volume> volumes = volumesFromMountInfo(table, [&](const QString& a, const QString& b) {
        ++comparisons;
        return a < b;
    });
    QCOMPARE(volumes.size(), 1 + 2000 - 200);
    QVERIFY(std::is_sorted(volumes.begin(), volumes.end(),
                           [](const Volume& a, const Volume& b) { return a.mountPoint < b.mountPoint; }));
    const qint64 entries = 2201; // n log2 n is some 24 000; comparing each with each, 2.4 million
    QVERIFY2(comparisons < 2 * entries * 12, qPrintable(QString::number(comparisons)));
}

void VolumesTest::labelsComeFromByLabelLinks() {
    QTemporaryDir labels;
    QVERIFY(labels.isValid());
    QVERIFY(QFile::link("/dev/sdb1", labels.filePath("MUSIC")));
    QVERIFY(QFile::link("../../sdc1", labels.filePath("My\\x20Stick"))); // udev's escape for a space
    QVERIFY(QFile::link("/dev/sdz9", labels.filePath("OTHER")));
    QFile plain(labels.filePath("NOTALINK"));
    QVERIFY(plain.open(QIODevice::WriteOnly));

    QCOMPARE(volumeLabel(Volume{"/media/usb", "/dev/sdb1", "vfat", {}}, labels.path()),
             QStringLiteral("MUSIC"));
    // a relative link is read from where it stands, as udev writes them
    QTemporaryDir deeper;
    QVERIFY(QDir(deeper.path()).mkpath("disk/by-label"));
    const QString labelDir = deeper.filePath("disk/by-label");
    QVERIFY(QFile::link("../../sdc1", labelDir + "/My\\x20Stick"));
    QCOMPARE(volumeLabel(Volume{"/m", deeper.filePath("sdc1"), "exfat", {}}, labelDir),
             QStringLiteral("My Stick"));
    QCOMPARE(volumeLabel(Volume{"/m", "/dev/sdq1", "ext4", {}}, labels.path()), QString());
    QCOMPARE(volumeLabel(Volume{"/", "", "", {}}, labels.path()), QString());
    QCOMPARE(volumeLabel(Volume{"/m", "/dev/sdb1", "ext4", {}}, labels.filePath("missing")), QString());
    QCOMPARE(volumeLabel(Volume{"/mnt/nas", "nas:/export", "nfs4", {}}, labels.path()),
             QStringLiteral("nas:/export"));
}

void VolumesTest::driveTextForms() {
    QCOMPARE((Volume{"/", "/dev/vda", "ext4", "rootfs"}.driveText()), QStringLiteral("/ [rootfs]"));
    QCOMPARE((Volume{"/media/usb", "/dev/sdb1", "vfat", {}}.driveText()), QStringLiteral("/media/usb"));
    QCOMPARE((Volume{"/media/my stick", "/dev/sdc1", "exfat", "My Stick"}.driveText()),
             QStringLiteral("/media/my stick [My Stick]"));
}

void VolumesTest::volumeHoldingPicksLongestWholeComponentPrefix() {
    const QList<Volume> volumes = volumesFromMountInfo(busyTable);
    QCOMPARE(volumeHolding(volumes, "/media/usb/music/a.mp3")->mountPoint, QStringLiteral("/media/usb"));
    QCOMPARE(volumeHolding(volumes, "/media/usb")->mountPoint, QStringLiteral("/media/usb"));
    QCOMPARE(volumeHolding(volumes, "/media/usb2/x")->mountPoint, QStringLiteral("/"));
    QCOMPARE(volumeHolding(volumes, "/tmp")->mountPoint, QStringLiteral("/"));
    QCOMPARE(volumeHolding(volumes, "/")->mountPoint, QStringLiteral("/"));
    QVERIFY(!volumeHolding(volumes, "relative/path"));
    QVERIFY(pathIsWithin("/a/b", "/a"));
    QVERIFY(!pathIsWithin("/ab", "/a"));
    QVERIFY(!pathIsWithin("/a", "/a/b"));
}

void VolumesTest::mountedVolumesReadsTheConfiguredTable() {
    QTemporaryDir dir;
    QFile table(dir.filePath("mountinfo"));
    QVERIFY(table.open(QIODevice::WriteOnly));
    table.write(busyTable);
    table.close();
    QVERIFY(QDir(dir.path()).mkdir("labels"));
    QVERIFY(QFile::link("/dev/vda", dir.filePath("labels/rootfs")));
    const MountSource saved = MountSource::current();
    MountSource::current() = MountSource{table.fileName(), dir.filePath("labels")};
    const QList<Volume> volumes = mountedVolumes();
    MountSource::current() = saved;
    QCOMPARE(volumes.size(), 6);
    QCOMPARE(volumes[0].driveText(), QStringLiteral("/ [rootfs]"));
    QCOMPARE(volumes[4].driveText(), QStringLiteral("/mnt/nas [nas:/export]"));

    // the real table of this machine always yields its root
    const QList<Volume> real = mountedVolumes();
    QVERIFY(!real.isEmpty());
    QCOMPARE(real[0].mountPoint, QStringLiteral("/"));
}

void VolumesTest::driveFoldersStartAtCurrentFolderOrMountPoint() {
    const QList<Volume> volumes = volumesFromMountInfo(busyTable);
    DriveFolders folders(QDir::rootPath()); // "/" exists everywhere
    folders.update(volumes);
    QCOMPARE(folders.folderFor(volumes[0], volumes), QStringLiteral("/"));

    QTemporaryDir start;
    DriveFolders fromTemp(start.path());
    QCOMPARE(fromTemp.folderFor(volumes[0], volumes), start.path()); // "/" holds the temporary folder
    QCOMPARE(fromTemp.folderFor(volumes[3], volumes), QStringLiteral("/media/usb"));
}

void VolumesTest::driveFoldersRememberAndFallBack() {
    QTemporaryDir base;
    QVERIFY(QDir(base.path()).mkpath("disk/music/rock"));
    const QString mount = base.filePath("disk");
    const QByteArray table = "1 0 254:0 / / rw - ext4 /dev/vda rw\n"
                             "2 1 8:1 / " +
                             mount.toUtf8() + " rw - ext4 /dev/sdb1 rw\n";
    const QList<Volume> volumes = volumesFromMountInfo(table);
    QCOMPARE(volumes.size(), 2);
    DriveFolders folders(QDir::rootPath());
    folders.update(volumes);
    QCOMPARE(folders.folderFor(volumes[1], volumes), mount);

    folders.remember(mount + "/music/rock", volumes);
    QCOMPARE(folders.folderFor(volumes[1], volumes), mount + "/music/rock");
    QCOMPARE(folders.folderFor(volumes[0], volumes), QStringLiteral("/")); // the other volume is untouched

    // the remembered folder is deleted: its nearest surviving parent on the volume serves instead
    QVERIFY(QDir(mount + "/music/rock").removeRecursively());
    QCOMPARE(folders.folderFor(volumes[1], volumes), mount + "/music");
    QVERIFY(QDir(mount + "/music").removeRecursively());
    QCOMPARE(folders.folderFor(volumes[1], volumes), mount);
}

void VolumesTest::driveFoldersTellVanishedVolumes() {
    QTemporaryDir base;
    const QString mount = base.filePath("usb");
    const QByteArray root = "1 0 254:0 / / rw - ext4 /dev/vda rw\n";
    const QList<Volume> before =
        volumesFromMountInfo(root + "2 1 8:1 / " + mount.toUtf8() + " rw - vfat /dev/sdb1 rw\n");
    QList<Volume> labelled = before;
    labelled[1].label = "USB";
    const QList<Volume> after = volumesFromMountInfo(root);

    DriveFolders folders(QDir::rootPath());
    QVERIFY(!folders.onVanishedVolume(mount + "/x", after)); // never seen mounted: just a folder on "/"
    folders.update(labelled);
    QVERIFY(!folders.onVanishedVolume(mount + "/x", labelled));
    QVERIFY(folders.onVanishedVolume(mount + "/x", after));
    QVERIFY(folders.onVanishedVolume(mount, after));
    QVERIFY(!folders.onVanishedVolume(mount + "2/x", after));
    QVERIFY(!folders.onVanishedVolume("/tmp", after));
    QVERIFY(folders.vanishedVolume(mount + " [USB]", after));
    QVERIFY(!folders.vanishedVolume(mount + " [USB]", labelled));
    QVERIFY(!folders.vanishedVolume("/ [nothing]", after));
}

QTEST_GUILESS_MAIN(VolumesTest)
#include "test_volumes.moc"
