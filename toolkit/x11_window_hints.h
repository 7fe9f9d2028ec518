#pragma once
// What a window tells an X11 window manager beyond Qt's own hints. Qt makes each tool and frameless window
// transient for its hidden leader window and puts every window in that leader's group; a window manager then
// keeps such a window above all the others of the program, the player included. Nothing here happens on
// other platforms.

class QWidget;

// Once the native window exists and before it first shows: the window leads a group of its own, so no other
// window of the program owns it, and with `utilityTitleBar` it asks for the narrow title bar of a utility
// window (which window managers also keep off the taskbar).
void makeIndependentWindow(QWidget* window, bool utilityTitleBar);
// Before each show, since a window manager clears the state of a hidden window: no taskbar or pager button.
void keepOffTaskbar(QWidget* window);
