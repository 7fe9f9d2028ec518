#pragma once
// The file list (File1): the files of one folder, hidden and system files left out, one selectable at a
// time. Click is raised by a mouse click on a file and by every keyboard move of the selection.

#include <QListView>

class FileModel;
class ListReading;

class FileList : public QListView {
    Q_OBJECT
  public:
    explicit FileList(QWidget* parent = nullptr);
    static constexpr int kLayoutBatchRows = 50000; // some 2 ms of laying out a batch

    QString Path() const { return path_; }
    // Re-reads the list. Throws RuntimeError 76, 70 or 68 and then keeps showing what it showed. A place
    // that does not answer at once is read on: the list is emptied and says what it waits for, and Path
    // follows when the answer comes, unless another folder was asked for since.
    void setPath(const QString& path);
    // The selected file's name without folder, empty when none is selected. Names that are not valid
    // UTF-8 carry escaped bytes: turn them back into the file's bytes with fsEncodeName.
    QString FileName() const;

  signals:
    void Click();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event = nullptr) const override;
    void paintEvent(QPaintEvent* event) override;

  private:
    FileModel* model_;
    ListReading* reading_;
    QString path_;
};
