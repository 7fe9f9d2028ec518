#pragma once
// The playback engine behind the component, as the component sees it: one object that wires its parts and
// tells their news. MpvClient (libmpv), OpenRoad (the road of a pick to the core, with OpenPipeline deciding
// its steps and CoreWatch a core that stops answering), Transport (play, pause, stop, scans, seek, Previous
// and Next), EngineSettings, TrackChoice, PlaybackReport (what the core says of the file), PlayState (the
// state shown) and FailureText (why a file cannot be played). It knows nothing of widgets.
//
// The road of every file, the first included: open() -> the plan, on a worker -> the core is made if need be
// -> the load waits until a render context exists (renderTargetNeeded() asks for one) -> it goes, in
// batches.

#include "engine/clock_watch.h"
#include "engine/engine_settings.h"
#include "engine/failure_text.h"
#include "engine/mpv_client.h"
#include "engine/open_road.h"
#include "engine/play_state.h"
#include "engine/playback_report.h"
#include "engine/preview_core.h"
#include "engine/track_choice.h"
#include "engine/transport.h"
#include "opening/open_policy.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <cstdint>
#include <memory>

class MediaEngine : public QObject, private TransportHost, private OpenRoadHost {
    Q_OBJECT
  public:
    using enum PlayState::Number; // the component's playState numbers: MediaEngine::Playing, ...

    // One file for the core to play, with the subtitle file to show with it.
    using Item = OpenItem;

    explicit MediaEngine(QObject* parent = nullptr);
    ~MediaEngine() override;

    // True once the core has been made for a first file, until shutdown().
    bool hasCore() const { return client_.isRunning(); }
    // Ends the core with whatever draws from it (HeldCoreTaker), waiting for that a short while at most: a
    // core held by a share that does not answer is left to end on its own thread.
    void shutdown();

    // The render contract. Made and freed with the drawing OpenGL context current, on the thread that holds
    // it; the engine learns of it on its own thread. A load waits until one exists.
    // procAddress null: the core draws into memory (RenderContext::renderInto), no OpenGL.
    RenderContext* createRenderContext(RenderContext::ProcAddress procAddress,
                                       RenderContext::FrameCallback frameCallback);
    void freeRenderContext(RenderContext* context);
    bool hasRenderTarget() const { return road_.hasTarget(); }
    // Whoever draws cannot make a render context here (no OpenGL): loads go on without one. Any thread.
    void reportNoRenderTarget();
    // Whoever draws takes a core that is given up (it stopped answering, or the engine ends) to its drawing
    // thread; with none, or one that holds no render context, the engine ends it on a thread of its own.
    void setHeldCoreTaker(HeldCoreTaker* taker) { road_.watch().setTaker(taker); }
    HeldCoreTaker* heldCoreTaker() const { return road_.watch().taker(); }

    // The one entry where a URL becomes a load: what the pick may open is decided first (planOpen), and a
    // refusal fails at once, before the core sees the file. An empty URL closes the media. Never blocks.
    QString url() const { return road_.url(); }
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
    QString waitingFor() const { return road_.waitingFor(); }
    // Playing, and the clock has not moved for a while (ClockWatch).
    bool clockStalled() const { return clock_.stalled(); }
    // What was left out of the file being played and why (a subtitle over the size limit); may be empty.
    QString notice() const { return hasMedia() ? road_.notice() : QString(); }
    // The transport (Transport).
    void play() { transport_.play(); }
    void pause() { transport_.pause(); }
    void stop() { transport_.stop(); }
    void togglePlayPause() { transport_.togglePlayPause(); }
    void fastForward() { transport_.fastForward(); }
    void fastReverse() { transport_.fastReverse(); }
    void seek(double seconds) { transport_.seek(seconds); }
    void seekBy(double seconds) { transport_.seekBy(seconds); }
    void scrub(double seconds) { transport_.scrub(seconds); } // dragging: keyframes, one in flight
    void stepFrame(int step) { transport_.stepFrame(step); }  // 1 on, -1 back; pauses first

    // Previous and Next: over the chapters of the file, then the entries of the
    // list; Previous further than PlayState::kRestartSeconds in goes back to the start.
    void previous() { transport_.previous(); }
    void next() { transport_.next(); }
    // Past those ends, the host's files: whether it has one before and after (neighbourWanted asks for it).
    void setNeighbours(bool before, bool after) { transport_.setNeighbours(before, after); }
    // The file's audio and subtitle tracks (TrackChoice); a choice lasts for that file only. Subtitle id 0
    // is "off".
    const QList<MediaTrack>& tracks() const { return tracks_.tracks(); }
    void selectAudio(int64_t id) { tracks_.selectAudio(id); }
    void selectSubtitle(int64_t id) { tracks_.selectSubtitle(id); }
    void cycleAudio() { tracks_.cycleAudio(); }
    void cycleSubtitle() { tracks_.cycleSubtitle(); }
    bool subtitlesVisible() const { return tracks_.subtitlesVisible(); }
    void setSubtitlesVisible(bool on) { tracks_.setSubtitlesVisible(on); }

    int playState() const { return state_.number(); }
    const PlayState& state() const { return state_; }
    // The controls that make sense now; seeking also needs a known length.
    PlayState::Controls controls() const override;
    bool isPlaying() const {
        return playState() == Playing || playState() == ScanForward || playState() == ScanReverse;
    }
    bool hasMedia() const { return state_.hasMedia(); }
    // What the core reports (PlaybackReport).
    bool hasVideo() const { return report_.hasVideo(); }
    double position() const override { return report_.position(); }
    // 0 while unknown; a length past kLongestLength (a broken header's 1e300) is taken as unknown.
    double duration() const override { return report_.duration(); }
    static constexpr double kLongestLength = PlaybackReport::kLongestLength;
    QString failureReason() const { return road_.failureReason(); }
    // The tag's title, else the file name; empty with nothing loaded.
    QString mediaTitle() const { return report_.mediaTitle(); }
    const MediaChapters& chapters() const { return report_.chapters(); }

    // The seek bar's preview (PreviewCore): a video the plan accepted, loaded, its place not waited for.
    bool previewable() const { return !previewItem().path.isEmpty(); }
    void askPreview(double seconds, int width);
    void releasePreview() { preview_.release(); } // its memory given back
    bool previewRunning() const { return preview_.running(); }

    // The core's own value of a property, read synchronously (briefly blocks): for tests and diagnostics.
    QString coreProperty(const char* name);

    // Settings the engine acts on (EngineSettings).
    int volume() const { return settings_.volume(); }
    void setVolume(int volume) {
        if (settings_.setVolume(volume))
            emit volumeChanged(settings_.volume());
    }
    bool mute() const { return settings_.mute(); }
    void setMute(bool mute) {
        if (settings_.setMute(mute))
            emit muteChanged(mute);
    }
    // The speed now. setRate() sets the rate setting, which every new file starts at; setSpeed() changes
    // the speed of this file only.
    double rate() const { return settings_.speed(); }
    void setRate(double rate) {
        if (settings_.setRate(rate, state_.scanning() != PlayState::Scan::Forward))
            emit rateChanged(settings_.speed());
    }
    void setSpeed(double speed) {
        if (settings_.setSpeed(speed, state_.scanning() != PlayState::Scan::Forward))
            emit rateChanged(settings_.speed());
    }
    int balance() const { return settings_.balance(); }
    void setBalance(int balance) { settings_.setBalance(balance); }
    int playCount() const { return settings_.playCount(); }
    void setPlayCount(int count) { settings_.setPlayCount(count); }
    bool autoStart() const { return autoStart_; }
    void setAutoStart(bool on) { autoStart_ = on; }
    bool stretchToFit() const { return settings_.stretchToFit(); }
    void setStretchToFit(bool on) { settings_.setStretchToFit(on); }
    // Full screen scales the picture to the screen whatever stretchToFit says.
    void setFillScreen(bool on) { settings_.setFillScreen(on); }

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
    // A render context was made (true) or freed (false), once the engine has heard of it on its thread.
    void renderTargetReported(bool arrived);
    void tracksChanged();
    void chaptersChanged();
    void controlsChanged(); // what controls() offers, where the play state stays the same
    void rateChanged(double rate);
    void waitingForChanged();
    void clockStalledChanged();
    // Previous or Next went past the ends of the file and the list: the host's file before (-1) or after (1).
    void neighbourWanted(int step);
    void previewReady(double seconds, const PreviewPicture& picture);

  private:
    void connectClient();
    void connectReport();
    void postRenderTarget(bool arrived);
    void publish() override;
    void replay() override;
    void stopLoading() override;
    void showPosition(double seconds) override;
    void goToNeighbour(int step) override { emit neighbourWanted(step); }
    void onFileEnded(const FileEnd& end);

    OpenItem previewItem() const; // empty path: none
    void forgetFileChoices();     // a new file: its tracks are the core's choice, its speed normal

    MpvClient client_;
    EngineSettings settings_{client_};
    PlaybackReport report_{client_, [this] { return hasMedia(); }};
    PlayState state_;
    FailureText failureText_;
    Transport transport_{client_, state_, settings_, *this};
    OpenRoad road_{{client_, state_, settings_, report_, transport_, failureText_, *this}};
    int shownState_ = Undefined;
    PlayState::Controls shownControls_;

    QTimer coreWait_; // startCore() looks again while the library is still loading

    bool autoStart_ = true;
    TrackChoice tracks_{client_};
    PreviewCore preview_;
    ClockWatch clock_;
};
