#include "desktop/accessibility_offer.h"
#include "desktop/session_bus.h"
#include "files/detached_worker.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QElapsedTimer>
#include <algorithm>
#include <future>
#include <memory>

namespace {
using std::chrono::milliseconds;

// A connection of the probe's own, closed when the probe ends.
class ProbeConnection {
  public:
    ProbeConnection(const QString& address, const QString& name)
        : name_(name), bus_(QDBusConnection::connectToBus(address, name)) {}
    ~ProbeConnection() { QDBusConnection::disconnectFromBus(name_); }
    ProbeConnection(const ProbeConnection&) = delete;
    ProbeConnection& operator=(const ProbeConnection&) = delete;

    bool isConnected() const { return bus_.isConnected(); }
    // The answer to a call, or an invalid message when none came within `timeoutMs`.
    QDBusMessage call(const QString& service, const QString& path, const QString& interface,
                      const QString& method, const QVariantList& arguments, qint64 timeoutMs) {
        QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
        message.setArguments(arguments);
        return bus_.call(message, QDBus::Block, int(std::max<qint64>(timeoutMs, 1))); // 0 would mean 25 s
    }

  private:
    QString name_;
    QDBusConnection bus_;
};

bool answered(const QDBusMessage& reply) {
    return reply.type() == QDBusMessage::ReplyMessage;
}

// Asks what the bridge will ask, in its order; true when every answer came within the time left.
bool bridgeWillBeAnswered(const QString& address, qint64 boundMs) {
    QElapsedTimer clock;
    clock.start();
    const auto left = [&] { return std::max<qint64>(boundMs - clock.elapsed(), 0); };
    if (!busAnswers(address, int(left())))
        return false;
    ProbeConnection session(address, QStringLiteral("tolvane-accessibility-probe"));
    if (!session.isConnected())
        return false;
    const QDBusMessage owned =
        session.call(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                     QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"),
                     {QStringLiteral("org.a11y.Bus")}, left());
    if (!answered(owned))
        return false;
    if (!owned.arguments().value(0).toBool())
        return true; // the bridge only watches for the service, and joins it once it comes
    const QDBusMessage where =
        session.call(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                     QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress"), {}, left());
    const QString accessibility = where.arguments().value(0).toString();
    if (!answered(where) || accessibility.isEmpty() || !busAnswers(accessibility, int(left())))
        return false;
    // The registry the bridge registers with is started on demand: this call starts it.
    ProbeConnection bus(accessibility, QStringLiteral("tolvane-accessibility-probe-bus"));
    return bus.isConnected() &&
           answered(
               bus.call(QStringLiteral("org.a11y.atspi.Registry"), QStringLiteral("/org/a11y/atspi/registry"),
                        QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping"), {}, left()));
}
} // namespace

void offerAccessibilityBus(milliseconds bound) {
    const QString address = sessionBusAddress();
    if (address.isEmpty())
        return;
    auto result = std::make_shared<std::promise<bool>>();
    std::future<bool> answer = result->get_future();
    // A daemon stopped in the middle of the questions holds this thread, never the program.
    startDetachedWorker("tolvane-a11y", [address, result, boundMs = qint64(bound.count())] {
        result->set_value(bridgeWillBeAnswered(address, boundMs));
    });
    if (answer.wait_for(bound) != std::future_status::ready || !answer.get())
        return;
    letToolkitOnSessionBus();
    if (!qEnvironmentVariableIsSet("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"))
        qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
}
