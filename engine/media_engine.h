#pragma once
// The playback engine behind the component: it wires its parts and acts on what they decide. MpvClient
// (libmpv), OpenPipeline (the road of a pick: plan, somewhere to draw, loads, the open bound), CoreWatch
// (a core that stops answering), PlayState (the state shown) and FailureText (why a file cannot be played).
// Besides: the transport (play, pause, stop, scans, seek), the settings, and the render contract. It knows
// nothing of widgets.
//
// The road of every file, the first included: open() -> the plan, on a worker -> the core is made if need be
// -> the load waits until a render context exists (renderTargetNeeded() asks for one) -> loadNow() sends it.

#include "engine/core_watch.h"
#include "engine/failure_text.h"
#include "engine/mpv_client.h"
#include "engine/open_pipeline.h"
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
    bool hasRenderTarget() const { return pipeline_.hasTarget(); }
    // Whoever draws takes a core that is given up (it stopped answering, or the engine ends) to its drawing
    // thread; with none, or one that holds no render context, the engine ends it on a thread of its own.
    void setHeldCoreTaker(HeldCoreTaker* taker) { watch_.setTaker(taker); }
    HeldCoreTaker* heldCoreTaker() const { return watch_.taker(); }

    // The one entry where a URL becomes a load: what the pick may open is decided first (planOpen), and a
    // refusal fails at once, before the core sees the file. An empty URL closes the media. Never blocks.
    QString url() const { return url_; }
    void open(const QString& url);
    // Hands `items` to the core past the plan, the URL being what the component reports: only for the tests
    // of the core's own doors, which must see what the core does with what the plan would refuse.
    void openPastThePlan(const QString& url, const QList<Item>& items);
    // Before the first file. startCore() makes the core: once the window sits on screen with nothing to do,
    // as it costs little memory. prepare() also asks for somewhere to draw, which brings in OpenGL (tens of
    // megabytes with software rendering): once a file is about to be picked. The first file then only loads.
    void startCore();
    void prepare();
    // The place a pick waits for (its plan's reads have not come back within a moment), or empty.
    QString waitingFor() const { return pipeline_.waitingFor(); }
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

  private:
    // Reply ids of our own requests to the core.
    static constexpr uint64_t kPauseReplyId = 100;

    void connectClient();
    void connectProperties();
    void openInternal(const QString& url, const QList<Item>& items, bool playNow);
    // The open plan, made on a worker.
    void planAndOpen(const QString& url, bool playNow);
    void awaitPlan(const QString& url, bool playNow, const QString& place);
    void endWait(); // a plan still on its way is for an older pick: it is not followed
    void refuse(const QString& url, const QString& why);
    void resetForOpen(const QString& url);
    // A core that does not answer is replaced, not waited for.
    void onCoreHeld();
    void retire(bool replace);
    void loadNow(double start = -1); // start >= 0: open again there, keeping the reported state
    void send(const OpenPipeline::Batch& batch);
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
    OpenPipeline pipeline_;
    CoreWatch watch_;
    PlayState state_;
    FailureText failureText_;
    int shownState_ = Undefined;
    PlayState::Controls shownControls_;

    QString url_;
    QString failureReason_;
    QString mediaTitle_;
    QString notice_;
    bool hasVideo_ = false;
    double position_ = 0;
    double duration_ = 0;
    QTimer reverseTimer_;
    QTimer coreWait_; // startCore() looks again while the library is still loading

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
