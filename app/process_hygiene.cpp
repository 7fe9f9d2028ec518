#include "app/process_hygiene.h"

#include <QByteArray>
#include <climits>
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
        const QByteArray candidate = folder + relative;
        struct stat file {};
        if (::stat(candidate.constData(), &file) == 0 && S_ISREG(file.st_mode))
            return candidate;
    }
    return {};
}

} // namespace

void keepProcessToItself() {
    if (qEnvironmentVariableIsSet("FONTCONFIG_FILE"))
        return; // the user's own choice
    // Read by fontconfig in the toolkit and in the subtitle renderer alike.
    const QByteArray config = programFontConfig();
    if (!config.isEmpty())
        qputenv("FONTCONFIG_FILE", config);
}
