#pragma once
// A caption control: transparent or opaque, auto-sized on one line or fixed with word-wrap. It takes its own
// pointer events, so a move over a caption is never a move over the bare window behind it.

#include "toolkit/click_tracker.h"
#include "toolkit/pointer_event.h"
#include <QLabel>

class Label : public QLabel {
    Q_OBJECT
  public:
    explicit Label(QWidget* parent = nullptr);

    void setAutoSize(bool on);
    bool autoSize() const { return autoSize_; }
    // Sets the caption; an auto-size label then grows or shrinks to the right, its top-left corner fixed.
    void setCaption(const QString& caption);

  signals:
    void clicked();
    void mouseMoved(PointerArgs args);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    void fitToCaption();
    bool autoSize_ = false;
    ClickTracker clicks_;
};
