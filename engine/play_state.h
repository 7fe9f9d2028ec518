#pragma once
// The component's play state as a plain class: the engine tells it what was asked and what the core did,
// and it answers with `playState`, whether a file is loaded, and which controls make sense. It is the one
// place that decides whether the play/pause control pauses or plays. No libmpv, no windows.
//
// The order of the numbers:
//   open(): Transitioning at once, then Playing at the first frame (Ready with autoStart off);
//   end of a file: MediaEnded, then Stopped (settleEnd());
//   a file that cannot be played: Transitioning, then Ready (fail());
//   pause(): Paused at once; stop(): Stopped at once.

#include "engine/engine_events.h"
#include "engine/play_numbers.h"

#include <cstdint>
#include <vector>

class PlayState : public PlayStateNumbers {
  public:
    enum class Scan { None, Forward, Reverse };
    // What a file end means for the component.
    enum class Verdict { Ignored, Ended, Failed, GoesOn };

    // The controls the component offers in this state.
    struct Controls {
        bool playPause = false;  // the play/pause control can be used
        bool showsPause = false; // it pauses (and says "Pause"); otherwise it plays
        bool stop = false;
        bool scan = false; // fast forward and fast reverse
        bool seek = false; // a loaded file (its length known is the engine's matter)
        bool previous =
            false;         // an earlier chapter or entry, the start of this one, or the host's file before
        bool next = false; // a later chapter or entry, or the host's file after
        bool operator==(const Controls&) const = default;
    };

    // Where in the file and the playlist playback is: what Previous and Next can go to.
    struct Place {
        int chapter = -1; // -1 before the first chapter, or with none
        int chapters = 0;
        int entry = -1; // the entry's index in the playlist, -1 with none
        int entries = 0;
        bool pastStart = false; // more than the threshold into the entry (or its first chapter)
        // The host has a file before or after this one to go to (the files of its folder).
        bool fileBefore = false;
        bool fileAfter = false;
        bool operator==(const Place&) const = default;
    };
    // Previous at most this far into an entry or chapter goes to the one before; further in, to its start.
    static constexpr double kRestartSeconds = 3.0;

    // What was asked.
    void open(bool playNow); // a new URL: nothing of the old file counts any more
    void close();            // an empty URL
    void play();
    void pause();
    void stop();
    void scan(Scan direction);
    void fail();               // the file cannot be played
    void settleEnd();          // after MediaEnded has been told: Stopped
    void reopenKeepingState(); // the same file again where it was, the state shown unchanged
    void skipEntry();          // Previous or Next to another entry: it opens as the list goes on
    // A frame step forward, paused: the core plays that one frame and pauses again, which is no play.
    void stepFrame() { steppingFrame_ = true; }
    void setPlace(const Place& place) { place_ = place; }
    const Place& place() const { return place_; }

    // What the core did. Entries are the core's playlist entry ids; only the current URL's count.
    void addEntry(int64_t entry);    // one more entry of ours, in play order (a loadfile's answer)
    bool fileStarted(int64_t entry); // true if the entry is ours
    void fileLoaded();
    void firstFrame();
    Verdict fileEnded(const FileEnd& end);
    void corePaused(bool paused);
    void cacheStalled(bool stalled);
    void ourPauseWrite() { ++pauseWritesInFlight_; }
    void ourPauseWriteAnswered();
    // The render target went away with a video open: the error end that follows is not the file's fault.
    void renderTargetLost() { videoLost_ = hasMedia(); }

    Number number() const { return number_; }
    bool hasMedia() const { return phase_ == Phase::Loading || phase_ == Phase::Loaded; }
    bool isLoaded() const { return phase_ == Phase::Loaded; }
    bool wasOpened() const { return phase_ != Phase::None; }
    bool isFailed() const { return phase_ == Phase::Failed; }
    bool isPaused() const { return paused_; }
    bool awaitsPlay() const { return awaitingPlay_; }
    Scan scanning() const { return scan_; }
    Controls controls() const;

  private:
    enum class Phase { None, Loading, Loaded, Stopped, Ended, Failed };
    void hold(bool paused);
    void update();
    bool isLastEntry(int64_t entry) const;

    Phase phase_ = Phase::None;
    Number number_ = Undefined;
    std::vector<int64_t> entries_; // ours, in the order the core plays them
    int64_t current_ = -1;
    bool restarted_ = false;    // the current file's first frame is out
    bool awaitingPlay_ = false; // loaded with autoStart off, play() not asked yet
    bool paused_ = false;
    bool pausedForCache_ = false;
    bool videoLost_ = false;
    bool steppingFrame_ = false;
    int pauseWritesInFlight_ = 0; // the observed pause lags behind our own writes until they are answered
    Scan scan_ = Scan::None;
    Place place_;
};
