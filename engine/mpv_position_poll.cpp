#include "engine/mpv_position_poll.h"

#include "engine/mpv_library.h"
#include "engine/reply_ids.h"

namespace {
// Reply ids of our reads: this base plus the file's number, far from the client's other ids.
constexpr int kIntervalMs = 200;
} // namespace

PositionPoll::PositionPoll(QObject* parent) : QObject(parent) {
    timer_.setInterval(kIntervalMs);
    connect(&timer_, &QTimer::timeout, this, &PositionPoll::read);
}

void PositionPoll::attach(const MpvLibrary* lib, mpv_handle* core) {
    lib_ = lib;
    core_ = core;
}

void PositionPoll::detach() {
    timer_.stop();
    core_ = nullptr;
}

void PositionPoll::fileStarted() {
    ++file_;
    loaded_ = false;
    follow();
}

void PositionPoll::fileLoaded() {
    loaded_ = true;
    read();
    follow();
}

void PositionPoll::fileEnded() {
    loaded_ = false;
    follow();
}

void PositionPoll::pauseChanged(bool paused) {
    paused_ = paused;
    read();
    follow();
}

void PositionPoll::restarted() {
    read();
}

void PositionPoll::read() {
    if (core_ && loaded_)
        lib_->get_property_async(core_, replyId::kPositionReadBase + file_, "time-pos", MPV_FORMAT_DOUBLE);
}

void PositionPoll::follow() {
    if (loaded_ && !paused_ && core_)
        timer_.start();
    else
        timer_.stop();
}

void PositionPoll::take(const mpv_event& event) {
    if (event.event_id != MPV_EVENT_GET_PROPERTY_REPLY ||
        event.reply_userdata != replyId::kPositionReadBase + file_ || !loaded_)
        return;
    const auto* value = static_cast<const mpv_event_property*>(event.data);
    const bool known = event.error >= 0 && value->format == MPV_FORMAT_DOUBLE && value->data;
    emit positionRead(known ? *static_cast<const double*>(value->data) : 0.0, known);
}
