#pragma once
// The playback engine: one libmpv core, its settings, and its state as Qt signals on the UI thread.
// It knows nothing of widgets; VideoView draws its frames through handle() and the render API.

#include "player/open_policy.h"

#include <QByteArray>
#include <QList>
#include <QLoggingCategory>
#include <QObject>
#include <QString>
#include <QTimer>
#include <atomic>
#include <cstdint>

struct mpv_handle;
struct MpvLibrary;
struct mpv_event;

Q_DECLARE_LOGGING_CATEGORY(lcMpv)

class MediaEngine : public QObject {
    Q_OBJECT
  public:
    // The component's playState numbers. The order in which they come:
    //   open(): Transitioning at once, then Playing when the first frame is out (Ready with autoStart off);
    //   end of the file: MediaEnded, then at once Stopped;
    //   a file that cannot be played: Transitioning, then Ready, with failureReason() and mediaFailed();
    //   pause(): Paused at once; stop(): Stopped at once; a new open() while one plays: Transitioning,
    //   Playing.
    enum PlayState {
        Undefined = 0,
        Stopped = 1,
        Paused = 2,
        Playing = 3,
        ScanForward = 4,
        ScanReverse = 5,
        Buffering = 6,
        MediaEnded = 8,
        Transitioning = 9,
        Ready = 10,
    };

    explicit MediaEngine(QObject* parent = nullptr);
    ~MediaEngine() override;

    // The core, for the render context only (VideoView); null until the first file is opened, and after
    // shutdown().
    mpv_handle* handle() const { return mpv_; }
    // The library's functions; set whenever handle() is.
    const MpvLibrary* library() const { return lib_; }
    // Ends the core at once (blocks briefly); the render context must be freed before.
    void shutdown();

    // No file is loaded while there is nowhere to draw it; a URL given earlier waits for this.
    void setRenderTargetReady(bool ready);
    bool renderTargetReady() const { return renderReady_; }

    // Opening and playback. open() never blocks: the core loads the file on its own thread.
    QString url() const { return url_; }
    void open(const QString& url);
    void play();
    void pause();
    void stop();
    void togglePlayPause();
    void fastForward();
    void fastReverse();
    void seek(double seconds);
    void seekBy(double seconds);

    int playState() const { return state_; }
    bool isPlaying() const { return state_ == Playing || state_ == ScanForward || state_ == ScanReverse; }
    bool hasMedia() const { return phase_ == Phase::Loading || phase_ == Phase::Loaded; }
    bool hasVideo() const { return hasVideo_; }
    double position() const { return position_; }
    double duration() const { return duration_; }
    QString failureReason() const { return failureReason_; }
    // What was left out of the file being played and why (a subtitle over the size limit); may be empty.
    QString notice() const { return hasMedia() ? plan_.note : QString(); }

    // The core's own value of a property, read synchronously (briefly blocks): for tests and diagnostics.
    QString coreProperty(const char* name);

    // Settings the engine acts on.
    int volume() const { return volume_; }
    void setVolume(int volume);
    bool mute() const { return mute_; }
    void setMute(bool mute);
    double rate() const { return rate_; }
    void setRate(double rate);
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
    // A file could not be opened or played; reason is also failureReason().
    void mediaFailed(const QString& reason);

  private:
    enum class Phase { None, Loading, Loaded, Stopped, Ended, Failed };

    static void onWakeup(void* self);
    void drainEvents();
    void handleEvent(const mpv_event& event);
    void loadNow(double start = -1); // start >= 0: reopen there, keeping the reported state
    void setState(int state);
    void updateState();
    void endScan();
    void scanReverseStep();
    void setFlag(const char* name, bool value);
    void setDouble(const char* name, double value);
    void setText(const char* name, const QString& value);
    void command(const QList<QByteArray>& words, uint64_t reply = 0);
    void openInternal(const QString& url, bool playNow);
    void noteLogMessage(const char* prefix, const char* level, const char* text);
    void fail(int error);
    void failWith(const QString& reason);
    QString describeFailure(int error) const;
    QString balanceFilter() const;

    bool ensureCore();
    const MpvLibrary* lib_ = nullptr;
    bool coreTried_ = false;
    QString coreError_;
    mpv_handle* mpv_ = nullptr;
    std::atomic<bool> wakeupPending_{false};

    QString url_;
    bool renderReady_ = false;
    bool loadWaiting_ = false;   // a URL awaits the render target
    uint64_t loadSerial_ = 0;    // reply id of the newest loadfile
    int64_t expectedEntry_ = -1; // playlist entry of the newest loadfile, once the core has answered
    Phase phase_ = Phase::None;
    bool restarted_ = false;    // first frame of the current file is out
    bool awaitingPlay_ = false; // loaded with autoStart off, play() not called yet
    bool paused_ = false;
    bool pausedForCache_ = false;
    bool hasVideo_ = false;
    bool videoLost_ = false; // the render target vanished while a video was open
    int state_ = Undefined;
    double position_ = 0;
    double duration_ = 0;
    int pendingFailure_ = 0;       // an error end waits for the core's log lines that explain it
    bool followNextEntry_ = false; // a playlist file redirected: its first entry becomes the expected one
    int pauseSetsInFlight_ = 0; // our own pause writes not yet answered: the observed value lags behind them
    QString failureReason_;
    QString openError_;         // why the file could not be opened, from the core's log
    QString demuxerDetail_;     // what the demuxer disliked, from the core's log
    OpenPlan plan_;             // what the picked file may open (open_policy)
    qsizetype currentItem_ = 0; // the plan's item the core plays
    QTimer openWatch_;          // a file that has not opened by now never will: see abandonOpen()
    void abandonOpen();

    enum class Scan { None, Forward, Reverse } scan_ = Scan::None;
    QTimer reverseTimer_;

    int volume_ = 50;
    bool mute_ = false;
    double rate_ = 1.0;
    int balance_ = 0;
    int playCount_ = 1;
    bool autoStart_ = true;
    bool stretchToFit_ = false;
    bool fillScreen_ = false;
    void applyScaling();
};
