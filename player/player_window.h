#pragma once
// The player window: the drive, folder and file lists, the pause pictures, the media player, the menus.

#include "toolkit/form.h"
#include "toolkit/pointer_event.h"

class DriveList;
class FolderList;
class FileList;
class QMenu;
class QAction;
class Label;
class MediaPlayer;
class Picture;

class frm : public Form {
    Q_OBJECT
  public:
    explicit frm(QWidget* parent = nullptr);

    DriveList* Drive1;
    FolderList* Dir1;
    FileList* File1;
    MediaPlayer* WindowsMediaPlayer1;
    Picture* Image1;
    Picture* Image2;
    Label* Label1;
    Label* Label3;
    Label* Label4;
    Label* Label5;
    QMenu* mnfile;
    QAction* mnexit;
    QMenu* mna;
    QAction* mnabout;

    // Hover swap of the two pause pictures.
    void Form_MouseMove(PointerArgs args);
    void Image1_MouseMove(PointerArgs args);
    void Image2_MouseMove(PointerArgs args);

    // The browser: drive, then folder, then file, then the player.
    void Drive1_Change();
    void Dir1_Change();
    void File1_Click();

    void mnexit_Click();
    void mnabout_Click();

    // Pause and full screen.
    void Image1_Click();
    void Image2_Click();
    void WindowsMediaPlayer1_DoubleClick(short button, short shift, int x, int y);
    void WindowsMediaPlayer1_MouseUp(short button, short shift, int x, int y);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildMenus();
    void connectHandlers();
};
