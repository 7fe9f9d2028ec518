#pragma once
// The volumes a user can browse: the root filesystem always, plus every mounted block-device or network
// filesystem. Pseudo filesystems (proc, sysfs, cgroup, tmpfs, ...) and bind mounts of subtrees are left out.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <functional>

struct Volume {
    QString mountPoint; // absolute, as the kernel reports it (octal escapes undone)
    QString source;     // device node or network share, e.g. /dev/sdb1, nas:/export
    QString fsType;
    QString label; // empty when the volume has none

    bool isNetwork() const;
    // The drive list's text: the mount point, then " [label]" when there is a label.
    QString driveText() const;
    bool operator==(const Volume&) const = default;
};

// Orders mount points; empty means operator<. Tests pass one that counts.
using MountPointLess = std::function<bool(const QString&, const QString&)>;

// Picks the browsable volumes out of /proc/self/mountinfo text, sorted by mount point, without labels.
// Where several mounts share a mount point only the topmost counts, since it hides the others.
QList<Volume> volumesFromMountInfo(const QByteArray& mountInfo, const MountPointLess& less = {});

// The labels of a by-label folder, read once for all volumes. Network shares are labelled with their share
// name, so that two mounts of different servers can be told apart in the list.
class VolumeLabels {
  public:
    explicit VolumeLabels(const QString& labelDir);
    QString of(const Volume& volume) const; // empty when the volume has none

  private:
    QHash<QString, QString> byDevice_; // the device the link leads to -> label
    QHash<QString, QString> byTarget_; // the link's own target text, made absolute -> label
};

// The label /dev/disk/by-label (or labelDir) gives the device, or empty.
QString volumeLabel(const Volume& volume, const QString& labelDir);

// The volume whose mount point is the longest prefix of the absolute path, or nullptr.
const Volume* volumeHolding(const QList<Volume>& volumes, const QString& absolutePath);

// Whether path is folder or lies below it, comparing whole path components.
bool pathIsWithin(const QString& path, const QString& folder);

// Where the mount table and labels are read from; tests point these at files of their own.
struct MountSource {
    QString mountInfoPath = QStringLiteral("/proc/self/mountinfo");
    QString labelDir = QStringLiteral("/dev/disk/by-label");

    static MountSource& current();
};

// The labelled volumes mounted now, read afresh from the current MountSource. The root volume is always
// present, even when the mount table cannot be read.
QList<Volume> mountedVolumes();

// The mount point of whichever file system holds the absolute path (the longest mount point that is a prefix
// of it, browsable or not), from the mount table alone: the path itself is never touched.
QString mountPointOf(const QString& absolutePath);
