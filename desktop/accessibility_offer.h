#pragma once
// How a screen reader finds the program. Qt's accessibility bridge finds the accessibility bus only through
// the session bus: while the first window is built it asks the session bus whether org.a11y.Bus runs,
// connects to the accessibility bus that service names and registers with its registry, each time waiting
// on the UI thread without a time limit. So before the first window the program asks the same daemons on
// a thread of its own, waiting for them at most `bound`. Only when every daemon the bridge will wait on has
// answered is the toolkit let onto the session bus (keepToolkitOffSessionBus kept it off until then); a bus
// that does not answer in time leaves it off, and that run has no screen reader.
//
// Once on the bus, the bridge registers whether or not a screen reader is running yet, as GTK programs do
// on these desktops: Qt's bridge reads the screen-reader status only when it starts and never follows it,
// so a screen reader turned on later could not find the program otherwise.

#include <chrono>

// Call once QApplication exists and before the first window.
void offerAccessibilityBus(std::chrono::milliseconds bound);
