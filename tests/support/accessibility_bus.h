#pragma once
// The accessibility bus as a stock desktop offers it: at-spi-bus-launcher owning org.a11y.Bus on the test's
// session bus (PrivateSessionBus), with accessibility and the screen reader both off, as before a screen
// reader is turned on. Nothing is put on the X root window and AT_SPI_BUS_ADDRESS is not set, so a program
// can only find the bus by asking the session bus. Gone with the object, its bus daemon too.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <optional>
#include <sys/types.h>

class AccessibilityBus {
  public:
    // On the session bus at `sessionAddress`.
    explicit AccessibilityBus(const QString& sessionAddress);
    ~AccessibilityBus();
    AccessibilityBus(const AccessibilityBus&) = delete;
    AccessibilityBus& operator=(const AccessibilityBus&) = delete;

    bool isValid() const { return daemon_ > 0; }
    pid_t launcher() const { return pid_t(launcher_.processId()); }
    // The accessibility bus's own dbus-daemon, which the launcher started.
    pid_t daemon() const { return daemon_; }

  private:
    QProcess launcher_;
    pid_t daemon_ = 0;
};

// What an AT-SPI client (tests/support/atspi_client.py, python3-pyatspi) prints for the program `pid`:
// "tree", or "press" with the names on the way to a control. Nothing when it fails.
std::optional<QString> atspiClient(qint64 pid, const QStringList& arguments);
