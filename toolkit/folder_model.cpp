#include "toolkit/folder_model.h"
#include "files/fs_names.h"
#include "toolkit/list_item_delegate.h"
#include <QApplication>
#include <QStyle>

FolderModel::FolderModel(QObject* parent)
    : QAbstractListModel(parent), open_(QApplication::style()->standardIcon(QStyle::SP_DirOpenIcon)),
      closed_(QApplication::style()->standardIcon(QStyle::SP_DirClosedIcon)) {}

void FolderModel::show(const QString& root, const QString& current, SortedNames children) {
    beginResetModel();
    chain_ = {root};
    names_ = {root};
    const QString below = current.mid(root.size());
    for (const QString& name : below.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        chain_.append(chain_.size() == 1 && root == QLatin1String("/")
                          ? root + name
                          : chain_.last() + QLatin1Char('/') + name);
        names_.append(name);
    }
    children_ = std::move(children);
    endResetModel();
}

int FolderModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(chain_.size() + children_.size());
}

QString FolderModel::pathAt(int row) const {
    if (row < 0 || row >= rowCount())
        return QString();
    if (row < chain_.size())
        return chain_[row];
    const QString& current = chain_.last();
    const QString name = children_.at(row - chain_.size());
    return current.endsWith(QLatin1Char('/')) ? current + name : current + QLatin1Char('/') + name;
}

QVariant FolderModel::data(const QModelIndex& index, int role) const {
    const int row = index.row();
    if (!index.isValid() || row >= rowCount())
        return QVariant();
    const bool onChain = row < chain_.size();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return fsDisplayName(onChain ? names_[row] : children_.at(row - chain_.size()));
    case Qt::DecorationRole:
        return onChain ? open_ : closed_;
    case IndentLevelRole:
        return onChain ? row : int(chain_.size());
    default:
        return QVariant();
    }
}
