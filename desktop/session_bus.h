#pragma once
// The session bus of the user's desktop, when the session has one. A bus is never started to get one:
// libdbus would otherwise run dbus-launch when no address is known, leaving a stray daemon behind. Nor is it
// ever waited for: a bus daemon that has stopped answering holds up neither the window nor the program's end.

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <functional>

// The address to use: $DBUS_SESSION_BUS_ADDRESS (as it was before keepToolkitOffSessionBus hid it), else the
// standard socket $XDG_RUNTIME_DIR/bus when it exists; "autolaunch:" entries are dropped. Empty when the
// session has no bus.
QString sessionBusAddress();

// Connects to that bus on a thread of its own. `connected` then runs on `receiver`'s thread, unless the
// receiver has gone; it never runs when there is no bus, and not before the bus answers.
void connectSessionBus(QObject* receiver, std::function<void(const QDBusConnection&)> connected);

// Closes a connection made by connectSessionBus once the messages already sent on it have reached the bus,
// without waiting for that.
void disconnectSessionBus(const QDBusConnection& bus);

// Call before QApplication exists. Qt's own parts ask for the session bus on the UI thread and wait for it
// without limit (the accessibility bridge asks it several questions while the first window is built), and
// libdbus runs dbus-launch when it knows of no bus. They are given an address that names no bus; the
// program's own connection keeps the real one (sessionBusAddress). Screen readers still reach the program
// through the accessibility bus the desktop publishes on the X root window (AT_SPI_BUS), or
// $AT_SPI_BUS_ADDRESS.
void keepToolkitOffSessionBus();
