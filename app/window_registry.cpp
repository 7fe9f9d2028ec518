#include "app/window_registry.h"
#include "info/about_window.h"
#include "info/farewell_window.h"
#include "player/player_window.h"
#include <cstdio>
#include <cstdlib>

QWidget* WindowSlot::get() {
    if (window_.isNull())
        window_ = build_();
    return window_;
}

WindowRegistry& windows() {
    static WindowRegistry registry{
        WindowSlot([] { return new frm; }),
        WindowSlot([] { return new Form1; }),
        WindowSlot([] { return new Form2; }),
    };
    return registry;
}

void showWindow(WindowSlot& slot) {
    QWidget* window = slot.get();
    window->show();
    window->raise();
    window->activateWindow();
}

void hideWindow(WindowSlot& slot) {
    slot.get()->hide();
}

void endProgram() {
    // No destructors and no close events: the display server takes every window away with the connection.
    std::fflush(nullptr);
    std::_Exit(0);
}
