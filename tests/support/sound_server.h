#pragma once
// A PulseAudio of the test's own, with a null sink, for tests that need a sound server to play to.

#include <QFileInfo>
#include <QProcess>
#include <QTest>

// PulseAudio with a null sink, its socket in `runtime`; false if it did not come up.
inline bool startSoundServer(QProcess& server, const QString& runtime, const QString& home) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", runtime);
    environment.insert("HOME", home); // its cookie goes there, not into the user's fresh home
    environment.remove("DBUS_SESSION_BUS_ADDRESS");
    environment.remove("PULSE_COOKIE"); // in the player's process, its own (a descriptor of its own)
    server.setProcessEnvironment(environment);
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server.start("pulseaudio", {"--daemonize=no", "--exit-idle-time=-1", "-n", "--log-level=error", "-L",
                                "module-null-sink", "-L", "module-native-protocol-unix auth-anonymous=1"});
    return server.waitForStarted(10000) &&
           QTest::qWaitFor([&] { return QFileInfo::exists(runtime + "/pulse/native"); }, 10000);
}
