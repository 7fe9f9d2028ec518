#include "engine/playback_report.h"

#include "engine/mpv_client.h"

#include <algorithm>
#include <utility>

PlaybackReport::PlaybackReport(MpvClient& client, std::function<bool()> fileOpen)
    : fileOpen_(std::move(fileOpen)) {
    connect(&client, &MpvClient::positionChanged, this, [this](double seconds, bool known) {
        if (known || !fileOpen_())
            setPosition(std::max(0.0, seconds));
    });
    connect(&client, &MpvClient::durationChanged, this, &PlaybackReport::setDuration);
    connect(&client, &MpvClient::videoTrackChanged, this, &PlaybackReport::setHasVideo);
    connect(&client, &MpvClient::mediaTitleChanged, this, &PlaybackReport::setMediaTitle);
    connect(&client, &MpvClient::chapterListChanged, this, &PlaybackReport::setChapters);
}

// Told every time, also unchanged: a seek to where playback already is still moves the bar's knob back.
void PlaybackReport::setPosition(double seconds) {
    position_ = seconds;
    emit positionChanged(position_);
}

void PlaybackReport::setDuration(double seconds) {
    duration_ = seconds > 0 && seconds <= kLongestLength ? seconds : 0; // NaN, inf, 1e300: unknown
    emit durationChanged(duration_);
}

void PlaybackReport::setHasVideo(bool present) {
    if (present == hasVideo_)
        return;
    hasVideo_ = present;
    emit hasVideoChanged(hasVideo_);
}

void PlaybackReport::setMediaTitle(const QString& title) {
    if (title == mediaTitle_)
        return;
    mediaTitle_ = title;
    emit mediaTitleChanged(mediaTitle_);
}

void PlaybackReport::setChapters(const MediaChapters& chapters) {
    if (chapters == chapters_)
        return;
    chapters_ = chapters;
    emit chaptersChanged();
}
