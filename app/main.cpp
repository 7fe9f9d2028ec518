#include "app/application.h"
#include "app/window_registry.h"
#include "desktop/desktop_services.h"
#include "player/mpv_preload.h"
#include <QApplication>

int main(int argc, char* argv[]) {
    prepareProcess();
    preloadMpv(); // on its own thread, while the toolkit starts and the window is built
    // The program reads no command line, and the toolkit gets none either: "-reverse" would mirror every
    // window and "-stylesheet FILE" would read a file. Qt sees the program's name alone.
    char fallbackName[] = "tolvane-player";
    char* toolkitArgv[] = {argc > 0 && argv[0] ? argv[0] : fallbackName, nullptr};
    int toolkitArgc = 1;
    QApplication app(toolkitArgc, toolkitArgv);
    setUpApplication();
    showWindow(windows().frm);
    installDesktopServices();
    return QApplication::exec();
}
