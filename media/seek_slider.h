#pragma once

#include <QSlider>

// A slider that jumps to where it is clicked and then follows the drag.
class SeekSlider : public QSlider {
    Q_OBJECT
  public:
    explicit SeekSlider(QWidget* parent = nullptr);

  signals:
    void seekRequested(int value);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
};
