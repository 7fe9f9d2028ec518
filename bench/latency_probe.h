#pragma once
// How long an event posted from another thread waits in the Qt event loop: one posted every 5 ms, its wait
// until the UI thread delivers it kept.

#include <QObject>
#include <atomic>
#include <thread>
#include <vector>

namespace bench {

class LatencyProbe : public QObject {
  public:
    ~LatencyProbe() override;
    void start();
    void stop();
    // The delay below which the fraction p of the probes were delivered, in ms; -1 with none.
    double percentile(double p) const;
    size_t count() const { return delays_.size(); }

  protected:
    bool event(QEvent* event) override;

  private:
    std::vector<double> delays_;
    std::atomic<bool> running_{false};
    std::thread sender_;
};

} // namespace bench
