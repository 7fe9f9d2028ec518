#pragma once
// The rows of the file list: one name per row, as sorted by the list.

#include <QAbstractListModel>
#include <QStringList>

class FileModel : public QAbstractListModel {
    Q_OBJECT
  public:
    using QAbstractListModel::QAbstractListModel;

    void show(QStringList names);
    QString nameAt(int row) const { return row >= 0 && row < names_.size() ? names_[row] : QString(); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

  private:
    QStringList names_; // real names (fsDecodeName form); what is shown is derived per visible row
};
