#include "app/application.h"
#include "app/window_registry.h"
#include <QApplication>

int main(int argc, char* argv[]) {
    prepareProcess();
    QApplication app(argc, argv);
    setUpApplication();
    showWindow(windows().frm);
    return QApplication::exec();
}
