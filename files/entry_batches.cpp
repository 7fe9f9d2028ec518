#include "files/entry_batches.h"

EntryBatches::EntryBatches() {
    for (int i = 0; i < kBuffers; ++i) {
        buffers_.emplace_back(new char[kBufferSize]);
        free_.push_back(buffers_.back().get());
    }
}

char* EntryBatches::emptyBuffer() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !free_.empty(); });
    char* buffer = free_.back();
    free_.pop_back();
    return buffer;
}

void EntryBatches::filled(char* buffer, size_t bytes) {
    {
        const std::lock_guard lock(mutex_);
        full_.push_back({buffer, bytes});
    }
    changed_.notify_all();
}

void EntryBatches::finish() {
    {
        const std::lock_guard lock(mutex_);
        finished_ = true;
    }
    changed_.notify_all();
}

EntryBatches::Batch EntryBatches::next() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !full_.empty() || finished_; });
    if (full_.empty())
        return {};
    const Batch batch = full_.front();
    full_.pop_front();
    return batch;
}

void EntryBatches::done(char* buffer) {
    {
        const std::lock_guard lock(mutex_);
        free_.push_back(buffer);
    }
    changed_.notify_all();
}
