#pragma once
// The rows of the file list: one name per row, as sorted by the list.

#include "files/natural_order.h"
#include <QAbstractListModel>

class FileModel : public QAbstractListModel {
    Q_OBJECT
  public:
    using QAbstractListModel::QAbstractListModel;

    void show(SortedNames names);
    QString nameAt(int row) const { return row >= 0 && row < names_.size() ? names_.at(row) : QString(); }

    // Without the base class's checks through rowCount and columnCount: the view lays a folder out by
    // asking each row's index twice, which for a million files is most of its work.
    QModelIndex index(int row, int column = 0, const QModelIndex& parent = QModelIndex()) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

  private:
    SortedNames names_; // real names; what is shown is derived per visible row
};
