#pragma once
// The MPRIS description of the file in the player: its track id, title, address and length.

#include <QString>
#include <QVariantMap>

class MediaPlayer;

class MprisTrack {
  public:
    // Whether a file is loaded: chosen, and not refused by the engine.
    static bool isLoaded(const MediaPlayer* player);

    // Follows the player's file; call on every change of its play state.
    void update(MediaPlayer* player);
    // Empty while no file is loaded.
    QVariantMap metadata(const MediaPlayer* player) const;
    // The object path naming the file now in the player ("/org/tolvane/Player/track/3").
    QString trackId() const;

  private:
    QString url_;
    int serial_ = 0;
};
