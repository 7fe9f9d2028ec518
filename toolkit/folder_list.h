#pragma once
// The folder list (Dir1): the path from the volume's root to the current folder and the current folder's
// subfolders. A click only selects; a double click or Enter opens the selected folder.

#include "toolkit/volumes.h"
#include <QListView>

class FolderModel;

class FolderList : public QListView {
    Q_OBJECT
  public:
    explicit FolderList(QWidget* parent = nullptr);

    QString Path() const { return path_; }
    // A folder path, or a drive list text (then that volume's current folder). A text that is both, such
    // as "/" for an unlabelled root volume, is read as the drive text; "/." names the
    // root folder itself. Links are resolved: Path is always the real folder. Re-reads the list and
    // raises Change when Path moves. Throws RuntimeError 76 (no such folder), 70 (not readable) or 68
    // (its volume is no longer mounted) and then keeps showing what it showed.
    void setPath(const QString& pathOrDriveText);

  signals:
    void Change();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    void moveTo(const QString& folder, const QList<Volume>& mounted);
    void openSelected();

    FolderModel* model_;
    QString path_;
};
