// The toolkit's floor for start-up: a bare Qt Widgets window with the player window's menu bar (File > Exit,
// About > About Me) and its size, and nothing else: no fonts, pictures, lists or engine of ours.
// bench_window_startup measures it beside the player. Usage: bench_bare_window
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare Qt window"));
    QMenu* file = window.menuBar()->addMenu(QStringLiteral("File"));
    QObject::connect(file->addAction(QStringLiteral("Exit")), &QAction::triggered, &app, &QApplication::quit);
    window.menuBar()->addMenu(QStringLiteral("About"))->addAction(QStringLiteral("About Me"));
    window.setCentralWidget(new QWidget);
    window.resize(592, 504); // the player window's 8880 x 7560 twips at 96 DPI
    window.show();
    return app.exec();
}
