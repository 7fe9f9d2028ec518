#pragma once

#include <QList>
#include <QSlider>

// A slider that jumps to where it is clicked and then follows the drag, with a thin tick at each mark (a
// chapter's start), and that tells where the pointer rests or moves over it. Its value is in milliseconds;
// screen readers read it as a time.
class SeekSlider : public QSlider {
    Q_OBJECT
  public:
    explicit SeekSlider(QWidget* parent = nullptr);

    void setMarks(const QList<int>& values);
    const QList<int>& marks() const { return marks_; }
    // The value under x, and the x where a value stands.
    int valueAt(int x) const;
    int xOf(int value) const;
    // "1:05 of 4:10": the value as the screen reader reads it.
    QString valueText() const;

  signals:
    void seekRequested(int value);
    void hovered(int value); // the pointer rests or moves over the bar, at the value under it
    void left();             // ... and is no longer over it

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    QRect handleRect() const;

    QList<int> marks_;
};
