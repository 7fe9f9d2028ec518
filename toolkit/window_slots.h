#pragma once
// One slot per window class, each empty or holding that class's single instance. A reference to an empty
// slot builds the window from its layout; the close box destroys the window and so empties its slot again.
// The windows reach each other through these slots only: which class fills a slot is said once, at start-up,
// by the program above them (app/window_registry.cpp).

#include <QPointer>
#include <QWidget>
#include <functional>

class WindowSlot {
  public:
    void setBuilder(std::function<QWidget*()> build) { build_ = std::move(build); }
    // The instance, built (hidden) first if the slot is empty.
    QWidget* get();
    bool isLoaded() const { return !window_.isNull(); }

  private:
    std::function<QWidget*()> build_;
    QPointer<QWidget> window_;
};

struct WindowRegistry {
    WindowSlot frm;   // the player window
    WindowSlot Form1; // the About window
    WindowSlot Form2; // the farewell window
};

WindowRegistry& windows();

// Builds the window if need be, shows it modeless with no owner, and activates it.
void showWindow(WindowSlot& slot);
// Builds the window if need be (it then stays hidden) and hides it; the instance and its state stay.
void hideWindow(WindowSlot& slot);
// Ends the program at once: every window vanishes, no closing handlers run, the process exits with status 0.
[[noreturn]] void endProgram();
