#pragma once
// Whether a file said to be playing really goes on. A core whose sound server stopped answering (or whose
// file's place did, with nothing left in hand) stays "Playing" with its clock frozen: that is told, and
// untold as soon as the clock moves again.

#include <QObject>
#include <QTimer>

class ClockWatch : public QObject {
    Q_OBJECT
  public:
    // Five position reads a second come while a file plays: this long without one that moves is a stall.
    static constexpr int kStillMs = 3000;

    explicit ClockWatch(QObject* parent = nullptr);

    // The clock ought to move (the file plays, neither paused nor waiting for data), or no longer ought to.
    void setRunning(bool running);
    // A position read (also one that did not move).
    void read(double seconds);
    bool stalled() const { return stalled_; }

  signals:
    void stalledChanged(bool stalled);

  private:
    void setStalled(bool stalled);

    QTimer still_;
    double last_ = -1;
    bool running_ = false;
    bool stalled_ = false;
};
