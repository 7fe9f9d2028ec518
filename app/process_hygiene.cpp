#include "app/process_hygiene.h"

#include <QByteArray>
#include <climits>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The program's fonts.conf (resources/fonts.conf): installed in share/tolvane-player beside bin/, and in the
// build tree at share/tolvane-player beside the executable or one folder up (the test programs).
QByteArray programFontConfig() {
    char exe[PATH_MAX] = {};
    const ssize_t length = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (length <= 0)
        return {};
    QByteArray folder(exe, int(length));
    folder.truncate(folder.lastIndexOf('/'));
    for (const char* relative : {"/../share/tolvane-player/fonts.conf", "/share/tolvane-player/fonts.conf"}) {
        QByteArray candidate = folder + relative;
        struct stat file {};
        if (::stat(candidate.constData(), &file) == 0 && S_ISREG(file.st_mode))
            return candidate;
    }
    return {};
}

// The sound library makes ~/.config/pulse/cookie when it finds no cookie anywhere (a fresh home, a sound
// server that publishes none, as PipeWire's). It reads $PULSE_COOKIE before any other, and only reads it:
// a cookie of zeros held in memory. A local server knows the user by the socket's credentials, not by the
// cookie; a remote one (PULSE_SERVER) is left to the user's own cookie.
void keepSoundCookieInMemory() {
    if (qEnvironmentVariableIsSet("PULSE_COOKIE") || qEnvironmentVariableIsSet("PULSE_SERVER"))
        return;
    const int fd = memfd_create("pulse-cookie", MFD_CLOEXEC);
    const char cookie[256] = {};
    if (fd < 0)
        return;
    if (::write(fd, cookie, sizeof cookie) != ssize_t(sizeof cookie)) {
        ::close(fd);
        return;
    }
    qputenv("PULSE_COOKIE", "/proc/self/fd/" + QByteArray::number(fd)); // stays open: read at each connection
}

} // namespace

void keepProcessToItself() {
    keepSoundCookieInMemory();
    if (qEnvironmentVariableIsSet("FONTCONFIG_FILE"))
        return; // the user's own choice
    // Read by fontconfig in the toolkit and in the subtitle renderer alike.
    const QByteArray config = programFontConfig();
    if (!config.isEmpty())
        qputenv("FONTCONFIG_FILE", config);
}
