#include "engine/mpv_track_reader.h"

#include "engine/mpv_library.h"
#include "engine/mpv_track_list.h"
#include "engine/reply_ids.h"

#include <algorithm>

namespace {
// Reply ids: the base, the reading's serial times kSlots, and 0 for the count or 1 + the track's index.
constexpr uint64_t kSlots = 4096;
constexpr int kMaxTracks = int(kSlots) - 1;
// Reads asked for at once: well within the core's queue of answers.
constexpr int kInFlight = 64;
} // namespace

void TrackReader::attach(const MpvLibrary* lib, mpv_handle* core) {
    lib_ = lib;
    core_ = core;
    reading_ = false;
    lib_->observe_property(core_, replyId::kTrackListChanged, "track-list", MPV_FORMAT_NONE);
}

void TrackReader::detach() {
    core_ = nullptr;
    reading_ = false;
    ++serial_;
}

uint64_t TrackReader::reply(int slot) const {
    return replyId::kTrackReadBase + serial_ * kSlots + uint64_t(slot);
}

bool TrackReader::take(const mpv_event& event) {
    if (event.event_id == MPV_EVENT_PROPERTY_CHANGE && event.reply_userdata == replyId::kTrackListChanged) {
        if (reading_)
            again_ = true;
        else
            start();
        return true;
    }
    const uint64_t id = event.reply_userdata;
    if (event.event_id != MPV_EVENT_GET_PROPERTY_REPLY || id < replyId::kTrackReadBase)
        return false;
    if ((id - replyId::kTrackReadBase) / kSlots != serial_ || !reading_)
        return true; // an older reading's
    const int slot = int((id - replyId::kTrackReadBase) % kSlots);
    const auto& value = *static_cast<const mpv_event_property*>(event.data);
    if (slot == 0) {
        count_ = std::clamp(countOf(value, 0), 0, kMaxTracks);
        for (int index = 0; index < std::min(count_, kInFlight); ++index)
            ask(index);
    } else {
        MediaTrack track;
        if (value.format == MPV_FORMAT_NODE && value.data &&
            trackOf(*static_cast<const mpv_node*>(value.data), track))
            tracks_ << track;
        ++answered_;
        if (slot - 1 + kInFlight < count_)
            ask(slot - 1 + kInFlight);
    }
    if (answered_ == count_)
        finish();
    return true;
}

void TrackReader::start() {
    if (!core_)
        return;
    ++serial_;
    reading_ = true;
    again_ = false;
    tracks_.clear();
    count_ = answered_ = 0;
    lib_->get_property_async(core_, reply(0), "track-list/count", MPV_FORMAT_INT64);
}

void TrackReader::ask(int index) {
    const QByteArray name = "track-list/" + QByteArray::number(index);
    lib_->get_property_async(core_, reply(index + 1), name.constData(), MPV_FORMAT_NODE);
}

void TrackReader::finish() {
    reading_ = false;
    emit tracksRead(tracks_);
    if (again_)
        start();
}
