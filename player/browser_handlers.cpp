// The browser: each list follows the one before it, and a file's full path goes to the player.
#include "toolkit/drive_list.h"
#include "toolkit/file_list.h"
#include "toolkit/folder_list.h"
#include "media/media_player.h"
#include "player/player_window.h"

void frm::Drive1_Change() {
    Dir1->setPath(Drive1->Drive());
}

void frm::Dir1_Change() {
    File1->setPath(Dir1->Path());
}

// No separator check and no other check: the root folder "/" yields "//name", which names "/name".
void frm::File1_Click() {
    WindowsMediaPlayer1->setURL(File1->Path() + QLatin1Char('/') + File1->FileName());
}
