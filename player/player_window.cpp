#include "player/player_window.h"
#include "media/media_player.h"
#include "player/file_neighbours.h"
#include "player/player_layout.h"
#include "toolkit/drive_list.h"
#include "toolkit/error_report.h"
#include "toolkit/file_list.h"
#include "toolkit/folder_list.h"
#include "toolkit/label.h"
#include "toolkit/picture.h"
#include "toolkit/window_slots.h"
#include <QMenuBar>

frm::frm(QWidget* parent) : Form(player_layout::window, parent) {
    setObjectName(QStringLiteral("frm"));
    buildMenus();
    placeClientArea();

    Drive1 = new DriveList;
    Dir1 = new FolderList;
    File1 = new FileList;
    WindowsMediaPlayer1 = new MediaPlayer;
    const auto controls = buildControls(client(), player_layout::controls,
                                        {{QStringLiteral("Drive1"), Drive1},
                                         {QStringLiteral("Dir1"), Dir1},
                                         {QStringLiteral("File1"), File1},
                                         {QStringLiteral("WindowsMediaPlayer1"), WindowsMediaPlayer1}});
    Image1 = qobject_cast<Picture*>(controls.value(QStringLiteral("Image1")));
    Image2 = qobject_cast<Picture*>(controls.value(QStringLiteral("Image2")));
    Label1 = qobject_cast<Label*>(controls.value(QStringLiteral("Label1")));
    Label3 = qobject_cast<Label*>(controls.value(QStringLiteral("Label3")));
    Label4 = qobject_cast<Label*>(controls.value(QStringLiteral("Label4")));
    Label5 = qobject_cast<Label*>(controls.value(QStringLiteral("Label5")));
    connectHandlers();
    Drive1->setFocus();
}

void frm::buildMenus() {
    mnfile = menuBar()->addMenu(QStringLiteral("File"));
    mnfile->setObjectName(QStringLiteral("mnfile"));
    mnexit = mnfile->addAction(QStringLiteral("Exit"));
    mnexit->setObjectName(QStringLiteral("mnexit"));
    mna = menuBar()->addMenu(QStringLiteral("About"));
    mna->setObjectName(QStringLiteral("mna"));
    mnabout = mna->addAction(QStringLiteral("About Me"));
    mnabout->setObjectName(QStringLiteral("mnabout"));
}

void frm::connectHandlers() {
    File1->installEventFilter(this); // the first file's way in: see eventFilter()
    new FileNeighbours(File1, WindowsMediaPlayer1);
    connect(client(), &ClientArea::bareMouseMove, this, guarded(this, &frm::Form_MouseMove));
    connect(Image1, &Picture::mouseMoved, this, guarded(this, &frm::Image1_MouseMove));
    connect(Image2, &Picture::mouseMoved, this, guarded(this, &frm::Image2_MouseMove));
    connect(mnexit, &QAction::triggered, this, guarded(this, &frm::mnexit_Click));
    connect(mnabout, &QAction::triggered, this, guarded(this, &frm::mnabout_Click));
    connect(Drive1, &DriveList::Change, this, guarded(this, &frm::Drive1_Change));
    connect(Dir1, &FolderList::Change, this, guarded(this, &frm::Dir1_Change));
    connect(File1, &FileList::Click, this, guarded(this, &frm::File1_Click));
    connect(Image1, &Picture::clicked, this, guarded(this, &frm::Image1_Click));
    connect(Image2, &Picture::clicked, this, guarded(this, &frm::Image2_Click));
    // Full screen switches on the double-click and the button-up events: with the click and pointer-move
    // pair instead, merely crossing the playing video with the pointer would throw it into full screen.
    connect(WindowsMediaPlayer1, &MediaPlayer::DoubleClick, this,
            guarded(this, &frm::WindowsMediaPlayer1_DoubleClick));
    connect(WindowsMediaPlayer1, &MediaPlayer::MouseUp, this,
            guarded(this, &frm::WindowsMediaPlayer1_MouseUp));
}

// A pick is near when the pointer or the focus comes to the list of files: the player gets ready then,
// rather than on the click, so the first file shows as soon as later ones do.
bool frm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == File1 && (event->type() == QEvent::Enter || event->type() == QEvent::FocusIn))
        WindowsMediaPlayer1->prepare();
    return Form::eventFilter(watched, event);
}

// Each swap makes its two changes in order and looks at nothing first.
void frm::Form_MouseMove(PointerArgs) {
    Image2->setVisible(false);
    Image1->setVisible(true);
}

void frm::Image1_MouseMove(PointerArgs) {
    Image1->setVisible(false);
    Image2->setVisible(true);
}

void frm::Image2_MouseMove(PointerArgs) {
    Image1->setVisible(true);
    Image2->setVisible(false);
}

void frm::mnexit_Click() {
    showWindow(windows().Form2);
}

void frm::mnabout_Click() {
    showWindow(windows().Form1);
}
