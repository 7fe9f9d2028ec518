#include "support/private_bus.h"

#include <QDir>
#include <QFile>
#include <QtTest>
#include <csignal>
#include <sys/prctl.h>

namespace {
const char config[] = R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";
} // namespace

// The folder's name goes into a bus address, where a space would need escaping.
PrivateSessionBus::PrivateSessionBus() : dir_(QDir::temp().filePath(QStringLiteral("tolvane-bus-XXXXXX"))) {
    const QString file = dir_.filePath(QStringLiteral("bus.conf"));
    QFile out(file);
    if (!dir_.isValid() || !out.open(QIODevice::WriteOnly))
        return;
    out.write(QString::fromLatin1(config).arg(dir_.path()).toUtf8());
    out.close();
    // The daemon ends with this process, also when a test crashes before the destructor runs.
    daemon_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    daemon_.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--config-file=") + file, QStringLiteral("--nofork"),
                   QStringLiteral("--print-address=1")});
    if (!daemon_.waitForStarted(5000) || !daemon_.waitForReadyRead(5000)) {
        qWarning("dbus-daemon did not start: %s", daemon_.readAllStandardError().constData());
        return;
    }
    address_ = QString::fromLatin1(daemon_.readLine()).trimmed();
    hadAddress_ = qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS");
    savedAddress_ = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("DBUS_SESSION_BUS_ADDRESS", address_.toLatin1());
}

PrivateSessionBus::~PrivateSessionBus() {
    if (!address_.isEmpty()) {
        if (hadAddress_)
            qputenv("DBUS_SESSION_BUS_ADDRESS", savedAddress_);
        else
            qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    }
    if (daemon_.state() != QProcess::NotRunning) {
        daemon_.terminate();
        if (!daemon_.waitForFinished(3000)) {
            daemon_.kill();
            daemon_.waitForFinished(3000);
        }
    }
}

std::optional<QString> runTool(const QString& program, const QStringList& arguments, int timeoutMs) {
    QProcess tool;
    tool.start(program, arguments);
    if (!tool.waitForStarted(5000))
        return std::nullopt;
    if (!QTest::qWaitFor([&] { return tool.state() == QProcess::NotRunning; }, timeoutMs)) {
        tool.kill();
        tool.waitForFinished(3000);
        return std::nullopt;
    }
    if (tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
}
