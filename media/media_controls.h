#pragma once
// The component's `controls` object: play, pause, stop and the rest, acting on the player's engine.

#include <QObject>
#include <QString>

class MediaEngine;
class Playback;

class MediaControls : public QObject {
    Q_OBJECT
  public:
    MediaControls(MediaEngine* engine, const Playback* playback, QObject* parent = nullptr);

    // Whether the named operation can be used now: "play", "pause", "stop", "fastForward", "fastReverse",
    // "currentPosition", "next", "previous" (case does not matter; unknown names are not available).
    Q_INVOKABLE bool isAvailable(const QString& name) const;
    Q_INVOKABLE void play();
    // Accepted in every state, also before any file: with nothing loaded it does nothing.
    Q_INVOKABLE void pause();
    Q_INVOKABLE void stop();
    Q_INVOKABLE void fastForward();
    Q_INVOKABLE void fastReverse();
    // The next or previous chapter or entry (see MediaEngine::next()).
    Q_INVOKABLE void next();
    Q_INVOKABLE void previous();

    double currentPosition() const;
    void setCurrentPosition(double seconds);

  private:
    MediaEngine* engine_;
    const Playback* playback_;
};
