#include "toolkit/folder_list.h"
#include "toolkit/drive_folders.h"
#include "toolkit/error_report.h"
#include "toolkit/folder_model.h"
#include "toolkit/fs_folder_read.h"
#include "toolkit/fs_names.h"
#include "toolkit/list_item_delegate.h"
#include "toolkit/volumes.h"
#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <unistd.h>

namespace {

// The volumes mounted now; the remembered folders learn of them too.
QList<Volume> volumesNow() {
    QList<Volume> mounted = mountedVolumes();
    DriveFolders::process().update(mounted);
    return mounted;
}

} // namespace

FolderList::FolderList(QWidget* parent) : QListView(parent), model_(new FolderModel(this)) {
    setModel(model_);
    setItemDelegate(new ListItemDelegate(this));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    const QString start = QDir::currentPath();
    try {
        moveTo(start, volumesNow());
    } catch (const RuntimeError&) {
        // The current folder cannot be listed (unreadable, or deleted under the process): start at the root.
        try {
            moveTo(QStringLiteral("/"), volumesNow());
        } catch (const RuntimeError&) {
            path_ = start;
        }
    }
}

void FolderList::setPath(const QString& pathOrDriveText) {
    if (pathOrDriveText.isEmpty())
        throw RuntimeError(rterr::PathNotFound);
    const QList<Volume> mounted = volumesNow();
    const DriveFolders& folders = DriveFolders::process();
    for (const Volume& volume : mounted) {
        if (volume.driveText() != pathOrDriveText)
            continue;
        try {
            return moveTo(folders.folderFor(volume, mounted), mounted);
        } catch (const RuntimeError&) {
            // A volume whose mount point cannot be read is a drive that is not ready.
            if (::access(fsEncodeName(volume.mountPoint).constData(), R_OK | X_OK) != 0)
                throw RuntimeError(rterr::DeviceUnavailable);
            throw;
        }
    }
    if (folders.vanishedVolume(pathOrDriveText, mounted))
        throw RuntimeError(rterr::DeviceUnavailable);
    moveTo(pathOrDriveText, mounted);
}

void FolderList::moveTo(const QString& folder, const QList<Volume>& mounted) {
    DriveFolders& folders = DriveFolders::process();
    const QString absolute = QDir::cleanPath(QDir::current().absoluteFilePath(folder));
    if (folders.onVanishedVolume(absolute, mounted))
        throw RuntimeError(rterr::DeviceUnavailable);
    const QString real = resolveFolder(absolute);
    SortedNames children = readFolder(real, EntryKind::Folder);

    // Nothing changes on screen before this point, so a failure above leaves the list as it was.
    model_->show(volumeHolding(mounted, real)->mountPoint, real, std::move(children));
    const QModelIndex current = model_->index(model_->currentRow());
    selectionModel()->setCurrentIndex(current, QItemSelectionModel::ClearAndSelect);
    scrollTo(current);
    folders.remember(real, mounted);
    const bool moved = real != path_;
    path_ = real;
    if (moved)
        emit Change();
}

void FolderList::openSelected() {
    const QModelIndex index = currentIndex();
    if (!index.isValid())
        return;
    const QString target = model_->pathAt(index.row());
    // Runs from the event loop: an error must reach the report, not unwind through Qt.
    runHandler([&] { moveTo(target, volumesNow()); });
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
