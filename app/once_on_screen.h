#pragma once
// Work that start-up leaves until the player window is on screen: whatever the first picture of the window
// does not need waits, so that it takes neither the cores nor the dynamic loader's lock from the toolkit.

#include <functional>

class QWidget;

// Runs `work` once, from the event loop, after the shown `window` is first exposed and has drawn itself;
// never if the window goes before that.
void onceOnScreen(QWidget* window, std::function<void()> work);
