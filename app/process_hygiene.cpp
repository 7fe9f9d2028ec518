#include "app/process_hygiene.h"

#include <QByteArray>
#include <QFileInfo>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// Fontconfig writes a cache for every font folder that has none (the user's ~/.fonts, a system folder a
// package left without one) into the first cache folder it may write to, making ~/.cache/fontconfig if
// need be. Here the first cache folder is /dev/null, which everyone "may" write to and where nothing can be
// made, and the only other one is the system's: caches are read, never written, and no error is printed. The
// rest is the system's own configuration. The text lives in memory, so that no file has to be written for it
// either.
const char kFontConfig[] = R"(<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <dir>/usr/share/fonts</dir>
  <dir>/usr/local/share/fonts</dir>
  <dir prefix="xdg">fonts</dir>
  <dir>~/.fonts</dir>
  <include ignore_missing="yes">/etc/fonts/conf.d</include>
  <cachedir>/dev/null</cachedir>
  <cachedir>/var/cache/fontconfig</cachedir>
  <config><rescan><int>0</int></rescan></config>
</fontconfig>
)";

void readOnlyFontCaches() {
    if (qEnvironmentVariableIsSet("FONTCONFIG_FILE"))
        return; // the user's own choice
    const int fd = memfd_create("fonts.conf", 0);
    if (fd < 0)
        return;
    if (::write(fd, kFontConfig, sizeof kFontConfig - 1) != ssize_t(sizeof kFontConfig - 1)) {
        ::close(fd);
        return;
    }
    qputenv("FONTCONFIG_FILE", "/proc/self/fd/" + QByteArray::number(fd)); // stays open: read at each init
}

} // namespace

void keepProcessToItself() {
    readOnlyFontCaches();
}
