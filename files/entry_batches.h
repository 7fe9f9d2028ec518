#pragma once
// Filled getdents64 buffers passed from the thread that reads a big folder to the thread that sorts its
// names. The kernel's walk of a big folder and the names' keys then take one core each, where one thread
// did both in turn. A few buffers go round and round: the reader waits for a free one, the sorter for a
// filled one, so the memory stays the same whatever the folder's size.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

class EntryBatches {
  public:
    static constexpr size_t kBufferSize = size_t{128} << 10; // some 3 000 short names a read
    static constexpr int kBuffers = 4;

    struct Batch {
        char* data = nullptr; // null once the reader has finished and every batch is taken
        size_t bytes = 0;
    };

    EntryBatches();

    // The reader's side: a buffer to fill (waits while the sorter holds every one), handed back filled;
    // finish() once the folder has ended or failed.
    char* emptyBuffer();
    void filled(char* buffer, size_t bytes);
    void finish();

    // The sorter's side: the next filled batch (waits for one), given back once its names are taken.
    Batch next();
    void done(char* buffer);

  private:
    std::vector<std::unique_ptr<char[]>> buffers_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<char*> free_;
    std::deque<Batch> full_;
    bool finished_ = false;
};
