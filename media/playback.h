#pragma once
// What the component's widgets read of the playback: the state, position, length and volume, the status
// area's words, and which operations the play state allows now (the one place the play state's controls
// become "this can be used"). Read-only: commands go through MediaActions, so no widget holds the engine.

#include <QImage>
#include <QList>
#include <QObject>
#include <QString>

class MediaEngine;
struct MediaChapter;

class Playback : public QObject {
    Q_OBJECT
  public:
    enum class Operation { Play, Pause, PlayPause, Stop, Scan, Seek, Previous, Next, ChooseTrack, StepFrame };
    // Positions past this (a broken file's length) are shown as this, in seconds: no int overflows.
    static const double kLongestLength;

    explicit Playback(const MediaEngine* engine, QObject* parent = nullptr);

    bool allows(Operation operation) const;
    // Whether play/pause pauses now (and reads "Pause"); otherwise it plays.
    bool showsPause() const;
    bool hasMedia() const;
    bool hasVideo() const;
    // Nothing opened yet, or a file that could not be played: black, not the last picture of the file before.
    bool blank() const;
    double position() const;
    double duration() const;
    int volume() const;
    // The seek bar's preview may be shown: a video the engine may draw previews of.
    bool previewable() const;
    // The file's chapters, in order (their starts are marks on the seek bar).
    const QList<MediaChapter>& chapters() const;
    // "Playing", "Waiting for PLACE …", why a file failed, and what was left out of it.
    QString statusText() const;

  signals:
    void playStateChanged();
    void positionChanged(double seconds);
    void durationChanged(double seconds);
    void volumeChanged(int volume);
    void hasVideoChanged(bool hasVideo);
    void chaptersChanged();
    void previewReady(double seconds, const QImage& picture);

  private:
    QString stateText() const;

    const MediaEngine* engine_;
};
