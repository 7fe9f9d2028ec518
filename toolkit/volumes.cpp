#include "toolkit/volumes.h"
#include "toolkit/fs_names.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

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

QList<Volume> volumesFromMountInfo(const QByteArray& mountInfo) {
    QList<Volume> topmost; // one per mount point, the last mounted, or a placeholder when it is not browsable
    QList<bool> browsable;
    for (const QByteArray& line : mountInfo.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        const qsizetype dash = fields.indexOf("-");
        if (fields.size() < 7 || dash < 6 || dash + 2 >= fields.size())
            continue;
        Volume volume;
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
        const bool keep = isRoot || onDevice || volume.isNetwork();

        const auto same = std::find_if(topmost.begin(), topmost.end(),
                                       [&](const Volume& v) { return v.mountPoint == volume.mountPoint; });
        if (same != topmost.end()) {
            browsable[same - topmost.begin()] = keep;
            *same = volume;
        } else {
            topmost.append(volume);
            browsable.append(keep);
        }
    }
    QList<Volume> volumes;
    for (qsizetype i = 0; i < topmost.size(); ++i)
        if (browsable[i])
            volumes.append(topmost[i]);
    if (std::none_of(volumes.begin(), volumes.end(),
                     [](const Volume& v) { return v.mountPoint == QLatin1String("/"); }))
        volumes.prepend(Volume{QStringLiteral("/"), QString(), QString(), QString()});
    std::stable_sort(volumes.begin(), volumes.end(),
                     [](const Volume& a, const Volume& b) { return a.mountPoint < b.mountPoint; });
    return volumes;
}

QString volumeLabel(const Volume& volume, const QString& labelDir) {
    if (volume.isNetwork())
        return volume.source;
    if (volume.source.isEmpty())
        return QString();
    const QString device = QFileInfo(volume.source).canonicalFilePath();
    const QDir dir(labelDir);
    for (const QFileInfo& link : dir.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        if (!link.isSymLink())
            continue;
        const QString target = link.canonicalFilePath();
        const QString written = QDir::cleanPath(dir.absoluteFilePath(link.symLinkTarget()));
        if ((!device.isEmpty() && target == device) || written == QDir::cleanPath(volume.source))
            return unescapeHex(link.fileName());
    }
    return QString();
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
    for (Volume& volume : volumes)
        volume.label = volumeLabel(volume, source.labelDir);
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
