// The pause picture and the two full-screen handlers of the player window.
#include "engine/play_numbers.h"
#include "media/media_controls.h"
#include "media/media_player.h"
#include "player/player_window.h"

void frm::Image1_Click() {
    WindowsMediaPlayer1->controls()->pause();
}

void frm::Image2_Click() {
    WindowsMediaPlayer1->controls()->pause();
}

void frm::WindowsMediaPlayer1_DoubleClick(short, short, int, int) {
    WindowsMediaPlayer1->setFullScreen(false);
}

// One assignment of a computed value: any state but playing also leaves full screen.
void frm::WindowsMediaPlayer1_MouseUp(short, short, int, int) {
    WindowsMediaPlayer1->setFullScreen(WindowsMediaPlayer1->playState() == PlayStateNumbers::Playing);
}
