#include "toolkit/form.h"
#include "toolkit/colours.h"
#include "toolkit/twips.h"
#include "toolkit/x11_window_hints.h"
#include <QIcon>
#include <QMenuBar>
#include <QShowEvent>

ClientArea::ClientArea(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAutoFillBackground(true);
}

void ClientArea::mouseMoveEvent(QMouseEvent* event) {
    // Controls that do not take their moves (lists, buttons) pass them up; they still are not bare window.
    if (childAt(event->position().toPoint()) == nullptr)
        emit bareMouseMove(pointerArgs(event));
    event->accept();
}

namespace {
Qt::WindowFlags flagsFor(FrameKind frame) {
    Qt::WindowFlags flags;
    switch (frame) {
    case FrameKind::Sizable:
        flags = Qt::Window;
        break;
    case FrameKind::FixedToolWindow:
        flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
        break;
    case FrameKind::None:
        flags = Qt::Window | Qt::FramelessWindowHint;
        break;
    }
    // Never Qt::Tool: Qt would make the window transient for its hidden leader, and window managers keep such
    // a window above the player. The narrow title bar and the taskbar rule are set on the window instead.
    return flags;
}
} // namespace

Form::Form(const FormLayout& layout, QWidget* parent)
    : QMainWindow(parent, flagsFor(layout.frame)), layout_(layout), client_(new ClientArea(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    // Every visible window of ours keeps the program running, and none that is hidden does.
    setAttribute(Qt::WA_QuitOnClose);
    setWindowTitle(QString::fromUtf8(layout.title));
    setWindowIcon(QIcon(QString::fromUtf8(layout.icon)));
    QPalette palette = client_->palette();
    palette.setColor(QPalette::Window, toQColor(layout.background));
    client_->setPalette(palette);
    setCentralWidget(client_);
    placeClientArea();
    // Each window stands on its own: only the player may sit in the program's group, which is the one the
    // window manager raises together.
    if (layout.frame != FrameKind::Sizable)
        makeIndependentWindow(this, layout.frame == FrameKind::FixedToolWindow);
}

void Form::showEvent(QShowEvent* event) {
    // Before the window is mapped: the window manager reads the taskbar rule when it takes the window on.
    if (!layout_.showInTaskbar && !event->spontaneous())
        keepOffTaskbar(this);
    QMainWindow::showEvent(event);
}

void Form::placeClientArea() {
    const QRect area = twipsToPixels(layout_.left, layout_.top, layout_.width, layout_.height);
    const int menuHeight = menuWidget() ? menuWidget()->sizeHint().height() : 0;
    const QRect window(area.x(), area.y() - menuHeight, area.width(), area.height() + menuHeight);
    if (layout_.frame != FrameKind::Sizable)
        setFixedSize(window.size());
    // setGeometry() places the client rectangle; move() would place the frame.
    setGeometry(window);
}
