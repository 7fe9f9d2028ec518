#include "app/window_registry.h"
#include "info/about_window.h"
#include "info/farewell_window.h"
#include "player/player_window.h"

void registerWindows() {
    WindowRegistry& registry = windows();
    registry.frm.setBuilder([] { return new frm; });
    registry.Form1.setBuilder([] { return new Form1; });
    registry.Form2.setBuilder([] { return new Form2; });
}
