#include "desktop/desktop_services.h"

#include "desktop/mpris_service.h"
#include "desktop/player_link.h"
#include "desktop/screen_saver_inhibitor.h"
#include "desktop/session_bus.h"
#include "media/media_player.h"
#include "player/player_window.h"
#include "toolkit/window_slots.h"
#include <QApplication>
#include <QDBusConnection>

namespace {

MediaPlayer* loadedPlayer() {
    // Never builds the window: a closed player window is not brought back by the desktop looking at it.
    auto* window = windows().frm.isLoaded() ? qobject_cast<frm*>(windows().frm.get()) : nullptr;
    return window ? window->WindowsMediaPlayer1 : nullptr;
}

void raisePlayer() {
    QWidget* window = windows().frm.get();
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    showWindow(windows().frm);
}

} // namespace

DesktopServices::DesktopServices(QObject* parent)
    : QObject(parent), link_(new PlayerLink(loadedPlayer, this)),
      screenSaver_(new ScreenSaverInhibitor(this)) {
    screenSaver_->setPlayer(link_->player());
    connect(link_, &PlayerLink::playerChanged, screenSaver_, &ScreenSaverInhibitor::setPlayer);
    connectSessionBus(this, [this](const QDBusConnection& bus) {
        bus_ = bus;
        screenSaver_->setBus(bus);
        mpris_ = new MprisService(bus, link_, raisePlayer, this);
        emit busConnected();
    });
}

DesktopServices::~DesktopServices() {
    // The children go first: they release what they hold over the bus before it is closed.
    delete mpris_;
    delete screenSaver_;
    if (bus_)
        disconnectSessionBus(*bus_);
}

DesktopServices* installDesktopServices() {
    auto* services = new DesktopServices(qApp);
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, services, [services] { delete services; });
    return services;
}
