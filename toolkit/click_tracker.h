#pragma once
// A click is a left press and a left release over the same control, as on every desktop.

#include <QMouseEvent>

class ClickTracker {
  public:
    void press(const QMouseEvent* event) { pressed_ = event->button() == Qt::LeftButton; }
    // True when this release completes a click inside `box`.
    bool release(const QMouseEvent* event, const QRect& box) {
        const bool click =
            pressed_ && event->button() == Qt::LeftButton && box.contains(event->position().toPoint());
        pressed_ = false;
        return click;
    }

  private:
    bool pressed_ = false;
};
