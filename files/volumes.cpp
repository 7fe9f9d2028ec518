#include "files/volumes.h"
#include "files/fs_names.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <vector>

namespace {

// Filesystems reached over a network; they count as volumes though they have no device node.
bool isNetworkType(const QString& type) {
    static const QStringList types = {
        QStringLiteral("nfs"),        QStringLiteral("nfs4"),        QStringLiteral("cifs"),
        QStringLiteral("smb3"),       QStringLiteral("smbfs"),       QStringLiteral("ncpfs"),
        QStringLiteral("afs"),        QStringLiteral("ceph"),        QStringLiteral("9p"),
        QStringLiteral("glusterfs"),  QStringLiteral("lustre"),      QStringLiteral("davfs"),
        QStringLiteral("fuse.sshfs"), QStringLiteral("fuse.rclone"), QStringLiteral("fuse.glusterfs"),
        QStringLiteral("fuse.s3fs"),  QStringLiteral("fuse.cephfs"), QStringLiteral("fuse.davfs2"),
    };
    return types.contains(type);
}

// Read-only package images (snaps, AppImages) sit on loop devices but are not places to keep media.
bool isPackageImageType(const QString& type) {
    return type == QLatin1String("squashfs");
}

// mountinfo writes space, tab, newline and backslash in paths as \ooo.
QString unescapeOctal(const QByteArray& field) {
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c == '\\' && i + 3 < field.size()) {
            const QByteArray digits = field.mid(i + 1, 3);
            bool ok = digits.size() == 3;
            for (char d : digits)
                ok = ok && d >= '0' && d <= '7';
            if (ok) {
                out.append(char(digits.toInt(nullptr, 8)));
                i += 3;
                continue;
            }
        }
        out.append(c);
    }
    return fsDecodeName(out);
}

// udev writes unsafe label characters as \xHH.
QString unescapeHex(const QString& name) {
    QByteArray bytes = QFile::encodeName(name);
    QByteArray out;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\\' && i + 3 < bytes.size() && bytes[i + 1] == 'x') {
            bool ok = false;
            const int value = bytes.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                out.append(char(value));
                i += 3;
                continue;
            }
        }
        out.append(bytes[i]);
    }
    return QString::fromUtf8(out);
}

} // namespace

bool Volume::isNetwork() const {
    return isNetworkType(fsType);
}

QString Volume::driveText() const {
    return label.isEmpty() ? mountPoint : mountPoint + QStringLiteral(" [") + label + QLatin1Char(']');
}

namespace {

// One line of the mount table as a volume; false for lines that are not mount entries.
bool parseMountLine(const QByteArray& line, Volume& volume, bool& browsable) {
    const QList<QByteArray> fields = line.simplified().split(' ');
    const qsizetype dash = fields.indexOf("-");
    if (fields.size() < 7 || dash < 6 || dash + 2 >= fields.size())
        return false;
    const QString root = unescapeOctal(fields[3]);
    volume.mountPoint = unescapeOctal(fields[4]);
    volume.fsType = QString::fromUtf8(fields[dash + 1]);
    volume.source = unescapeOctal(fields[dash + 2]);
    const bool isRoot = volume.mountPoint == QLatin1String("/");
    const bool onDevice = volume.source.startsWith(QLatin1String("/dev/")) &&
                          !isPackageImageType(volume.fsType) &&
                          // a bind mount of a subtree (or of a single file) is not a volume of its own;
                          // btrfs reports its subvolumes this way, and those are
                          (root == QLatin1String("/") || volume.fsType == QLatin1String("btrfs"));
    browsable = isRoot || onDevice || volume.isNetwork();
    return true;
}

struct MountEntry {
    Volume volume;
    bool browsable;
};

} // namespace

// Sorted by mount point (stable, so mount order stays within one point) and the last of each run kept: a
// machine with thousands of mounts gets n log n comparisons a mount event, not n squared.
QList<Volume> volumesFromMountInfo(const QByteArray& mountInfo, const MountPointLess& less) {
    const auto before = [&less](const MountEntry& a, const MountEntry& b) {
        return less ? less(a.volume.mountPoint, b.volume.mountPoint)
                    : a.volume.mountPoint < b.volume.mountPoint;
    };
    std::vector<MountEntry> entries;
    for (const QByteArray& line : mountInfo.split('\n')) {
        MountEntry entry{};
        if (parseMountLine(line, entry.volume, entry.browsable))
            entries.push_back(std::move(entry));
    }
    std::stable_sort(entries.begin(), entries.end(), before);
    QList<Volume> volumes;
    for (size_t i = 0; i < entries.size(); ++i) {
        const bool hidden = i + 1 < entries.size() &&
                            entries[i + 1].volume.mountPoint == entries[i].volume.mountPoint; // by the next
        if (!hidden && entries[i].browsable)
            volumes.append(std::move(entries[i].volume));
    }
    if (volumes.isEmpty() || volumes.first().mountPoint != QLatin1String("/")) // "/" sorts first
        volumes.prepend(Volume{QStringLiteral("/"), QString(), QString(), QString()});
    return volumes;
}

VolumeLabels::VolumeLabels(const QString& labelDir) {
    const QDir dir(labelDir);
    for (const QFileInfo& link : dir.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        if (!link.isSymLink())
            continue;
        const QString label = unescapeHex(link.fileName());
        byDevice_.insert(link.canonicalFilePath(), label);
        byTarget_.insert(QDir::cleanPath(dir.absoluteFilePath(link.symLinkTarget())), label);
    }
    byDevice_.remove(QString());
}

QString VolumeLabels::of(const Volume& volume) const {
    if (volume.isNetwork())
        return volume.source;
    if (volume.source.isEmpty())
        return QString();
    // Only device nodes are followed: any other source text (FUSE mounts name whatever they like) could be
    // a path on a share that does not answer.
    if (volume.source.startsWith(QLatin1String("/dev/")))
        if (const QString device = QFileInfo(volume.source).canonicalFilePath(); byDevice_.contains(device))
            return byDevice_.value(device);
    return byTarget_.value(QDir::cleanPath(volume.source));
}

QString volumeLabel(const Volume& volume, const QString& labelDir) {
    return VolumeLabels(labelDir).of(volume);
}

bool pathIsWithin(const QString& path, const QString& folder) {
    if (folder == QLatin1String("/"))
        return path.startsWith(QLatin1Char('/'));
    return path == folder || (path.startsWith(folder) && path.at(folder.size()) == QLatin1Char('/'));
}

const Volume* volumeHolding(const QList<Volume>& volumes, const QString& absolutePath) {
    const Volume* best = nullptr;
    for (const Volume& volume : volumes)
        if (pathIsWithin(absolutePath, volume.mountPoint) &&
            (!best || volume.mountPoint.size() > best->mountPoint.size()))
            best = &volume;
    return best;
}

MountSource& MountSource::current() {
    static MountSource source;
    return source;
}

QList<Volume> mountedVolumes() {
    const MountSource& source = MountSource::current();
    QFile file(source.mountInfoPath);
    QByteArray text;
    if (file.open(QIODevice::ReadOnly))
        text = file.readAll(); // /proc files report size 0; readAll reads on to the end regardless
    QList<Volume> volumes = volumesFromMountInfo(text);
    const VolumeLabels labels(source.labelDir); // read once, not once a volume
    for (Volume& volume : volumes)
        volume.label = labels.of(volume);
    return volumes;
}

QString mountPointOf(const QString& absolutePath) {
    QFile table(MountSource::current().mountInfoPath);
    QString best = QStringLiteral("/");
    if (!table.open(QIODevice::ReadOnly))
        return best;
    for (const QByteArray& line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 5)
            continue;
        const QString point = unescapeOctal(fields[4]);
        if (point.size() > best.size() && pathIsWithin(absolutePath, point))
            best = point;
    }
    return best;
}
