#pragma once
// Each volume's current folder, kept in memory for the life of the process: at first the process's
// current folder on the volume that holds it and the mount point on the others, then wherever the
// folder list last moved to on that volume.

#include "files/volumes.h"
#include <QHash>
#include <QList>
#include <QString>

class DriveFolders {
  public:
    explicit DriveFolders(const QString& startFolder);

    // The one the lists of this process share; it starts from the process's current folder.
    static DriveFolders& process();

    // Takes note of the volumes mounted now. Volumes seen once stay known, so that a path on one that has
    // since been unmounted can be told from a plain missing folder.
    void update(const QList<Volume>& mounted);

    // The volume's remembered folder; if that folder has gone, its nearest existing parent on the volume.
    // Looks at the folders: off the UI thread, or split as below.
    QString folderFor(const Volume& volume, const QList<Volume>& mounted) const;
    // The remembered folder as remembered, from memory alone.
    QString rememberedFolder(const Volume& volume, const QList<Volume>& mounted) const;
    // The folder, or its nearest existing parent up to the mount point (file system calls: a worker's job).
    static QString nearestFolder(QString folder, const QString& mountPoint);

    // The folder list now shows folder: it becomes the current folder of the volume holding it.
    void remember(const QString& folder, const QList<Volume>& mounted);

    // Whether path lies on a volume that was mounted earlier in this process and is not now.
    bool onVanishedVolume(const QString& path, const QList<Volume>& mounted) const;

    // A known but no longer mounted volume whose drive text this is, or nullptr.
    const Volume* vanishedVolume(const QString& driveText, const QList<Volume>& mounted) const;

  private:
    QString start_;
    QHash<QString, QString> folders_; // mount point -> current folder
    QList<Volume> known_;
    QHash<QString, qsizetype> knownAt_; // mount point -> index in known_
};
