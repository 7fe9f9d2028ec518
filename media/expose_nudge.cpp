#include "media/expose_nudge.h"

#include <QEvent>
#include <QWindow>

ExposeNudge::ExposeNudge(QWindow* child) : QObject(child), child_(child) {}

// Only a visible child inside a top-level that is not on screen yet: hidden, or unexposed while its
// top-level shows (the compositor stopped asking for frames), the toolkit's answer stands.
void ExposeNudge::childUnexposed() {
    QWindow* top = child_->parent();
    if (!child_->isVisible() || !top || top->isExposed() || top == top_)
        return;
    stopWatching();
    top_ = top;
    top->installEventFilter(this);
}

bool ExposeNudge::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Expose && watched == top_ && top_->isExposed()) {
        stopWatching();
        if (child_->isVisible() && !child_->isExposed() && child_->parent()) {
            const QRect at = child_->geometry();
            child_->setGeometry(at.adjusted(0, 0, 1, 0));
            child_->setGeometry(at);
        }
    }
    return false;
}

void ExposeNudge::stopWatching() {
    if (top_)
        top_->removeEventFilter(this);
    top_ = nullptr;
}
