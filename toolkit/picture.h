#pragma once
// A picture control: an image stretched to its box (or drawn at its own size), an optional pointer shape,
// and click and pointer-move events.

#include "toolkit/click_tracker.h"
#include "toolkit/pointer_event.h"
#include <QMetaMethod>
#include <QPixmap>
#include <QWidget>

class Picture : public QWidget {
    Q_OBJECT
  public:
    explicit Picture(QWidget* parent = nullptr);

    void setPicture(const QPixmap& picture);
    const QPixmap& picture() const { return picture_; }
    void setStretch(bool on);
    bool stretch() const { return stretch_; }
    // True when a handler listens to clicks: then the picture acts as a button.
    bool takesClicks() const { return isSignalConnected(QMetaMethod::fromSignal(&Picture::clicked)); }

  signals:
    void clicked();
    void mouseMoved(PointerArgs args);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    QPixmap picture_;
    bool stretch_ = true;
    ClickTracker clicks_;
};
