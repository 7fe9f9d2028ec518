#include "desktop/session_bus.h"

#include <QDBusMessage>
#include <QFileInfo>
#include <QStringList>

namespace {
const QString connectionName = QStringLiteral("tolvane-desktop");
// Not a transport libdbus knows: connecting fails at once, and nothing is started.
constexpr char noBus[] = "disabled:";
} // namespace

QString sessionBusAddress() {
    QString address = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    if (address.isEmpty()) {
        const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
        const QString socket = runtime + QStringLiteral("/bus");
        if (!runtime.isEmpty() && QFileInfo(socket).exists())
            address = QStringLiteral("unix:path=") + socket;
    }
    QStringList usable;
    for (const QString& entry : address.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        if (!entry.startsWith(QLatin1String("autolaunch:")) && !entry.startsWith(QLatin1String(noBus)))
            usable << entry;
    return usable.join(QLatin1Char(';'));
}

std::optional<QDBusConnection> connectSessionBus() {
    const QString address = sessionBusAddress();
    if (address.isEmpty())
        return std::nullopt;
    QDBusConnection bus = QDBusConnection::connectToBus(address, connectionName);
    if (!bus.isConnected()) {
        QDBusConnection::disconnectFromBus(bus.name());
        return std::nullopt;
    }
    return bus;
}

void disconnectSessionBus() {
    QDBusConnection bus(connectionName);
    if (bus.isConnected()) {
        // Messages leave in order: once the bus has answered this, a release sent just before has arrived.
        const QDBusMessage ping = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping"));
        bus.call(ping, QDBus::Block, 1000);
    }
    QDBusConnection::disconnectFromBus(connectionName);
}

void preventSessionBusLaunch() {
    const QString address = sessionBusAddress();
    qputenv("DBUS_SESSION_BUS_ADDRESS", address.isEmpty() ? QByteArray(noBus) : address.toUtf8());
}
