#include "engine/play_state.h"

#include <algorithm>

void PlayState::open(bool playNow) {
    entries_.clear();
    current_ = -1;
    phase_ = Phase::Loading;
    restarted_ = false;
    awaitingPlay_ = !playNow;
    paused_ = awaitingPlay_;
    pausedForCache_ = false;
    videoLost_ = false;
    steppingFrame_ = false;
    scan_ = Scan::None;
    number_ = Transitioning;
}

void PlayState::close() {
    entries_.clear();
    current_ = -1;
    phase_ = Phase::None;
    scan_ = Scan::None;
    number_ = Undefined;
}

void PlayState::play() {
    hold(false);
}

void PlayState::pause() {
    hold(true);
}

void PlayState::hold(bool paused) {
    if (!hasMedia())
        return;
    scan_ = Scan::None;
    awaitingPlay_ = false;
    paused_ = paused;
    steppingFrame_ = false;
    update();
}

void PlayState::stop() {
    if (!hasMedia())
        return;
    entries_.clear(); // whatever the core still reports of this file is not news
    current_ = -1;
    scan_ = Scan::None;
    phase_ = Phase::Stopped;
    restarted_ = false;
    number_ = Stopped;
}

// Forward plays fast; reverse holds the picture while the engine steps back.
void PlayState::scan(Scan direction) {
    if (!hasMedia())
        return;
    scan_ = direction;
    awaitingPlay_ = false;
    paused_ = direction == Scan::Reverse;
    update();
}

void PlayState::fail() {
    entries_.clear();
    current_ = -1;
    scan_ = Scan::None;
    phase_ = Phase::Failed;
    number_ = Ready;
}

void PlayState::settleEnd() {
    if (phase_ == Phase::Ended)
        number_ = Stopped;
}

void PlayState::reopenKeepingState() {
    entries_.clear();
    current_ = -1;
    videoLost_ = false;
}

void PlayState::skipEntry() {
    if (!hasMedia())
        return;
    phase_ = Phase::Loading;
    restarted_ = false;
    scan_ = Scan::None;
    update();
}

void PlayState::addEntry(int64_t entry) {
    entries_.push_back(entry);
}

bool PlayState::fileStarted(int64_t entry) {
    if (std::find(entries_.begin(), entries_.end(), entry) == entries_.end())
        return false;
    current_ = entry;
    if (phase_ == Phase::Ended) { // a playlist goes on with its next entry
        phase_ = Phase::Loading;
        restarted_ = false;
        update();
    }
    return true;
}

void PlayState::fileLoaded() {
    if (phase_ != Phase::Loading || current_ < 0)
        return; // a replaced file's news, or one that reached the core before our load did
    phase_ = Phase::Loaded;
    update();
}

void PlayState::firstFrame() {
    if (phase_ != Phase::Loaded || current_ < 0)
        return;
    restarted_ = true;
    update();
}

bool PlayState::isLastEntry(int64_t entry) const {
    const auto at = std::find(entries_.begin(), entries_.end(), entry);
    return at == entries_.end() || at + 1 == entries_.end();
}

PlayState::Verdict PlayState::fileEnded(const FileEnd& end) {
    if (current_ < 0 || end.entry != current_)
        return Verdict::Ignored; // a file we replaced or stopped
    switch (end.reason) {
    case FileEnd::Reason::Redirect: {
        // A playlist file: its entries take its place, in order.
        const auto at = std::find(entries_.begin(), entries_.end(), end.entry);
        std::vector<int64_t> inserted;
        inserted.reserve(std::max(0, end.insertedCount));
        for (int i = 0; i < end.insertedCount; ++i)
            inserted.push_back(end.insertedId + i);
        const bool nothingFollows = inserted.empty() && at + 1 == entries_.end();
        entries_.insert(entries_.erase(at), inserted.begin(), inserted.end());
        return nothingFollows ? Verdict::Failed : Verdict::Ignored;
    }
    case FileEnd::Reason::Eof:
        if (phase_ != Phase::Loaded)
            return Verdict::Ignored;
        scan_ = Scan::None;
        phase_ = Phase::Ended;
        restarted_ = false;
        number_ = MediaEnded;
        return Verdict::Ended;
    case FileEnd::Reason::Error:
        if (videoLost_ || !hasMedia())
            return Verdict::Ignored;
        if (isLastEntry(end.entry))
            return Verdict::Failed;
        // The core goes on with the next entry: what plays next is what the component shows.
        phase_ = Phase::Loading;
        restarted_ = false;
        scan_ = Scan::None;
        update();
        return Verdict::GoesOn;
    case FileEnd::Reason::Stop:
    case FileEnd::Reason::Quit:
        break;
    }
    return Verdict::Ignored;
}

void PlayState::corePaused(bool paused) {
    if (pauseWritesInFlight_ > 0)
        return;
    if (steppingFrame_) { // the step's own unpause, then its pause: over once paused again
        steppingFrame_ = !paused;
        return;
    }
    paused_ = paused;
    update();
}

void PlayState::cacheStalled(bool stalled) {
    pausedForCache_ = stalled;
    update();
}

void PlayState::ourPauseWriteAnswered() {
    if (pauseWritesInFlight_ > 0)
        --pauseWritesInFlight_;
}

void PlayState::update() {
    if (phase_ == Phase::Loading) {
        number_ = Transitioning;
    } else if (phase_ == Phase::Loaded) {
        if (awaitingPlay_)
            number_ = Ready;
        else if (scan_ == Scan::Reverse)
            number_ = ScanReverse;
        else if (paused_)
            number_ = Paused;
        else if (!restarted_)
            number_ = Transitioning;
        else if (pausedForCache_)
            number_ = Buffering;
        else if (scan_ == Scan::Forward)
            number_ = ScanForward;
        else
            number_ = Playing;
    }
}

PlayState::Controls PlayState::controls() const {
    Controls c;
    c.playPause = wasOpened();
    // While a file opens to play, the control pauses it; opening with autoStart off, it plays it.
    c.showsPause = number_ == Playing || number_ == Buffering ||
                   (number_ == Transitioning && hasMedia() && !paused_ && !awaitingPlay_);
    c.stop = hasMedia();
    c.scan = hasMedia();
    c.seek = isLoaded();
    const Place& p = place_;
    c.previous = (hasMedia() && (p.pastStart || p.chapter > 0 || p.entry > 0)) || p.fileBefore;
    c.next = (hasMedia() && (p.chapter + 1 < p.chapters || (p.entry >= 0 && p.entry + 1 < p.entries))) ||
             p.fileAfter;
    return c;
}
