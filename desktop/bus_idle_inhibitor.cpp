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

// What gives back a hold granted on `route`; `grant` is what the grant answered (a cookie, a request path).
QDBusMessage releaseMessage(BusIdleInhibitor::Route route, const QVariant& grant) {
    if (route == BusIdleInhibitor::Route::ScreenSaver) {
        QDBusMessage call = QDBusMessage::createMethodCall(screenSaverService, screenSaverPath,
                                                           screenSaverService, QStringLiteral("UnInhibit"));
        return call << grant.toUInt();
    }
    return QDBusMessage::createMethodCall(portalService, grant.value<QDBusObjectPath>().path(),
                                          QStringLiteral("org.freedesktop.portal.Request"),
                                          QStringLiteral("Close"));
}
} // namespace

BusIdleInhibitor::BusIdleInhibitor(const QDBusConnection& bus, bool portalFirst, QObject* parent)
    : QObject(parent), bus_(bus) {
    routes_[0] = portalFirst ? Route::Portal : Route::ScreenSaver;
    routes_[1] = portalFirst ? Route::ScreenSaver : Route::Portal;
}

BusIdleInhibitor::~BusIdleInhibitor() {
    // A hold still on its way is given back when it is answered, by the call itself: nothing waits for it.
    if (QDBusPendingCallWatcher* call = pendingCall_) {
        call->disconnect(this);
        call->setParent(QCoreApplication::instance());
        connect(call, &QDBusPendingCallWatcher::finished, call,
                [bus = bus_, route = pendingRoute_](QDBusPendingCallWatcher* done) {
                    done->deleteLater();
                    const QDBusMessage reply = done->reply();
                    if (reply.type() != QDBusMessage::ErrorMessage)
                        QDBusConnection(bus).send(releaseMessage(route, reply.arguments().value(0)));
                });
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
    grant_ = reply.arguments().value(0);
    if (!wanted_)
        release();
}

void BusIdleInhibitor::release() {
    if (granted_ == Route::None)
        return;
    bus_.send(releaseMessage(granted_, grant_));
    granted_ = Route::None;
}
