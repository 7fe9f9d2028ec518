#include "toolkit/form.h"
#include "toolkit/colours.h"
#include "toolkit/twips.h"
#include <QIcon>
#include <QMenuBar>

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
Qt::WindowFlags flagsFor(FrameKind frame, bool taskbar) {
    Qt::WindowFlags flags;
    switch (frame) {
    case FrameKind::Sizable:
        flags = Qt::Window;
        break;
    case FrameKind::FixedToolWindow:
        flags = Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
        break;
    case FrameKind::None:
        flags = Qt::Window | Qt::FramelessWindowHint;
        break;
    }
    // A Qt::Tool window is what keeps a window off the taskbar on X11 and Windows.
    if (!taskbar)
        flags |= Qt::Tool;
    return flags;
}
} // namespace

Form::Form(const FormLayout& layout, QWidget* parent)
    : QMainWindow(parent, flagsFor(layout.frame, layout.showInTaskbar)), layout_(layout),
      client_(new ClientArea(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    // Qt leaves tool windows out of "last window closed"; every visible window of ours keeps the program
    // running, and none that is hidden does.
    setAttribute(Qt::WA_QuitOnClose);
    setWindowTitle(QString::fromUtf8(layout.title));
    setWindowIcon(QIcon(QString::fromUtf8(layout.icon)));
    QPalette palette = client_->palette();
    palette.setColor(QPalette::Window, toQColor(layout.background));
    client_->setPalette(palette);
    setCentralWidget(client_);
    placeClientArea();
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
