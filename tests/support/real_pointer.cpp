#include "support/real_pointer.h"
#include <QProcess>
#include <QStringList>
#include <QTest>

namespace {
void xdotool(const QStringList& args) {
    QProcess process;
    process.start(QStringLiteral("xdotool"), args);
    QVERIFY2(process.waitForFinished(10000) && process.exitCode() == 0,
             qPrintable(process.readAllStandardError()));
}
} // namespace

void real_pointer::moveTo(QPoint global) {
    xdotool({QStringLiteral("mousemove"), QString::number(global.x()), QString::number(global.y())});
}

void real_pointer::click(int button) {
    xdotool({QStringLiteral("click"), QString::number(button)});
}

void real_pointer::doubleClick(int button) {
    xdotool({QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"),
             QStringLiteral("--delay"), QStringLiteral("80"), QString::number(button)});
}
