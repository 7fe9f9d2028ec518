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

// True once the daemon at the first entry of `address` answers the first line of the handshake, within
// `timeoutMs` (-1: however long it takes). Qt makes its connections on one thread for the whole process and
// waits there for the daemon without a time limit; asked of a stopped daemon, every other bus user in the
// process would wait with it, the program's end included. So this is asked first, on a thread that may wait.
// False when no daemon listens there at all; true for a transport other than a unix socket, where Qt's own
// attempt decides.
bool busAnswers(const QString& address, int timeoutMs);

// Closes a connection made by connectSessionBus once the messages already sent on it have reached the bus,
// without waiting for that.
void disconnectSessionBus(const QDBusConnection& bus);

// Call before QApplication exists. Qt's own parts ask for the session bus on the UI thread and wait for it
// without limit (the accessibility bridge asks it several questions while the first window is built), and
// libdbus runs dbus-launch when it knows of no bus. They are given an address that names no bus; the
// program's own connection keeps the real one (sessionBusAddress), and offerAccessibilityBus may hand it back
// to the toolkit once the bus has answered.
void keepToolkitOffSessionBus();
// Gives the toolkit's own parts the session bus from here on.
void letToolkitOnSessionBus();
