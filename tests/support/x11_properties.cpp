#include "support/x11_properties.h"
#include <QProcess>

namespace x11 {

QStringList property(quint64 window, const char* name) {
    QProcess xprop;
    QStringList args{QStringLiteral("-notype")};
    if (window == 0)
        args << QStringLiteral("-root");
    else
        args << QStringLiteral("-id") << QString::number(window);
    xprop.start(QStringLiteral("xprop"), args << QString::fromLatin1(name));
    if (!xprop.waitForFinished(10000) || xprop.exitCode() != 0)
        return {};
    // "NAME = a, b", "NAME: window id # 0x1, 0x2", or "NAME:  not found."
    const QString line = QString::fromLocal8Bit(xprop.readAllStandardOutput()).trimmed();
    if (line.endsWith(QLatin1String("not found.")) || line.contains(QLatin1String("no such atom")))
        return {};
    const qsizetype cut = line.indexOf(QLatin1Char(line.contains(QLatin1String(" = ")) ? '=' : ':'));
    QString value = line.mid(cut + 1).trimmed();
    value.remove(QStringLiteral("window id # "));
    return value.isEmpty() ? QStringList() : value.split(QStringLiteral(", "));
}

QList<quint64> stacking() {
    QList<quint64> windows;
    for (const QString& id : property(0, "_NET_CLIENT_LIST_STACKING"))
        windows << id.toULongLong(nullptr, 16);
    return windows;
}

bool windowManagerRunning() {
    return !property(0, "_NET_SUPPORTING_WM_CHECK").isEmpty();
}

bool above(quint64 upper, quint64 lower) {
    const QList<quint64> order = stacking();
    return order.contains(lower) && order.indexOf(upper) > order.indexOf(lower);
}

} // namespace x11
