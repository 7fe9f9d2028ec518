#include "toolkit/file_model.h"
#include "files/fs_names.h"

void FileModel::show(SortedNames names) {
    beginResetModel();
    names_ = std::move(names);
    endResetModel();
}

QModelIndex FileModel::index(int row, int column, const QModelIndex& parent) const {
    return row >= 0 && row < names_.size() && column == 0 && !parent.isValid() ? createIndex(row, 0)
                                                                               : QModelIndex();
}

int FileModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(names_.size());
}

QVariant FileModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= names_.size())
        return QVariant();
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return fsDisplayName(names_.at(index.row()));
    return QVariant();
}
