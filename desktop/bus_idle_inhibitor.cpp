#include "desktop/bus_idle_inhibitor.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace {
const QString screenSaverService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString screenSaverPath = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
constexpr uint portalInhibitIdle = 8;
constexpr int callTimeoutMs = 5000; // a desktop that does not answer by then is taken as not offering it
const QString reason = QStringLiteral("Playing a video");
} // namespace

BusIdleInhibitor::BusIdleInhibitor(const QDBusConnection& bus, bool portalFirst, QObject* parent)
    : QObject(parent), bus_(bus) {
    routes_[0] = portalFirst ? Route::Portal : Route::ScreenSaver;
    routes_[1] = portalFirst ? Route::ScreenSaver : Route::Portal;
}

BusIdleInhibitor::~BusIdleInhibitor() {
    wanted_ = false;
    // A hold still on its way would never be given back: wait for its answer, then give it back.
    if (QDBusPendingCallWatcher* call = pendingCall_) {
        call->waitForFinished(); // may deliver its finished signal, and with it onReply(), itself
        if (pendingCall_ == call)
            onReply(call, pendingRoute_);
    }
    release();
}

void BusIdleInhibitor::setHeld(bool held) {
    wanted_ = held;
    if (held && granted_ == Route::None && !pendingCall_)
        request();
    else if (!held && !pendingCall_)
        release();
}

void BusIdleInhibitor::request() {
    const Route route = routes_[next_];
    QDBusMessage call;
    if (route == Route::ScreenSaver) {
        call = QDBusMessage::createMethodCall(screenSaverService, screenSaverPath, screenSaverService,
                                              QStringLiteral("Inhibit"));
        call << QCoreApplication::applicationName() << reason;
    } else {
        call = QDBusMessage::createMethodCall(portalService, portalPath,
                                              QStringLiteral("org.freedesktop.portal.Inhibit"),
                                              QStringLiteral("Inhibit"));
        call << windowId_ << portalInhibitIdle << QVariantMap{{QStringLiteral("reason"), reason}};
    }
    pendingRoute_ = route;
    pendingCall_ = new QDBusPendingCallWatcher(bus_.asyncCall(call, callTimeoutMs), this);
    connect(pendingCall_, &QDBusPendingCallWatcher::finished, this,
            [this, route](QDBusPendingCallWatcher* done) { onReply(done, route); });
}

void BusIdleInhibitor::onReply(QDBusPendingCallWatcher* call, Route route) {
    call->deleteLater();
    pendingCall_ = nullptr;
    const QDBusMessage reply = call->reply();
    if (reply.type() == QDBusMessage::ErrorMessage) {
        // Not offered here: try the other route once; when neither answers, the X extension is all there is.
        if (next_ == 0) {
            next_ = 1;
            if (wanted_)
                request();
        }
        return;
    }
    granted_ = route;
    if (route == Route::ScreenSaver)
        cookie_ = reply.arguments().value(0).toUInt();
    else
        handle_ = reply.arguments().value(0).value<QDBusObjectPath>();
    if (!wanted_)
        release();
}

void BusIdleInhibitor::release() {
    if (granted_ == Route::None)
        return;
    QDBusMessage call;
    if (granted_ == Route::ScreenSaver) {
        call = QDBusMessage::createMethodCall(screenSaverService, screenSaverPath, screenSaverService,
                                              QStringLiteral("UnInhibit"));
        call << cookie_;
    } else {
        call = QDBusMessage::createMethodCall(portalService, handle_.path(),
                                              QStringLiteral("org.freedesktop.portal.Request"),
                                              QStringLiteral("Close"));
    }
    bus_.send(call);
    granted_ = Route::None;
}
