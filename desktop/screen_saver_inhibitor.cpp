#include "desktop/screen_saver_inhibitor.h"

#include "desktop/bus_idle_inhibitor.h"
#include "desktop/video_activity.h"
#include "player/media_player.h"
#include <QGuiApplication>

ScreenSaverInhibitor::ScreenSaverInhibitor(const std::optional<QDBusConnection>& bus, QObject* parent)
    : QObject(parent), activity_(new VideoActivity(this)) {
    if (bus) {
        const bool wayland = QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
        bus_ = new BusIdleInhibitor(*bus, wayland, this);
    }
    connect(activity_, &VideoActivity::activeChanged, this, &ScreenSaverInhibitor::setHeld);
}

ScreenSaverInhibitor::~ScreenSaverInhibitor() {
    setHeld(false);
}

void ScreenSaverInhibitor::setPlayer(MediaPlayer* player) {
    if (bus_ && player && QGuiApplication::platformName() == QLatin1String("xcb"))
        bus_->setWindowId(QStringLiteral("x11:") + QString::number(player->window()->winId(), 16));
    activity_->setPlayer(player);
}

void ScreenSaverInhibitor::setHeld(bool held) {
    if (held == held_)
        return;
    held_ = held;
    x11_.setSuspended(held);
    if (bus_)
        bus_->setHeld(held);
}
