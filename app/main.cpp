#include "app/application.h"
#include "app/once_on_screen.h"
#include "app/window_registry.h"
#include "desktop/desktop_services.h"
#include "engine/mpv_preload.h"
#include <QApplication>

int main(int argc, char* argv[]) {
    prepareProcess();
    // The program reads no command line, and the toolkit gets none either: "-reverse" would mirror every
    // window and "-stylesheet FILE" would read a file. Qt sees the program's name alone.
    char fallbackName[] = "tolvane-player";
    char* toolkitArgv[] = {argc > 0 && argv[0] ? argv[0] : fallbackName, nullptr};
    int toolkitArgc = 1;
    QApplication app(toolkitArgc, toolkitArgv);
    setUpApplication();
    showWindow(windows().frm);
    // libmpv brings some two hundred libraries; while they load, the dynamic loader's lock holds up every
    // plugin the toolkit loads for the window. So the engine's library loads (on its own thread) once the
    // window is on screen, as do the desktop services, which the first picture does not need either.
    onceOnScreen(windows().frm.get(), [] {
        installDesktopServices();
        preloadMpv();
    });
    return QApplication::exec();
}
