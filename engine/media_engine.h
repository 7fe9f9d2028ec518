#pragma once
// The playback engine behind the component: the road from a URL to a load, the transport (play, pause, stop,
// scans, seek), the settings, and the render contract. It knows nothing of widgets. Its parts: MpvClient
// (libmpv), PlayState (the state shown) and FailureText (why a file cannot be played).
//
// The road of every file, the first included: open() -> the core is made if need be -> the load waits until
// a render context exists (renderTargetNeeded() asks for one) -> loadNow() sends it.

#include "engine/failure_text.h"
#include "engine/mpv_client.h"
#include "engine/play_state.h"
#include "opening/open_policy.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <cstdint>
#include <memory>

class HeldCore;

class MediaEngine : public QObject {
    Q_OBJECT
  public:
    using enum PlayState::Number; // the component's playState numbers: MediaEngine::Playing, ...

    // One file for the core to play, with the subtitle file to show with it.
    using Item = OpenItem;

    explicit MediaEngine(QObject* parent = nullptr);
    ~MediaEngine() override;

    // True once the core has been made for a first file, until shutdown().
    bool hasCore() const { return client_.isRunning(); }
    // Ends the core with whatever draws from it (coreGivenUp), waiting for that a short while at most: a
    // core held by a share that does not answer is left to end on its own thread.
    void shutdown();

    // The render contract. Made and freed with the drawing OpenGL context current, on the thread that holds
    // it; the engine learns of it on its own thread. A load waits until one exists.
    RenderContext* createRenderContext(RenderContext::ProcAddress procAddress,
                                       RenderContext::FrameCallback frameCallback);
    void freeRenderContext(RenderContext* context);
    bool hasRenderTarget() const { return renderTargets_ > 0; }

    // The one entry where a URL becomes a load: what the pick may open is decided first (planOpen), and a
    // refusal fails at once, before the core sees the file. The second form plays the given files in order
    // where the URL names them; the URL is what the component reports. Never blocks.
    QString url() const { return url_; }
    void open(const QString& url);
    // Before the first file. startCore() makes the core: once the window sits on screen with nothing to do,
    // as it costs little memory. prepare() also asks for somewhere to draw, which brings in OpenGL (tens of
    // megabytes with software rendering): once a file is about to be picked. The first file then only loads.
    void startCore();
    void prepare();
    void open(const QString& url, const QList<Item>& items);
    // The place a pick waits for (its plan's reads have not come back within a moment), or empty.
    QString waitingFor() const { return waitingFor_; }
    // What was left out of the file being played and why (a subtitle over the size limit); may be empty.
    QString notice() const { return hasMedia() ? notice_ : QString(); }
    void play();
    void pause();
    void stop();
    void togglePlayPause();
    void fastForward();
    void fastReverse();
    void seek(double seconds);
    void seekBy(double seconds);

    // Previous and Next (media_engine_tracks.cpp): over the chapters of the file, then the entries of the
    // list; Previous further than PlayState::kRestartSeconds in goes back to the start.
    void previous();
    void next();
    // The file's audio and subtitle tracks; a choice lasts for that file only. Subtitle id 0 is "off".
    const QList<MediaTrack>& tracks() const { return tracks_; }
    void selectAudio(int64_t id);
    void selectSubtitle(int64_t id);
    void cycleAudio();
    void cycleSubtitle();
    bool subtitlesVisible() const { return subtitlesVisible_; }
    void setSubtitlesVisible(bool on);

    int playState() const { return state_.number(); }
    const PlayState& state() const { return state_; }
    // The controls that make sense now; seeking also needs a known length.
    PlayState::Controls controls() const;
    bool isPlaying() const {
        return playState() == Playing || playState() == ScanForward || playState() == ScanReverse;
    }
    bool hasMedia() const { return state_.hasMedia(); }
    bool hasVideo() const { return hasVideo_; }
    double position() const { return position_; }
    // 0 while unknown; a length past kLongestLength (a broken header's 1e300) is taken as unknown.
    double duration() const { return duration_; }
    static constexpr double kLongestLength = 2'000'000; // seconds: 23 days, in the seek bar's int of ms
    QString failureReason() const { return failureReason_; }
    // The tag's title, else the file name; empty with nothing loaded.
    QString mediaTitle() const { return mediaTitle_; }

    // The core's own value of a property, read synchronously (briefly blocks): for tests and diagnostics.
    QString coreProperty(const char* name);

    // Settings the engine acts on.
    int volume() const { return volume_; }
    void setVolume(int volume);
    bool mute() const { return mute_; }
    void setMute(bool mute);
    // The rate setting; every new file starts at it. setSpeed() changes the speed of this file only.
    double rate() const { return rate_; }
    void setRate(double rate);
    void setSpeed(double rate);
    int balance() const { return balance_; }
    void setBalance(int balance);
    int playCount() const { return playCount_; }
    void setPlayCount(int count);
    bool autoStart() const { return autoStart_; }
    void setAutoStart(bool on) { autoStart_ = on; }
    bool stretchToFit() const { return stretchToFit_; }
    void setStretchToFit(bool on);
    // Full screen scales the picture to the screen whatever stretchToFit says.
    void setFillScreen(bool on);

  signals:
    void playStateChanged(int state);
    void positionChanged(double seconds);
    void durationChanged(double seconds);
    void volumeChanged(int volume);
    void muteChanged(bool mute);
    void hasVideoChanged(bool hasVideo);
    void mediaTitleChanged(const QString& title);
    // A file could not be opened or played; reason is also failureReason().
    void mediaFailed(const QString& reason);
    // A load waits for somewhere to draw: whoever shows the video makes a render context.
    void renderTargetNeeded();
    // A render context was made (true) or freed (false), on whichever thread draws; the engine hears of it
    // on its own (a direct call there, a queued one from a render thread).
    void renderTargetReported(bool arrived);
    void tracksChanged();
    void controlsChanged(); // what controls() offers, where the play state stays the same
    void rateChanged(double rate);
    // Whoever draws cannot make a render context here (no OpenGL): loads go on without one. Any thread.
    void renderTargetUnavailable();
    void waitingForChanged();
    // The core stopped answering (or the engine ends): it goes, together with whatever draws from it. The
    // receiver (on this thread) that holds its render context sets taken and ends it on the drawing thread;
    // else the engine ends it on a thread of its own. replace: a fresh core serves the next load.
    void coreGivenUp(const std::shared_ptr<HeldCore>& core, bool replace, bool* taken);

  private:
    // Long enough for a slow disk or a large file's index, short enough that a user still waits.
    static constexpr int kOpenTimeoutMs = 10000;
    // A core that has not started the next file by then is held: a live one does it in milliseconds.
    static constexpr int kHeldAfterMs = 300;
    // Held cores kept at most (each keeps its threads and memory until its read returns); past that a
    // pick is refused with the place that holds them.
    static constexpr int kMaxHeldCores = 2;
    // Reply ids of our own requests to the core.
    static constexpr uint64_t kPauseReplyId = 100;
    static constexpr uint64_t kLoadReplyBase = 1'000'000; // + serial of the load

    void connectClient();
    void connectProperties();
    void openInternal(const QString& url, const QList<Item>& items, bool playNow);
    // The open plan, made on a worker (media_engine_open.cpp).
    void planAndOpen(const QString& url, bool playNow);
    void awaitPlan(const QString& url, bool playNow, const QString& place);
    void endWait(); // a plan still on its way is for an older pick: it is not followed
    void refuse(const QString& url, const QString& why);
    void resetForOpen(const QString& url);
    // A core that does not answer is replaced, not waited for (media_engine_held.cpp).
    void watchCore();
    void onCoreHeld();
    void retire(bool replace);
    void loadNow(double start = -1); // start >= 0: open again there, keeping the reported state
    void sendLoads(double start);
    void renderTargetChanged(bool arrived);
    void publish();
    void failWith(const QString& reason);
    void abandonOpen();
    void commitFailure();
    void resetPosition();
    void onCommandAnswered(uint64_t reply, int64_t entry, bool ok, OpenError error, const QString& text);
    void onFileEnded(const FileEnd& end);
    void onPosition(double seconds, bool known);
    void onVolume(double volume);
    void onVideoTrack(bool present);

    // Tracks, chapters and the playlist (media_engine_tracks.cpp).
    void connectTracks();
    void forgetFileChoices(); // a new file: its tracks are the core's choice, its speed normal
    template <typename T> void updatePlace(T PlayState::Place::*field, T value);
    void cycle(bool subtitle);

    // Transport helpers (media_transport.cpp).
    void setPause(bool paused);
    void startScan(PlayState::Scan direction);
    void endScan();
    void scanReverseStep();

    // Settings as the core's options (media_engine_settings.cpp).
    MpvClient::Options settingOptions() const;
    QString balanceFilter() const;
    void applyScaling();

    MpvClient client_;
    PlayState state_;
    FailureText failureText_;
    int shownState_ = Undefined;
    PlayState::Controls shownControls_;

    QString url_;
    QList<Item> items_;
    int renderTargets_ = 0;
    bool loadWaiting_ = false;          // a load waits for a render target
    bool reloadOnRenderTarget_ = false; // the render target vanished while a video was open
    uint64_t loadSerial_ = 0;           // reply id of the newest load, less kLoadReplyBase
    qsizetype nextLoad_ = 0;            // the first of items_ not yet handed to the core
    bool failurePending_ = false;       // told once the core's log lines that explain it are in
    OpenError pendingError_ = OpenError::None;
    QString pendingErrorText_;
    QString failureReason_;
    QString mediaTitle_;
    QString notice_;
    QTimer openWatch_; // a pick that has not opened by then is given up
    bool hasVideo_ = false;
    double position_ = 0;
    double duration_ = 0;
    QTimer reverseTimer_;
    QTimer coreWait_; // startCore() looks again while the library is still loading

    // The plan on its way, and a core that may be held.
    uint64_t pickSerial_ = 0; // a plan that comes late is followed only if its pick is still the newest
    QString waitingFor_;
    QString corePlace_;           // where the core's current file lives: named when it holds the core
    bool coreBusy_ = false;       // a file has started in the core and not ended
    bool noRenderTarget_ = false; // no OpenGL here: loads go on without a render context
    bool videoRefused_ = false;   // the core could not show this file's video: no render context
    QTimer heldWatch_;            // a load to a busy core that shows no progress by then: the core is held

    int volume_ = 50;
    bool mute_ = false;
    double rate_ = 1.0; // the speed now
    double settingRate_ = 1.0;
    int balance_ = 0;
    int playCount_ = 1;
    bool autoStart_ = true;
    bool stretchToFit_ = false;
    bool fillScreen_ = false;
    QList<MediaTrack> tracks_;
    bool subtitlesVisible_ = true;
};
