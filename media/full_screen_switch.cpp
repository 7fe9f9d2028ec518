#include "media/full_screen_switch.h"

#include "media/full_screen_window.h"

#include <QApplication>
#include <QBoxLayout>
#include <QWidget>

FullScreenSwitch::FullScreenSwitch(const Parts& parts, QObject* parent) : QObject(parent), parts_(parts) {
    switch_.setSingleShot(true);
    switch_.setInterval(0);
    connect(&switch_, &QTimer::timeout, this, &FullScreenSwitch::apply);
}

FullScreenSwitch::~FullScreenSwitch() {
    delete window_;
}

FullScreenWindow* FullScreenSwitch::window() const {
    return window_;
}

void FullScreenSwitch::set(bool on) {
    on_ = on;
    emit turned(on);
    if (!switch_.isActive())
        switch_.start();
}

void FullScreenSwitch::apply() {
    const bool isFull = window_ && parts_.content->window() == window_;
    if (on_ == isFull)
        return;
    if (on_)
        enter();
    else
        leave();
}

void FullScreenSwitch::enter() {
    if (!window_) {
        window_ = new FullScreenWindow(parts_.owner);
        connect(window_, &FullScreenWindow::leaveRequested, this, [this] { set(false); });
    }
    QWidget* host = parts_.owner->window();
    focusBefore_ = host->focusWidget();
    parts_.home->removeWidget(parts_.content);
    emit fillsScreen(true);
    window_->present(parts_.content, parts_.controls->isVisible() ? parts_.controls : nullptr,
                     host->screen());
    parts_.video->setFocus(Qt::OtherFocusReason);
}

void FullScreenSwitch::leave() {
    const bool focusInside = parts_.content->isAncestorOf(QApplication::focusWidget());
    QWidget* content = window_->takeContent();
    emit fillsScreen(false);
    parts_.home->addWidget(content);
    content->show();
    QWidget* host = parts_.owner->window();
    if (parts_.owner->isVisible())
        host->activateWindow();
    if (focusBefore_ && focusBefore_->window() == host)
        focusBefore_->setFocus(Qt::OtherFocusReason);
    else if (focusInside)
        parts_.video->setFocus(Qt::OtherFocusReason);
}
