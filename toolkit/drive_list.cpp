#include "toolkit/drive_list.h"
#include "files/fs_call.h"
#include "files/mount_watcher.h"
#include "files/runtime_error.h"
#include "files/volumes_now.h"
#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QStylePainter>
#include <memory>

namespace {

// Whether the path is a folder; a place that does not answer at once may hold one, and is taken at its word.
bool isFolderOrUnanswered(const QString& path, const QObject* receiver) {
    auto folder = std::make_shared<bool>(true); // a late answer still finds it
    fsCall<bool>(
        path, [path] { return QFileInfo(path).isDir(); }, receiver,
        [folder](bool isDir) { *folder = isDir; });
    return *folder;
}

} // namespace

DriveList::DriveList(QWidget* parent) : QComboBox(parent) {
    setEditable(false);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    refresh(); // selects the volume holding the process's current folder
    connect(this, &QComboBox::currentIndexChanged, this, [this] {
        if (!refreshing_)
            emit Change();
    });
    auto* watcher = new MountWatcher(MountSource::current().mountInfoPath, this);
    connect(watcher, &MountWatcher::changed, this, &DriveList::refresh);
}

void DriveList::refresh() {
    const QList<Volume> mounted = VolumesNow().mounted();
    if (mounted == volumes_)
        return;
    const QString selectedMountPoint = currentIndex() >= 0 && currentIndex() < volumes_.size()
                                           ? volumes_[currentIndex()].mountPoint
                                           : QString();
    refreshing_ = true;
    volumes_ = mounted;
    clear();
    QFileIconProvider icons;
    const QIcon drive = icons.icon(QFileIconProvider::Drive);
    const QIcon network = icons.icon(QFileIconProvider::Network);
    int keep = -1;
    for (const Volume& volume : volumes_) {
        if (volume.mountPoint == selectedMountPoint)
            keep = count();
        addItem(volume.isNetwork() ? network : drive, volume.driveText());
    }
    if (keep < 0) // the selected volume is gone (or nothing was selected yet): back to where the process is
        if (const Volume* start = volumeHolding(volumes_, QDir::currentPath()))
            keep = findText(start->driveText());
    setCurrentIndex(keep < 0 ? 0 : keep); // the root volume, always first, when the process stands nowhere
    refreshing_ = false;
}

void DriveList::setDrive(const QString& text) {
    refresh();
    int index = findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    // a folder stands for the volume holding it; a stale drive text is no folder and fails below
    if (index < 0 && text.startsWith(QLatin1Char('/')) && isFolderOrUnanswered(text, this))
        if (const Volume* volume = volumeHolding(volumes_, QDir::cleanPath(text)))
            index = findText(volume->driveText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0)
        throw RuntimeError(rterr::DeviceUnavailable);
    setCurrentIndex(index);
}

void DriveList::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    painter.setPen(palette().color(QPalette::Text));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        option.palette.setBrush(group, QPalette::Button, palette().brush(group, QPalette::Base));
        option.palette.setBrush(group, QPalette::ButtonText, palette().brush(group, QPalette::Text));
    }
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}
