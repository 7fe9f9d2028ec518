#pragma once
// The peak of this process's resident, proportional and unique memory, sampled every 100 ms from a thread
// of its own, so that reading /proc does not hold up the UI thread it is measuring.

#include "bench/proc_memory.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace bench {

class MemorySampler {
  public:
    MemorySampler() {
        thread_ = std::thread([this] {
            while (running_) {
                keepPeak(peak_, readMemory(0)); // read by others only after the join
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
        });
    }
    ~MemorySampler() { stopped(); }
    // Stops sampling (if not yet stopped) and returns the peak.
    Memory stopped() {
        running_ = false;
        if (thread_.joinable())
            thread_.join();
        return peak_;
    }

  private:
    std::atomic<bool> running_{true};
    Memory peak_;
    std::thread thread_;
};

} // namespace bench
