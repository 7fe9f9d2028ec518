#include "engine/transport.h"

#include "engine/engine_settings.h"
#include "engine/mpv_client.h"
#include "engine/reply_ids.h"

#include <algorithm>

Transport::Transport(MpvClient& client, PlayState& state, const EngineSettings& settings, TransportHost& host)
    : client_(client), state_(state), settings_(settings), host_(host) {
    reverseTimer_.setInterval(250);
    connect(&reverseTimer_, &QTimer::timeout, this, &Transport::scanReverseStep);
    scrubWait_.setSingleShot(true);
    scrubWait_.setInterval(1000);
    connect(&scrubWait_, &QTimer::timeout, this, &Transport::seekLanded);
    using P = PlayState::Place;
    MpvClient* c = &client_;
    connect(c, &MpvClient::chapterChanged, this, &Transport::chapterSeen);
    connect(c, &MpvClient::chapterCountChanged, this, [this](int v) { updatePlace(&P::chapters, v); });
    connect(c, &MpvClient::entryChanged, this, [this](int v) { updatePlace(&P::entry, v); });
    connect(c, &MpvClient::entryCountChanged, this, [this](int v) { updatePlace(&P::entries, v); });
    connect(c, &MpvClient::fileStarted, this, &Transport::entryStarted);
    connect(c, &MpvClient::firstFrame, this, &Transport::seekLanded); // also the end of every seek
}

template <typename T> void Transport::updatePlace(T PlayState::Place::*field, T value) {
    PlayState::Place place = state_.place();
    place.*field = value;
    takePlace(place);
}

void Transport::takePlace(const PlayState::Place& place) {
    if (place == state_.place())
        return;
    state_.setPlace(place);
    host_.publish();
}

// A new entry starts at its beginning and before any chapter, whatever was last read of the one before; a
// chapter step asked of that one is over, or the new entry's first report would be dropped as the late one
// of the chapter left, and the step's chapter kept for a file without chapters.
void Transport::entryStarted() {
    chapterAsked_ = -1;
    PlayState::Place place = state_.place();
    place.pastStart = false;
    place.chapter = -1;
    takePlace(place);
}

void Transport::positionSeen(double seconds) {
    updatePlace(&PlayState::Place::pastStart, seconds > PlayState::kRestartSeconds);
}

void Transport::play() {
    if (!state_.hasMedia()) {
        host_.replay();
        return;
    }
    endScan();
    setPause(false);
    state_.play();
    host_.publish();
}

// Accepted in every state; with nothing loaded there is nothing to hold.
void Transport::pause() {
    if (!state_.hasMedia())
        return;
    endScan();
    setPause(true);
    state_.pause();
    host_.publish();
}

// Whatever the core is doing, it stops: also a file the component has given up on, or a playlist entry.
void Transport::stop() {
    host_.stopLoading();
    endScan();
    client_.command({"stop"});
    if (!state_.hasMedia())
        return;
    state_.stop();
    host_.showPosition(0);
    host_.publish();
}

// The play state decides what the one play/pause control does, for the keys, the menu and the bar alike.
void Transport::togglePlayPause() {
    if (host_.controls().showsPause)
        pause();
    else
        play();
}

// A second press of the same scan goes back to playing.
void Transport::startScan(PlayState::Scan direction) {
    if (!state_.hasMedia())
        return;
    if (state_.scanning() == direction) {
        play();
        return;
    }
    endScan();
    const bool forward = direction == PlayState::Scan::Forward;
    if (forward) // five times the chosen speed, back to it when the scan ends
        client_.setDouble("speed", settings_.speed() * 5.0);
    // The core cannot play backwards cheaply: hold the picture and step back a little, four times a second.
    setPause(!forward);
    state_.scan(direction);
    if (!forward)
        reverseTimer_.start();
    host_.publish();
}

void Transport::scanReverseStep() {
    if (state_.scanning() != PlayState::Scan::Reverse || !state_.isLoaded())
        return;
    if (host_.position() <= 0.05) {
        play();
        return;
    }
    seekBy(-1.25);
}

void Transport::endScan() {
    if (state_.scanning() == PlayState::Scan::Forward)
        client_.setDouble("speed", settings_.speed());
    reverseTimer_.stop();
}

void Transport::setPause(bool paused) {
    if (!client_.isRunning())
        return;
    client_.setFlag("pause", paused, replyId::kPause);
    state_.ourPauseWrite();
}

// Within the file: not before its start, nor past its end where the length is known.
double Transport::withinFile(double seconds) const {
    const double length = host_.duration();
    return std::max(0.0, length > 0 ? std::min(seconds, length) : seconds);
}

void Transport::seek(double seconds) {
    if (!state_.isLoaded())
        return;
    seconds = withinFile(seconds);
    scrubTarget_ = -1; // this one wins
    client_.command({"seek", QByteArray::number(seconds, 'f', 3), "absolute+exact"});
    host_.showPosition(seconds);
}

void Transport::scrub(double seconds) {
    if (!state_.isLoaded())
        return;
    scrubTarget_ = withinFile(seconds);
    if (!scrubInFlight_)
        sendScrub();
}

void Transport::sendScrub() {
    scrubInFlight_ = true;
    scrubWait_.start();
    client_.command({"seek", QByteArray::number(scrubTarget_, 'f', 3), "absolute+keyframes"});
    scrubTarget_ = -1;
}

void Transport::seekLanded() {
    scrubInFlight_ = false;
    scrubWait_.stop();
    if (scrubTarget_ >= 0 && state_.isLoaded())
        sendScrub();
}

void Transport::next() {
    const PlayState::Place& p = state_.place();
    if (!host_.controls().next)
        return;
    if (state_.hasMedia() && p.chapter + 1 < p.chapters) {
        client_.command({"add", "chapter", "1"});
        goneToChapter(p.chapter + 1);
    } else if (state_.hasMedia() && p.entry >= 0 && p.entry + 1 < p.entries) {
        state_.skipEntry();
        client_.command({"playlist-next", "force"});
        host_.publish();
    } else {
        host_.goToNeighbour(1);
    }
}

// Within the restart threshold the core's own chapter step goes to the start of the chapter, else to the
// one before (chapter-seek-threshold).
void Transport::previous() {
    const PlayState::Place& p = state_.place();
    if (!host_.controls().previous)
        return;
    const bool loaded = state_.hasMedia();
    if (loaded && p.chapters > 0 && (p.chapter > 0 || p.pastStart)) {
        client_.command({"add", "chapter", "-1"});
    } else if (loaded && p.pastStart) {
        seek(0);
    } else if (loaded && p.entry > 0) {
        state_.skipEntry();
        client_.command({"playlist-prev", "force"});
        host_.publish();
    } else {
        host_.goToNeighbour(-1);
    }
}

// The core's own steps: forward plays exactly one frame and pauses again; back seeks to the frame before.
void Transport::stepFrame(int step) {
    if (!state_.isLoaded())
        return;
    pause();
    if (step > 0)
        state_.stepFrame();
    client_.command({step > 0 ? "frame-step" : "frame-back-step"});
}

// Next's chapter step, taken as done until the core tells where it went: a second press before that goes on
// from there, not again from the chapter before (which would run past the last chapter to the end of the
// file). What the core still reports of the chapter it left is not news for a moment.
void Transport::goneToChapter(int chapter) {
    chapterAsked_ = chapter;
    chapterAskedAt_.start();
    PlayState::Place place = state_.place();
    place.chapter = chapter;
    place.pastStart = false;
    takePlace(place);
}

void Transport::chapterSeen(int chapter) {
    if (chapterAsked_ >= 0 && chapter != chapterAsked_ && chapterAskedAt_.elapsed() < kChapterReportMs)
        return;
    chapterAsked_ = -1;
    updatePlace(&PlayState::Place::chapter, chapter);
}

void Transport::setNeighbours(bool before, bool after) {
    updatePlace(&PlayState::Place::fileBefore, before);
    updatePlace(&PlayState::Place::fileAfter, after);
}
