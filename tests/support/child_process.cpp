#include "support/child_process.h"
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QThread>

QString xdotool(const QStringList& args) {
    QProcess tool;
    tool.start(QStringLiteral("xdotool"), args);
    if (!tool.waitForFinished(10000) || tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0)
        return {};
    return QString::fromLocal8Bit(tool.readAllStandardOutput()).trimmed();
}

PlayerProcess::PlayerProcess() {
    process_.setProgram(QStringLiteral(TOLVANE_PLAYER_EXE));
    process_.setProcessChannelMode(QProcess::SeparateChannels);
}

PlayerProcess::~PlayerProcess() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

bool PlayerProcess::start(const QStringList& arguments) {
    process_.setArguments(arguments);
    process_.start();
    return process_.waitForStarted(10000) &&
           waitForWindow(QStringLiteral("Tolvane URL Media Player"), 20000) != 0;
}

quint64 PlayerProcess::waitForWindow(const QString& title, int timeoutMs) const {
    const QString pattern = QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$');
    QElapsedTimer clock;
    clock.start();
    do {
        // --pid keeps windows of other programs on the display out of it; --all joins the conditions.
        const QString found =
            xdotool({QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"),
                     QStringLiteral("--pid"), QString::number(process_.processId()), QStringLiteral("--name"),
                     pattern});
        if (!found.isEmpty())
            return found.split(QLatin1Char('\n')).first().toULongLong();
        QThread::msleep(50);
    } while (clock.elapsed() < timeoutMs && process_.state() == QProcess::Running);
    return 0;
}

QRect PlayerProcess::geometry(quint64 window) const {
    // xwininfo's absolute place: xdotool adds the offset inside a window manager's frame a second time.
    QProcess info;
    info.start(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window)});
    if (!info.waitForFinished(10000) || info.exitCode() != 0)
        return {};
    QHash<QString, int> values;
    for (const QString& line :
         QString::fromLocal8Bit(info.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        const auto parts = line.split(QLatin1Char(':'));
        if (parts.size() == 2)
            values.insert(parts[0].trimmed(), parts[1].trimmed().toInt());
    }
    return {values.value(QStringLiteral("Absolute upper-left X")),
            values.value(QStringLiteral("Absolute upper-left Y")), values.value(QStringLiteral("Width")),
            values.value(QStringLiteral("Height"))};
}

void PlayerProcess::click(QPoint screenPoint, int count) const {
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(screenPoint.x()),
             QString::number(screenPoint.y()), QStringLiteral("click"), QStringLiteral("--repeat"),
             QString::number(count), QStringLiteral("--delay"), QStringLiteral("60"), QStringLiteral("1")});
}
