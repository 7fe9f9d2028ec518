#include "files/volumes_now.h"
#include "files/drive_folders.h"
#include "files/runtime_error.h"

VolumesNow::VolumesNow() : mounted_(mountedVolumes()) {
    DriveFolders::process().update(mounted_);
}

void VolumesNow::requireMounted(const QString& absolutePath) const {
    if (DriveFolders::process().onVanishedVolume(absolutePath, mounted_))
        throw RuntimeError(rterr::DeviceUnavailable);
}

void VolumesNow::requireDriveMounted(const QString& driveText) const {
    if (DriveFolders::process().vanishedVolume(driveText, mounted_))
        throw RuntimeError(rterr::DeviceUnavailable);
}
