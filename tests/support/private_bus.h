#pragma once
// A private session bus for one test: its own dbus-daemon, with no service files (nothing is started on
// demand, not even the desktop portal installed on the machine), gone with the object. While it lives,
// DBUS_SESSION_BUS_ADDRESS names it, so the program under test and the tools the test runs all use it.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <optional>
#include <sys/types.h>

class PrivateSessionBus {
  public:
    PrivateSessionBus();
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    bool isValid() const { return !address_.isEmpty(); }
    QString address() const { return address_; }
    pid_t daemon() const { return pid_t(daemon_.processId()); }

  private:
    QTemporaryDir dir_;
    QProcess daemon_;
    QString address_;
    QByteArray savedAddress_;
    bool hadAddress_ = false;
};

// Runs a command line tool to its end while the event loop keeps turning (the program it talks to may be
// this very process); its standard output, trimmed, or nothing when it failed or hung.
std::optional<QString> runTool(const QString& program, const QStringList& arguments, int timeoutMs = 10000);
