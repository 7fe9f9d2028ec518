#include "app/application.h"
#include "app/window_registry.h"
#include "desktop/desktop_services.h"
#include "player/mpv_library.h"
#include <QApplication>

int main(int argc, char* argv[]) {
    prepareProcess();
    preloadMpv(); // on its own thread, while the toolkit starts and the window is built
    QApplication app(argc, argv);
    setUpApplication();
    showWindow(windows().frm);
    installDesktopServices();
    return QApplication::exec();
}
