#pragma once
// The X server's own screen saver, as the test's display connection sees it (kept apart from the tests
// because Xlib's macros clash with Qt's names).

// Sets the saver to switch on after `timeout` seconds without input, and its cycle.
void setScreenSaverTimes(int timeout, int cycle);
// Switches the saver off and restarts its count, as a key press would.
void resetScreenSaver();
// Whether the saver is on now.
bool screenSaverActive();
