#include "desktop/mpris_root.h"

#include <QGuiApplication>

MprisRoot::MprisRoot(QObject* object, std::function<void()> raise)
    : QDBusAbstractAdaptor(object), raise_(std::move(raise)) {}

QString MprisRoot::identity() const {
    return QCoreApplication::applicationName();
}

QString MprisRoot::desktopEntry() const {
    return QGuiApplication::desktopFileName();
}

void MprisRoot::Raise() {
    raise_();
}
