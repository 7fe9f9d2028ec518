#include "media/full_screen_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QScreen>
#include <QVBoxLayout>

FullScreenWindow::FullScreenWindow(QWidget* owner) : QWidget(owner, Qt::Window | Qt::FramelessWindowHint) {
    setWindowTitle(owner ? owner->window()->windowTitle() : QString());
    setAccessibleName(QStringLiteral("Full screen video"));
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    layout_ = new QVBoxLayout(this);
    layout_->setContentsMargins(0, 0, 0, 0);
    idle_.setSingleShot(true);
    idle_.setInterval(3000);
    connect(&idle_, &QTimer::timeout, this, &FullScreenWindow::rest);
}

FullScreenWindow::~FullScreenWindow() {
    qApp->removeEventFilter(this);
    if (controls_)
        controls_->show();
}

void FullScreenWindow::present(QWidget* content, QWidget* controls, QScreen* screen) {
    content_ = content;
    controls_ = controls;
    qApp->installEventFilter(this);
    layout_->addWidget(content);
    content->show();
    if (screen)
        setGeometry(screen->geometry());
    showFullScreen();
    raise();
    activateWindow();
    wake();
}

QWidget* FullScreenWindow::takeContent() {
    qApp->removeEventFilter(this);
    idle_.stop();
    if (controls_)
        controls_->show();
    unsetCursor();
    controlsHidden_ = false;
    QWidget* content = content_;
    if (content)
        layout_->removeWidget(content);
    content_ = nullptr;
    controls_ = nullptr;
    hide();
    return content;
}

// Any pointer movement or key in this window brings the controls and the pointer back for a while.
bool FullScreenWindow::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::KeyPress:
    case QEvent::Wheel:
        if (watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == this)
            wake();
        break;
    default:
        break;
    }
    return false;
}

void FullScreenWindow::closeEvent(QCloseEvent* event) {
    event->ignore(); // the component decides; it takes its content back first
    emit leaveRequested();
}

void FullScreenWindow::wake() {
    if (controlsHidden_) {
        controlsHidden_ = false;
        if (controls_)
            controls_->show();
        unsetCursor();
    }
    if (content_)
        idle_.start();
}

void FullScreenWindow::rest() {
    if (!content_ || !isVisible() || controlsHidden_)
        return;
    // Keyboard users keep the bar while it holds the focus.
    if (controls_ && controls_->isAncestorOf(QApplication::focusWidget()))
        return;
    controlsHidden_ = true;
    if (controls_)
        controls_->hide();
    setCursor(Qt::BlankCursor);
}
