#include "desktop/session_bus.h"
#include "files/detached_worker.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QFileInfo>
#include <QPointer>
#include <QStringList>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <unistd.h>

namespace {
// Not a transport libdbus knows: connecting fails at once, and nothing is started.
constexpr char noBus[] = "disabled:";
QAtomicInt connections;
// The address found before the toolkit's own parts were kept off the bus.
QString ownAddress;

// A socket connected to the unix socket an address entry names, or -1 (another transport, or nothing there).
int openSocket(const QString& entry) {
    if (!entry.startsWith(QLatin1String("unix:")))
        return -1;
    sockaddr_un where{};
    where.sun_family = AF_UNIX;
    for (const QString& pair : entry.mid(5).split(QLatin1Char(','))) {
        const QByteArray value = QByteArray::fromPercentEncoding(pair.section(QLatin1Char('='), 1).toUtf8());
        const bool abstract = pair.startsWith(QLatin1String("abstract="));
        if ((!abstract && !pair.startsWith(QLatin1String("path="))) ||
            value.size() + 2 > int(sizeof where.sun_path))
            continue;
        memcpy(where.sun_path + (abstract ? 1 : 0), value.constData(), size_t(value.size()));
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const auto length = socklen_t(offsetof(sockaddr_un, sun_path) + value.size() + (abstract ? 1 : 0));
        if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&where), length) == 0)
            return fd;
        if (fd >= 0)
            ::close(fd);
    }
    return -1;
}

} // namespace

bool busAnswers(const QString& address, int timeoutMs) {
    const int fd = openSocket(address.section(QLatin1Char(';'), 0, 0));
    if (fd < 0)
        return !address.startsWith(QLatin1String("unix:")); // another transport: Qt's own attempt decides
    const QByteArray hello =
        QByteArray(1, '\0') + "AUTH EXTERNAL " + QByteArray::number(::geteuid()).toHex() + "\r\n";
    char answer[64] = {};
    pollfd readable{fd, POLLIN, 0};
    const bool answered = ::send(fd, hello.constData(), size_t(hello.size()), MSG_NOSIGNAL) == hello.size() &&
                          ::poll(&readable, 1, timeoutMs) == 1 && ::read(fd, answer, sizeof answer - 1) > 0;
    ::close(fd);
    return answered;
}

QString sessionBusAddress() {
    QString address = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    if (address == QLatin1String(noBus))
        return ownAddress;
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

void connectSessionBus(QObject* receiver, std::function<void(const QDBusConnection&)> connected) {
    const QString address = sessionBusAddress();
    if (address.isEmpty())
        return;
    // Each its own name: one closing while its last messages are on their way is not found again.
    const QString name = QStringLiteral("tolvane-desktop-%1").arg(connections.fetchAndAddRelaxed(1));
    QPointer<QObject> target(receiver);
    // A thread still waiting for a stopped bus when the program ends is ended with it.
    startDetachedWorker("tolvane-bus", [address, name, target, connected = std::move(connected)] {
        if (!busAnswers(address, -1))
            return;
        QDBusConnection bus = QDBusConnection::connectToBus(address, name);
        if (!bus.isConnected()) {
            QDBusConnection::disconnectFromBus(name);
            return;
        }
        QMetaObject::invokeMethod( // the queued call belongs to the event loop from here
            QCoreApplication::instance(),
            [bus, target, connected] {
                if (target)
                    connected(bus);
                else
                    disconnectSessionBus(bus);
            },
            Qt::QueuedConnection);
    });
}

void disconnectSessionBus(const QDBusConnection& bus) {
    // Messages leave in order: once the bus has answered this, a release sent just before has arrived.
    const QDBusMessage ping = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping"));
    auto* answer =
        new QDBusPendingCallWatcher(QDBusConnection(bus).asyncCall(ping), QCoreApplication::instance());
    const QString name = bus.name();
    QObject::connect(answer, &QDBusPendingCallWatcher::finished, answer, [answer, name] {
        answer->deleteLater();
        QDBusConnection::disconnectFromBus(name);
    });
}

void keepToolkitOffSessionBus() {
    ownAddress = sessionBusAddress();
    qputenv("DBUS_SESSION_BUS_ADDRESS", noBus);
}

void letToolkitOnSessionBus() {
    // The usable entries only: libdbus would still run dbus-launch for an "autolaunch:" one.
    qputenv("DBUS_SESSION_BUS_ADDRESS", sessionBusAddress().toUtf8());
}
