#include "support/accessibility_bus.h"
#include "support/private_bus.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QtTest>
#include <csignal>
#include <sys/prctl.h>

namespace {
const QString launcherProgram = QStringLiteral("/usr/libexec/at-spi-bus-launcher");

// The accessibility bus's address, as a screen reader asks for it.
QString accessibilityAddress(const QDBusConnection& session) {
    const QDBusMessage ask =
        QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                                       QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress"));
    const QDBusReply<QString> reply = QDBusConnection(session).call(ask, QDBus::Block, 5000);
    return reply.isValid() ? reply.value() : QString();
}
} // namespace

AccessibilityBus::AccessibilityBus(const QString& sessionAddress) {
    launcher_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    launcher_.start(launcherProgram, {QStringLiteral("--launch-immediately"), QStringLiteral("--a11y=0"),
                                      QStringLiteral("--screen-reader=0")});
    if (!launcher_.waitForStarted(5000))
        return;
    const QDBusConnection session =
        QDBusConnection::connectToBus(sessionAddress, QStringLiteral("a11y-launcher-probe"));
    const auto closeSession =
        qScopeGuard([] { QDBusConnection::disconnectFromBus(QStringLiteral("a11y-launcher-probe")); });
    QDBusConnectionInterface* bus = session.interface();
    if (!bus ||
        !QTest::qWaitFor([bus] { return bus->isServiceRegistered(QStringLiteral("org.a11y.Bus")); }, 10000))
        return;
    const QString address = accessibilityAddress(session);
    if (address.isEmpty())
        return;
    QDBusConnection probe = QDBusConnection::connectToBus(address, QStringLiteral("a11y-pid-probe"));
    if (probe.isConnected())
        daemon_ = pid_t(probe.interface()->servicePid(QStringLiteral("org.freedesktop.DBus")).value());
    QDBusConnection::disconnectFromBus(QStringLiteral("a11y-pid-probe"));
}

AccessibilityBus::~AccessibilityBus() {
    if (daemon_ > 0) {
        ::kill(daemon_, SIGCONT); // a test may have left it stopped
        ::kill(daemon_, SIGTERM);
    }
    if (launcher_.state() != QProcess::NotRunning) {
        ::kill(pid_t(launcher_.processId()), SIGCONT);
        launcher_.terminate();
        if (!launcher_.waitForFinished(3000)) {
            launcher_.kill();
            launcher_.waitForFinished(3000);
        }
    }
}

std::optional<QString> atspiClient(qint64 pid, const QStringList& arguments) {
    return runTool(
        QStringLiteral("/usr/bin/python3"),
        QStringList{QStringLiteral(TOLVANE_TEST_SUPPORT_DIR "/atspi_client.py"), QString::number(pid)} +
            arguments,
        30000);
}
