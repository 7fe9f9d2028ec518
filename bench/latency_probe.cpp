#include "bench/latency_probe.h"
#include "bench/bench_support.h"

#include <QCoreApplication>
#include <QEvent>
#include <algorithm>
#include <chrono>

namespace bench {

namespace {

const QEvent::Type ProbeEvent = static_cast<QEvent::Type>(QEvent::User + 17);

struct Probe : QEvent {
    explicit Probe(double at) : QEvent(ProbeEvent), postedAt(at) {}
    double postedAt;
};

} // namespace

LatencyProbe::~LatencyProbe() {
    stop();
}

void LatencyProbe::start() {
    running_ = true;
    sender_ = std::thread([this] {
        while (running_) {
            QCoreApplication::postEvent(this, new Probe(nowMs()));
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
}

void LatencyProbe::stop() {
    running_ = false;
    if (sender_.joinable())
        sender_.join();
}

double LatencyProbe::percentile(double p) const {
    std::vector<double> sorted = delays_;
    std::sort(sorted.begin(), sorted.end());
    return sorted.empty() ? -1 : sorted[std::min(sorted.size() - 1, size_t(p * sorted.size()))];
}

bool LatencyProbe::event(QEvent* event) {
    if (event->type() != ProbeEvent)
        return QObject::event(event);
    delays_.push_back(nowMs() - static_cast<Probe*>(event)->postedAt);
    return true;
}

} // namespace bench
