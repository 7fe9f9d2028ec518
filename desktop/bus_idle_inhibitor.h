#pragma once
// Asks the desktop over the session bus to keep the screen awake: org.freedesktop.ScreenSaver (what GNOME,
// KDE and Xfce answer on X11 and Wayland), else the desktop portal's Inhibit (sandboxes, other Wayland
// desktops). The calls never block: a release asked for while a request is still out is sent once the
// request has been answered.

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QString>
#include <QVariant>

class QDBusPendingCallWatcher;

class BusIdleInhibitor : public QObject {
    Q_OBJECT
  public:
    enum class Route { ScreenSaver, Portal, None };

    // portalFirst: ask the portal before org.freedesktop.ScreenSaver (Wayland).
    BusIdleInhibitor(const QDBusConnection& bus, bool portalFirst, QObject* parent = nullptr);
    ~BusIdleInhibitor() override;

    void setHeld(bool held);
    // The portal's parent-window text ("x11:1c00007"), empty when there is none to give.
    void setWindowId(const QString& windowId) { windowId_ = windowId; }

  private:
    void request();
    void onReply(QDBusPendingCallWatcher* call, Route route);
    void release();

    QDBusConnection bus_;
    Route routes_[2];
    int next_ = 0; // index into routes_ of the route to try next; the one that worked is kept
    QString windowId_;
    bool wanted_ = false;
    QDBusPendingCallWatcher* pendingCall_ = nullptr; // the request on its way, if any
    Route pendingRoute_ = Route::None;
    Route granted_ = Route::None;
    QVariant grant_; // the cookie or request path of the hold granted
};
