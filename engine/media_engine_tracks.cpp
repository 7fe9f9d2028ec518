// Within a file and a list: Previous and Next over chapters and entries, the audio and subtitle tracks, and
// what resets when a new file opens. The choices are written as file-local options, so the core forgets
// them by itself when the entry ends: the next entry of a list starts with its own default tracks.
#include "engine/media_engine.h"

void MediaEngine::connectTracks() {
    MpvClient* c = &client_;
    using P = PlayState::Place;
    connect(c, &MpvClient::tracksChanged, this, [this](const QList<MediaTrack>& tracks) {
        if (tracks == tracks_)
            return;
        tracks_ = tracks;
        emit tracksChanged();
    });
    connect(c, &MpvClient::chapterChanged, this, [this](int v) { updatePlace(&P::chapter, v); });
    connect(c, &MpvClient::chapterCountChanged, this, [this](int v) { updatePlace(&P::chapters, v); });
    connect(c, &MpvClient::entryChanged, this, [this](int v) { updatePlace(&P::entry, v); });
    connect(c, &MpvClient::entryCountChanged, this, [this](int v) { updatePlace(&P::entries, v); });
    connect(this, &MediaEngine::positionChanged, this,
            [this](double seconds) { updatePlace(&P::pastStart, seconds > PlayState::kRestartSeconds); });
    // A new entry starts at its beginning, whatever the last position read of the one before said.
    connect(c, &MpvClient::fileStarted, this, [this] { updatePlace(&P::pastStart, false); });
    connect(c, &MpvClient::fileLoaded, c, &MpvClient::readTitle);
}

template <typename T> void MediaEngine::updatePlace(T PlayState::Place::*field, T value) {
    PlayState::Place place = state_.place();
    place.*field = value;
    if (place == state_.place())
        return;
    state_.setPlace(place);
    publish();
}

// The title is announced afresh for every file, also for the same file again; the speed chosen for the last
// file goes back to the rate setting (Normal unless the host set another).
void MediaEngine::forgetFileChoices() {
    subtitlesVisible_ = true;
    if (!mediaTitle_.isEmpty()) {
        mediaTitle_.clear();
        emit mediaTitleChanged(mediaTitle_);
    }
    setSpeed(settingRate_);
}

void MediaEngine::next() {
    const PlayState::Place& p = state_.place();
    if (!controls().next)
        return;
    if (p.chapter + 1 < p.chapters) {
        client_.command({"add", "chapter", "1"});
        return;
    }
    state_.skipEntry();
    client_.command({"playlist-next", "force"});
    publish();
}

// Within the restart threshold the core's own chapter step goes to the start of the chapter, else to the
// one before (chapter-seek-threshold).
void MediaEngine::previous() {
    const PlayState::Place& p = state_.place();
    if (!controls().previous)
        return;
    if (p.chapters > 0 && (p.chapter > 0 || p.pastStart)) {
        client_.command({"add", "chapter", "-1"});
    } else if (p.pastStart) {
        seek(0);
    } else {
        state_.skipEntry();
        client_.command({"playlist-prev", "force"});
        publish();
    }
}

void MediaEngine::selectAudio(int64_t id) {
    client_.setText("file-local-options/aid", QString::number(id));
}

void MediaEngine::selectSubtitle(int64_t id) {
    client_.setText("file-local-options/sid", id > 0 ? QString::number(id) : QStringLiteral("no"));
}

void MediaEngine::setSubtitlesVisible(bool on) {
    subtitlesVisible_ = on;
    client_.setFlag("file-local-options/sub-visibility", on);
    emit tracksChanged();
}

void MediaEngine::cycleAudio() {
    cycle(false);
}

void MediaEngine::cycleSubtitle() {
    cycle(true);
}

// To the next track of the kind; subtitles go on to "off" after the last, then to the first again.
void MediaEngine::cycle(bool subtitle) {
    QList<int64_t> ids;
    qsizetype current = -1;
    for (const MediaTrack& track : tracks_) {
        if (track.subtitle != subtitle)
            continue;
        if (track.selected)
            current = ids.size();
        ids << track.id;
    }
    if (subtitle)
        ids << 0; // off
    if (ids.size() < 2)
        return;
    const int64_t id = ids[(current + 1) % ids.size()];
    subtitle ? selectSubtitle(id) : selectAudio(id);
}
