#pragma once
// Every reply id the program gives its requests to the core, in one place: the core hands each answer back
// with its id, and the ranges must not meet. 0 asks for no answer that anyone reads.

#include <cstdint>

namespace replyId {
// Observed properties: 1 + the row of the client's property table.
constexpr uint64_t kObservedFirst = 1;
// The engine's own pause writes, whose answers tell when the observed pause has caught up with them.
constexpr uint64_t kPause = 100;
// Loads: + the serial of the load, so that the answers to an older one are told apart.
constexpr uint64_t kLoadBase = 1'000'000;
// Position reads: + the serial of the file the read is for.
constexpr uint64_t kPositionReadBase = uint64_t(1) << 40;
// The title, read again once a file has loaded.
constexpr uint64_t kTitleRead = uint64_t(1) << 41;
// The hook before each file opens, the read of the name it is about to open, and the stop sent before a
// refused one is let go on.
constexpr uint64_t kOnLoadHook = kTitleRead + 1;
constexpr uint64_t kOpenNameRead = kTitleRead + 2;
constexpr uint64_t kRefusedStop = kTitleRead + 3;
// The track list's change notices, and the reads of its tracks: + the reading's serial and slot.
constexpr uint64_t kTrackListChanged = kTitleRead + 4;
constexpr uint64_t kTrackReadBase = uint64_t(1) << 42;
} // namespace replyId
