#include "toolkit/folder_list.h"
#include "files/drive_folders.h"
#include "files/fs_folder_read.h"
#include "files/fs_names.h"
#include "files/volumes_now.h"
#include "toolkit/error_report.h"
#include "toolkit/folder_model.h"
#include "toolkit/list_item_delegate.h"
#include "toolkit/list_reading.h"
#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <unistd.h>

namespace {

// On a worker: the folder (for a drive, its nearest surviving parent), links resolved, and its subfolders.
FolderRead readSubfolders(const QString& folder, const QString& driveRoot) {
    FolderRead read;
    try {
        const QString existing =
            driveRoot.isEmpty() ? folder : DriveFolders::nearestFolder(folder, driveRoot);
        read.folder = resolveFolder(existing);
        read.names = readFolder(read.folder, EntryKind::Folder);
    } catch (const RuntimeError& error) {
        read.error = error.number();
        // A volume whose mount point cannot be read is a drive that is not ready.
        if (!driveRoot.isEmpty() && ::access(fsEncodeName(driveRoot).constData(), R_OK | X_OK) != 0)
            read.error = rterr::DeviceUnavailable;
    }
    return read;
}

} // namespace

FolderList::FolderList(QWidget* parent)
    : QListView(parent), model_(new FolderModel(this)), reading_(new ListReading(this)) {
    setModel(model_);
    setItemDelegate(new ListItemDelegate(this));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    const QString start = QDir::currentPath();
    path_ = start;
    try {
        moveTo(start, VolumesNow());
    } catch (const RuntimeError&) {
        // The current folder cannot be listed (unreadable, or deleted under the process): start at the root.
        try {
            moveTo(QStringLiteral("/"), VolumesNow());
        } catch (const RuntimeError&) {
        }
    }
}

void FolderList::setPath(const QString& pathOrDriveText) {
    if (pathOrDriveText.isEmpty())
        throw RuntimeError(rterr::PathNotFound);
    const VolumesNow volumes;
    for (const Volume& volume : volumes.mounted())
        if (volume.driveText() == pathOrDriveText)
            return moveTo(DriveFolders::process().rememberedFolder(volume, volumes.mounted()), volumes,
                          volume.mountPoint);
    volumes.requireDriveMounted(pathOrDriveText);
    moveTo(pathOrDriveText, volumes);
}

void FolderList::moveTo(const QString& folder, const VolumesNow& volumes, const QString& driveRoot) {
    const QString absolute = QDir::cleanPath(QDir::current().absoluteFilePath(folder));
    volumes.requireMounted(absolute);
    const QList<Volume>& mounted = volumes.mounted();
    // Nothing changes on screen before the answer, so a failure leaves the list as it was.
    const bool shown = reading_->start(
        absolute, [absolute, driveRoot] { return readSubfolders(absolute, driveRoot); },
        [this, mounted](FolderRead&& read) { showRead(std::move(read), mounted); });
    if (!shown) // the folders down to the one asked for, and below them what is awaited
        showRows(volumeHolding(mounted, absolute)->mountPoint, absolute, SortedNames());
}

void FolderList::showRead(FolderRead&& read, const QList<Volume>& mounted) {
    showRows(volumeHolding(mounted, read.folder)->mountPoint, read.folder, std::move(read.names));
    DriveFolders::process().remember(read.folder, mounted);
    const bool moved = read.folder != path_;
    path_ = read.folder;
    if (moved)
        emit Change();
}

void FolderList::showRows(const QString& root, const QString& folder, SortedNames children) {
    model_->show(root, folder, std::move(children));
    const QModelIndex current = model_->index(model_->currentRow());
    selectionModel()->setCurrentIndex(current, QItemSelectionModel::ClearAndSelect);
    scrollTo(current);
}

void FolderList::paintEvent(QPaintEvent* event) {
    QListView::paintEvent(event);
    reading_->paint();
}

void FolderList::openSelected() {
    const QModelIndex index = currentIndex();
    if (!index.isValid())
        return;
    const QString target = model_->pathAt(index.row());
    // Runs from the event loop: an error must reach the report, not unwind through Qt.
    runHandler([&] { moveTo(target, VolumesNow()); });
}

void FolderList::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        openSelected();
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

void FolderList::mouseDoubleClickEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || !index.isValid())
        return QListView::mouseDoubleClickEvent(event);
    setCurrentIndex(index);
    openSelected();
    event->accept();
}
