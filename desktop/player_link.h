#pragma once
// Which media player the desktop services follow. The player window can be closed and built afresh while
// the program runs (another window still open), so the player is looked up again whenever a window gains
// the focus after the one followed has gone.

#include <QObject>
#include <QPointer>
#include <functional>

class MediaPlayer;

class PlayerLink : public QObject {
    Q_OBJECT
  public:
    // find: the player of the loaded player window, or null; it must not build a window.
    explicit PlayerLink(std::function<MediaPlayer*()> find, QObject* parent = nullptr);

    // The player followed, looked up again if the last one has gone; may be null.
    MediaPlayer* player();

  signals:
    // A different player (or none) is followed from now on.
    void playerChanged(MediaPlayer* player);

  private:
    void follow(MediaPlayer* player);

    std::function<MediaPlayer*()> find_;
    QPointer<MediaPlayer> player_;
    bool leaving_ = false; // the player followed is being destroyed
};
