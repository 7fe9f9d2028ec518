#include "engine/clock_watch.h"

ClockWatch::ClockWatch(QObject* parent) : QObject(parent) {
    still_.setSingleShot(true);
    still_.setInterval(kStillMs);
    connect(&still_, &QTimer::timeout, this, [this] { setStalled(true); });
}

void ClockWatch::setRunning(bool running) {
    if (running == running_)
        return;
    running_ = running;
    setStalled(false);
    if (running)
        still_.start();
    else
        still_.stop();
}

void ClockWatch::read(double seconds) {
    if (seconds == last_)
        return;
    last_ = seconds;
    setStalled(false);
    if (running_)
        still_.start();
}

void ClockWatch::setStalled(bool stalled) {
    if (stalled == stalled_)
        return;
    stalled_ = stalled;
    emit stalledChanged(stalled);
}
