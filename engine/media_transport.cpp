// The transport: play, pause, stop, the scans and seeking, as the component's controls ask for them.
#include "engine/media_engine.h"

#include <algorithm>

void MediaEngine::play() {
    if (hasMedia()) {
        endScan();
        setPause(false);
        state_.play();
        publish();
    } else if (!url_.isEmpty() && state_.wasOpened()) {
        planAndOpen(url_, true); // after stop, end or failure: the same file again, looked at afresh
    }
}

// Accepted in every state; with nothing loaded there is nothing to hold.
void MediaEngine::pause() {
    if (!hasMedia())
        return;
    endScan();
    setPause(true);
    state_.pause();
    publish();
}

// Whatever the core is doing, it stops: also a file the component has given up on, or a playlist entry.
void MediaEngine::stop() {
    endWait();
    endScan();
    pipeline_.close();
    client_.command({"stop"});
    if (!hasMedia())
        return;
    state_.stop();
    resetPosition();
    publish();
}

// The play state decides what the one play/pause control does, for the keys, the menu and the bar alike.
void MediaEngine::togglePlayPause() {
    if (controls().showsPause)
        pause();
    else
        play();
}

void MediaEngine::fastForward() {
    startScan(PlayState::Scan::Forward);
}

void MediaEngine::fastReverse() {
    startScan(PlayState::Scan::Reverse);
}

// A second press of the same scan goes back to playing.
void MediaEngine::startScan(PlayState::Scan direction) {
    if (!hasMedia())
        return;
    if (state_.scanning() == direction) {
        play();
        return;
    }
    endScan();
    const bool forward = direction == PlayState::Scan::Forward;
    if (forward)
        client_.setDouble("speed", rate_ * 5.0);
    // The core cannot play backwards cheaply: hold the picture and step back a little, four times a second.
    setPause(!forward);
    state_.scan(direction);
    if (!forward)
        reverseTimer_.start();
    publish();
}

void MediaEngine::scanReverseStep() {
    if (state_.scanning() != PlayState::Scan::Reverse || !state_.isLoaded())
        return;
    if (position_ <= 0.05) {
        play();
        return;
    }
    seekBy(-1.25);
}

void MediaEngine::endScan() {
    if (state_.scanning() == PlayState::Scan::Forward)
        client_.setDouble("speed", rate_);
    reverseTimer_.stop();
}

void MediaEngine::setPause(bool paused) {
    if (!client_.isRunning())
        return;
    client_.setFlag("pause", paused, kPauseReplyId);
    state_.ourPauseWrite();
}

void MediaEngine::seek(double seconds) {
    if (!state_.isLoaded())
        return;
    seconds = std::max(0.0, duration_ > 0 ? std::min(seconds, duration_) : seconds);
    client_.command({"seek", QByteArray::number(seconds, 'f', 3), "absolute+exact"});
    position_ = seconds;
    emit positionChanged(position_);
}

void MediaEngine::seekBy(double seconds) {
    seek(position_ + seconds);
}
