#pragma once
// The rows of the folder list: the folders from the volume's root down to the current folder (each one
// level deeper, open-folder icon), then the current folder's subfolders (one level deeper still, closed).

#include "files/natural_order.h"
#include <QAbstractListModel>
#include <QIcon>
#include <QStringList>

class FolderModel : public QAbstractListModel {
    Q_OBJECT
  public:
    explicit FolderModel(QObject* parent = nullptr);

    // root is the volume's mount point; current lies within it; children are sorted names.
    void show(const QString& root, const QString& current, SortedNames children);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    int currentRow() const { return int(chain_.size()) - 1; }
    QString pathAt(int row) const;

  private:
    QStringList chain_; // full paths, root first, current last
    QStringList names_; // shown names of chain_
    SortedNames children_;
    QIcon open_, closed_;
};
