#include "toolkit/file_list.h"
#include "files/fs_folder_read.h"
#include "files/runtime_error.h"
#include "files/volumes_now.h"
#include "toolkit/file_model.h"
#include "toolkit/list_item_delegate.h"
#include "toolkit/list_reading.h"
#include <QDir>
#include <QKeyEvent>

FileList::FileList(QWidget* parent)
    : QListView(parent), model_(new FileModel(this)), reading_(new ListReading(this)) {
    setModel(model_);
    setItemDelegate(new ListItemDelegate(this));
    setUniformItemSizes(true);
    // Qt lays a list out row by row (some 30 ms for a million files): in batches, the first rows show at
    // once and the UI thread answers between batches while the rest is laid out.
    setLayoutMode(QListView::Batched);
    setBatchSize(kLayoutBatchRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(this, &QAbstractItemView::clicked, this, &FileList::Click);
    path_ = QDir::currentPath();
    try {
        setPath(path_);
    } catch (const RuntimeError&) {
        // an unreadable current folder simply starts the list empty
    }
}

void FileList::setPath(const QString& path) {
    if (path.isEmpty())
        throw RuntimeError(rterr::PathNotFound);
    const QString absolute = QDir::cleanPath(QDir::current().absoluteFilePath(path));
    VolumesNow().requireMounted(absolute);
    const auto work = [absolute] {
        FolderRead read;
        try {
            read.names = readFolder(absolute, EntryKind::File);
        } catch (const RuntimeError& error) {
            read.error = error.number();
        }
        return read;
    };
    const auto show = [this, absolute](FolderRead&& read) {
        model_->show(std::move(read.names));
        path_ = absolute;
    };
    if (!reading_->start(absolute, work, show))
        model_->show(SortedNames()); // no files of another folder while this one is awaited
}

void FileList::paintEvent(QPaintEvent* event) {
    QListView::paintEvent(event);
    reading_->paint();
}

QString FileList::FileName() const {
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? QString() : model_->nameAt(selected.first().row());
}

void FileList::keyPressEvent(QKeyEvent* event) {
    // Qt gives a list that takes the focus a current row without selecting it. With no file chosen yet,
    // the first arrow key must choose the first file, not step past it (nor do nothing in a one-file list).
    if (!selectionModel()->hasSelection())
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    const QPersistentModelIndex before = currentIndex();
    QListView::keyPressEvent(event);
    if (currentIndex() != before && currentIndex().isValid())
        emit Click();
}

QModelIndex FileList::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    // With nothing selected yet Qt starts every move at the first file; End should still mean the last.
    if (action == MoveEnd && !currentIndex().isValid() && model_->rowCount() > 0)
        return model_->index(model_->rowCount() - 1);
    return QListView::moveCursor(action, modifiers);
}

QItemSelectionModel::SelectionFlags FileList::selectionCommand(const QModelIndex& index,
                                                               const QEvent* event) const {
    // Ctrl+click would unselect the file and still raise Click, handing on an empty FileName.
    const auto command = QListView::selectionCommand(index, event);
    return command.testFlag(QItemSelectionModel::Deselect) ? QItemSelectionModel::NoUpdate : command;
}
