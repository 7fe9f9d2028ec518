#include "desktop/mpris_service.h"

#include "desktop/mpris_player.h"
#include "desktop/mpris_root.h"
#include <QCoreApplication>

namespace {
const QString objectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString baseName = QStringLiteral("org.mpris.MediaPlayer2.tolvane_player");
} // namespace

MprisService::MprisService(const QDBusConnection& bus, PlayerLink* link, std::function<void()> raise,
                           QObject* parent)
    : QObject(parent), bus_(bus) {
    new MprisRoot(this, std::move(raise));
    new MprisPlayer(this, link, bus_);
    if (!bus_.registerObject(objectPath, this, QDBusConnection::ExportAdaptors))
        return;
    // The object first, then the name: a client that sees the name appear finds the object there.
    for (const QString& name : {baseName, baseName + QStringLiteral(".instance") +
                                              QString::number(QCoreApplication::applicationPid())}) {
        if (bus_.registerService(name)) {
            busName_ = name;
            break;
        }
    }
}

MprisService::~MprisService() {
    if (!busName_.isEmpty())
        bus_.unregisterService(busName_);
    bus_.unregisterObject(objectPath);
}
