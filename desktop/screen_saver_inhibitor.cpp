#include "desktop/screen_saver_inhibitor.h"

#include "desktop/bus_idle_inhibitor.h"
#include "desktop/video_activity.h"
#include "media/media_player.h"
#include <QGuiApplication>

ScreenSaverInhibitor::ScreenSaverInhibitor(QObject* parent)
    : QObject(parent), activity_(new VideoActivity(this)) {
    connect(activity_, &VideoActivity::activeChanged, this, &ScreenSaverInhibitor::setHeld);
}

void ScreenSaverInhibitor::setBus(const QDBusConnection& bus) {
    if (bus_)
        return;
    const bool wayland = QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    bus_ = new BusIdleInhibitor(bus, wayland, this);
    bus_->setWindowId(windowId_);
    bus_->setHeld(held_);
}

ScreenSaverInhibitor::~ScreenSaverInhibitor() {
    setHeld(false);
}

void ScreenSaverInhibitor::setPlayer(MediaPlayer* player) {
    if (player && QGuiApplication::platformName() == QLatin1String("xcb"))
        windowId_ = QStringLiteral("x11:") + QString::number(player->window()->winId(), 16);
    if (bus_)
        bus_->setWindowId(windowId_);
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
