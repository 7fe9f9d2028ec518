#include "files/drive_folders.h"
#include "files/fs_names.h"
#include <QDir>
#include <algorithm>
#include <sys/stat.h>

namespace {

bool isMounted(const QString& mountPoint, const QList<Volume>& mounted) {
    return std::any_of(mounted.begin(), mounted.end(),
                       [&](const Volume& v) { return v.mountPoint == mountPoint; });
}

bool isFolder(const QString& path) {
    struct stat info;
    return ::stat(fsEncodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

DriveFolders::DriveFolders(const QString& startFolder) : start_(QDir::cleanPath(startFolder)) {}

DriveFolders& DriveFolders::process() {
    static DriveFolders folders(QDir::currentPath());
    return folders;
}

void DriveFolders::update(const QList<Volume>& mounted) {
    for (const Volume& volume : mounted) {
        const qsizetype at = knownAt_.value(volume.mountPoint, -1);
        if (at < 0) {
            knownAt_.insert(volume.mountPoint, known_.size());
            known_.append(volume);
        } else {
            known_[at] = volume; // the label may have changed with a remount
        }
    }
}

QString DriveFolders::rememberedFolder(const Volume& volume, const QList<Volume>& mounted) const {
    QString folder = folders_.value(volume.mountPoint);
    if (!folder.isEmpty())
        return folder;
    const Volume* startVolume = volumeHolding(mounted, start_);
    return startVolume && startVolume->mountPoint == volume.mountPoint ? start_ : volume.mountPoint;
}

QString DriveFolders::nearestFolder(QString folder, const QString& mountPoint) {
    // Going back to a folder deleted meanwhile would lock the user out of the whole volume.
    while (folder != mountPoint && pathIsWithin(folder, mountPoint) && !isFolder(folder))
        folder = QDir::cleanPath(folder + QStringLiteral("/.."));
    return folder;
}

QString DriveFolders::folderFor(const Volume& volume, const QList<Volume>& mounted) const {
    return nearestFolder(rememberedFolder(volume, mounted), volume.mountPoint);
}

void DriveFolders::remember(const QString& folder, const QList<Volume>& mounted) {
    if (const Volume* volume = volumeHolding(mounted, folder))
        folders_.insert(volume->mountPoint, folder);
}

bool DriveFolders::onVanishedVolume(const QString& path, const QList<Volume>& mounted) const {
    QList<Volume> all = known_;
    all.append(mounted);
    const Volume* holder = volumeHolding(all, path);
    return holder && !isMounted(holder->mountPoint, mounted);
}

const Volume* DriveFolders::vanishedVolume(const QString& driveText, const QList<Volume>& mounted) const {
    for (const Volume& volume : known_)
        if (volume.driveText() == driveText)
            return isMounted(volume.mountPoint, mounted) ? nullptr : &volume;
    return nullptr;
}
