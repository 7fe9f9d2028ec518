#pragma once
// The playing position, read from the core five times a second while a file plays, instead of observed:
// the core reports an observed position on every frame, and each report wakes the UI thread, which then
// has nothing to draw (the video is drawn on a thread of its own) but a seek bar a few pixels on. It is also
// read at once when the picture restarts (a seek done, the first frame) and when playback pauses, so a
// still position is always exact.

#include <QObject>
#include <QTimer>
#include <cstdint>

struct MpvLibrary;
struct mpv_handle;
struct mpv_event;

class PositionPoll : public QObject {
    Q_OBJECT
  public:
    explicit PositionPoll(QObject* parent = nullptr);

    void attach(const MpvLibrary* lib, mpv_handle* core);
    void detach();

    // What the core said; each decides whether reading goes on.
    void fileStarted();
    void fileLoaded();
    void fileEnded();
    void pauseChanged(bool paused);
    void restarted();

    // A property reply: ours (a read of this file's position) are reported, any other is left alone.
    void take(const mpv_event& event);

  signals:
    void positionRead(double seconds, bool known);

  private:
    void read();
    void follow();

    const MpvLibrary* lib_ = nullptr;
    mpv_handle* core_ = nullptr;
    QTimer timer_;
    uint64_t file_ = 0; // replies about an earlier file change nothing
    bool loaded_ = false;
    bool paused_ = false;
};
