#include "desktop/mpris_service.h"

#include "desktop/mpris_player.h"
#include "desktop/mpris_root.h"
#include <QCoreApplication>
#include <QDBusPendingCallWatcher>

namespace {
const QString objectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString baseName = QStringLiteral("org.mpris.MediaPlayer2.tolvane_player");
} // namespace

MprisService::MprisService(const QDBusConnection& bus, PlayerLink* link, std::function<void()> raise,
                           QObject* parent)
    : QObject(parent), bus_(bus) {
    new MprisRoot(this, std::move(raise));
    new MprisPlayer(this, link, bus_);
    // The object first, then the name: a client that sees the name appear finds the object there.
    if (bus_.registerObject(objectPath, this, QDBusConnection::ExportAdaptors))
        requestName(baseName, true);
}

// Asked without waiting for the bus, as everything the program asks of it from the UI thread.
void MprisService::requestName(const QString& name, bool first) {
    QDBusMessage request = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("RequestName"));
    request << name << uint(4); // DBUS_NAME_FLAG_DO_NOT_QUEUE
    auto* answer = new QDBusPendingCallWatcher(bus_.asyncCall(request), this);
    connect(answer, &QDBusPendingCallWatcher::finished, this, [this, answer, name, first] {
        answer->deleteLater();
        const uint result = answer->reply().arguments().value(0).toUInt();
        if (result == 1 || result == 4) // DBUS_REQUEST_NAME_REPLY_PRIMARY_OWNER, ..._ALREADY_OWNER
            busName_ = name;
        else if (first && answer->reply().type() == QDBusMessage::ReplyMessage)
            requestName(baseName + QStringLiteral(".instance") +
                            QString::number(QCoreApplication::applicationPid()),
                        false);
    });
}

MprisService::~MprisService() {
    // The name goes with the connection, which its owner closes next.
    bus_.unregisterObject(objectPath);
}
