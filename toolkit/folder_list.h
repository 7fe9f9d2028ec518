#pragma once
// The folder list (Dir1): the path from the volume's root to the current folder and the current folder's
// subfolders. A click only selects; a double click or Enter opens the selected folder.

#include "files/natural_order.h"
#include "files/volumes.h"
#include <QListView>

class FolderModel;
class ListReading;
class VolumesNow;
struct FolderRead;

class FolderList : public QListView {
    Q_OBJECT
  public:
    explicit FolderList(QWidget* parent = nullptr);

    QString Path() const { return path_; }
    // A folder path, or a drive list text (then that volume's current folder). A text that is both, such
    // as "/" for an unlabelled root volume, is read as the drive text; "/." names the
    // root folder itself. Links are resolved: Path is always the real folder. Re-reads the list and
    // raises Change when Path moves. Throws RuntimeError 76 (no such folder), 70 (not readable) or 68
    // (its volume is no longer mounted) and then keeps showing what it showed. A place that does not
    // answer at once is read on: the list shows the folders down to the one asked for and says what it
    // waits for; Path and Change follow when the answer comes, unless another folder was asked for since.
    void setPath(const QString& pathOrDriveText);

  signals:
    void Change();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    // driveRoot: the folder is a drive's remembered one, to be walked up from if it has gone.
    void moveTo(const QString& folder, const VolumesNow& volumes, const QString& driveRoot = QString());
    void showRead(FolderRead&& read, const QList<Volume>& mounted);
    void showRows(const QString& root, const QString& folder, SortedNames children);
    void openSelected();

    FolderModel* model_;
    ListReading* reading_;
    QString path_;
};
