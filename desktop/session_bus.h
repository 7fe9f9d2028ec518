#pragma once
// The session bus of the user's desktop, when the session has one. A bus is never started to get one:
// libdbus would otherwise run dbus-launch when no address is known, leaving a stray daemon behind.

#include <QDBusConnection>
#include <QString>
#include <optional>

// The address to use: $DBUS_SESSION_BUS_ADDRESS, else the standard socket $XDG_RUNTIME_DIR/bus when it
// exists; "autolaunch:" entries are dropped. Empty when the session has no bus.
QString sessionBusAddress();

// A connection to that bus, shared by the desktop services; nothing when there is no bus or it does not
// answer.
std::optional<QDBusConnection> connectSessionBus();

// Closes that connection once the messages already sent have reached the bus.
void disconnectSessionBus();

// Call before QApplication exists. Qt's own parts (accessibility, the global menu look-up) ask libdbus for
// the session bus, and libdbus runs dbus-launch when it knows of none; an address that names no bus stops
// that, while a real one is left as it is.
void preventSessionBusLaunch();
