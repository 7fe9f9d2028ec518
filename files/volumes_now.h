#pragma once
// The volumes mounted now, as the drive, folder and file lists see them: the mount table read afresh and
// the process's drive folders told of it, so that a path on a volume unmounted since is told from a plain
// missing folder.

#include "files/volumes.h"
#include <QList>
#include <QString>

class VolumesNow {
  public:
    VolumesNow();

    const QList<Volume>& mounted() const { return mounted_; }
    // Throw RuntimeError 68 when the absolute path, or the drive text, belongs to a volume that was mounted
    // earlier in this process and is not now.
    void requireMounted(const QString& absolutePath) const;
    void requireDriveMounted(const QString& driveText) const;

  private:
    QList<Volume> mounted_;
};
