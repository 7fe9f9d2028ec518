#pragma once
// What the component's controls ask of the core: play, pause, stop, the scans, seeking, and Previous and
// Next over the chapters of the file and the entries of the list. It acts on the core and the play state;
// the engine, its host, tells the component and owns the road of a pick.

#include "engine/play_state.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class EngineSettings;
class MpvClient;

class TransportHost {
  public:
    virtual void publish() = 0; // the play state and controls, to the component
    // The same file again, looked at afresh: after a stop, the end or a failure.
    virtual void replay() = 0;
    // Nothing more of the road of a pick goes to the core.
    virtual void stopLoading() = 0;
    virtual double position() const = 0;
    virtual void showPosition(double seconds) = 0;
    virtual double duration() const = 0;
    virtual PlayState::Controls controls() const = 0;
    // Past the last chapter and entry (step 1) or before the first (step -1): the host's next file.
    virtual void goToNeighbour(int step) = 0;

  protected:
    ~TransportHost() = default;
};

class Transport : public QObject {
    Q_OBJECT
  public:
    Transport(MpvClient& client, PlayState& state, const EngineSettings& settings, TransportHost& host);

    void play();
    void pause();
    void stop();
    void togglePlayPause();
    void fastForward() { startScan(PlayState::Scan::Forward); }
    void fastReverse() { startScan(PlayState::Scan::Reverse); }
    void seek(double seconds);
    void seekBy(double seconds) { seek(host_.position() + seconds); }
    // While the seek bar is dragged: keyframe seeks, one at a time, the newest position waiting for the
    // last to be shown. A seek() after lands exactly.
    void scrub(double seconds);
    // Previous further than PlayState::kRestartSeconds in goes back to the start.
    void previous();
    void next();
    // One frame on (step 1) or back (step -1), pausing first.
    void stepFrame(int step);
    // Whether the host has a file before and after this one, where Previous and Next go past the ends.
    void setNeighbours(bool before, bool after);

    // Where playback is: past the restart threshold or not.
    void positionSeen(double seconds);

    // For the engine's own use: the pause a load starts with, and the end of a scan when a file ends, fails
    // or another opens.
    void setPause(bool paused);
    void endScan();

  private:
    void startScan(PlayState::Scan direction);
    void scanReverseStep();
    void goneToChapter(int chapter);
    void entryStarted();
    void takePlace(const PlayState::Place& place);
    void chapterSeen(int chapter);
    double withinFile(double seconds) const;
    void sendScrub();
    void seekLanded();
    // Where in the file and the list playback is: what Previous and Next can go to.
    template <typename T> void updatePlace(T PlayState::Place::*field, T value);

    MpvClient& client_;
    PlayState& state_;
    const EngineSettings& settings_;
    TransportHost& host_;
    QTimer reverseTimer_;
    static constexpr int kChapterReportMs = 1000; // a live core reports a chapter step within this
    int chapterAsked_ = -1;                       // the chapter a step went to, until the core reports it
    QElapsedTimer chapterAskedAt_;
    QTimer scrubWait_; // a seek that shows nothing (the core gave up on it) holds the next no longer
    bool scrubInFlight_ = false;
    double scrubTarget_ = -1; // the newest position asked while one was in flight; -1 with none
};
