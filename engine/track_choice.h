#pragma once
// The file's audio and subtitle tracks as the core lists them, and the choices among them. The choices are
// written as file-local options, so the core forgets them by itself when the entry ends: the next entry of a
// list starts with its own default tracks.

#include "engine/engine_events.h"

#include <QList>
#include <QObject>
#include <cstdint>

class MpvClient;

class TrackChoice : public QObject {
    Q_OBJECT
  public:
    explicit TrackChoice(MpvClient& client, QObject* parent = nullptr);

    const QList<MediaTrack>& tracks() const { return tracks_; }
    // Subtitle id 0 is "off".
    void selectAudio(int64_t id);
    void selectSubtitle(int64_t id);
    // To the next track of the kind; subtitles go on to "off" after the last, then to the first again.
    void cycleAudio() { cycle(false); }
    void cycleSubtitle() { cycle(true); }
    bool subtitlesVisible() const { return subtitlesVisible_; }
    void setSubtitlesVisible(bool on);
    // A new file: its subtitles are shown again.
    void forget() { subtitlesVisible_ = true; }

  signals:
    void changed();

  private:
    void cycle(bool subtitle);

    MpvClient& client_;
    QList<MediaTrack> tracks_;
    bool subtitlesVisible_ = true;
};
