#pragma once
// The drive list (Drive1): a drop-down of the mounted volumes. It follows volumes being mounted and
// unmounted while it is shown.

#include "files/volumes.h"
#include <QComboBox>

class MountWatcher;

class DriveList : public QComboBox {
    Q_OBJECT
  public:
    explicit DriveList(QWidget* parent = nullptr);

    // The selected volume's drive text: "/ [rootfs]", "/media/usb".
    QString Drive() const { return currentText(); }
    // Selects the volume with that drive text, or the one holding that path; raises Change when the
    // selection moves. Throws RuntimeError 68 when no mounted volume matches.
    void setDrive(const QString& text);

    // Reads the mount table again (the watcher calls this on every change).
    void refresh();

  signals:
    void Change();

  protected:
    // Drawn in the list colours (Text on Base) that the window sets, not in the button colours a style
    // gives a closed drop-down.
    void paintEvent(QPaintEvent* event) override;

  private:
    QList<Volume> volumes_;
    bool refreshing_ = false;
};
