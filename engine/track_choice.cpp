#include "engine/track_choice.h"

#include "engine/mpv_client.h"

TrackChoice::TrackChoice(MpvClient& client, QObject* parent) : QObject(parent), client_(client) {
    connect(&client_, &MpvClient::tracksChanged, this, [this](const QList<MediaTrack>& tracks) {
        if (tracks == tracks_)
            return;
        tracks_ = tracks;
        emit changed();
    });
}

void TrackChoice::selectAudio(int64_t id) {
    client_.setText("file-local-options/aid", QString::number(id));
}

void TrackChoice::selectSubtitle(int64_t id) {
    client_.setText("file-local-options/sid", id > 0 ? QString::number(id) : QStringLiteral("no"));
}

void TrackChoice::setSubtitlesVisible(bool on) {
    subtitlesVisible_ = on;
    client_.setFlag("file-local-options/sub-visibility", on);
    emit changed();
}

void TrackChoice::cycle(bool subtitle) {
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
