#pragma once
// The libmpv client: one core, made with the options table, its observed properties turned into typed Qt
// signals through the property table, and the event pump that hands the core's events to the UI thread.
// It keeps no play state of its own: MediaEngine reads these signals.

#include "engine/engine_events.h"
#include "engine/mpv_position_poll.h"
#include "engine/mpv_render_context.h"
#include "engine/mpv_track_reader.h"

#include <QByteArray>
#include <QList>
#include <QLoggingCategory>
#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

struct mpv_event;
class HeldCore;

Q_DECLARE_LOGGING_CATEGORY(lcMpv)

class MpvClient : public QObject {
    Q_OBJECT
  public:
    // Options that follow the component's settings, as name and value; the fixed ones are the client's own.
    using Options = std::vector<std::pair<const char*, QByteArray>>;

    explicit MpvClient(QObject* parent = nullptr);
    ~MpvClient() override;

    // Makes the core, once: false, with error(), if the library or the core cannot be had.
    bool start(const Options& settings);
    bool isRunning() const { return mpv_ != nullptr; }
    QString error() const { return error_; }
    // Ends the core at once (blocks briefly); every render context must be freed before.
    void shutdown();
    // Hands the core over whole (no callback reaches this client any more, nor does it call the core); the
    // next start() makes a fresh one. Null without a core.
    std::shared_ptr<HeldCore> giveUpCore();

    // All writes are asynchronous: the UI thread never waits for the core. reply, when not 0, comes back in
    // commandAnswered() or propertySetAnswered().
    void command(std::initializer_list<QByteArray> words, uint64_t reply = 0);
    void command(const QByteArrayList& words, uint64_t reply);
    void setFlag(const char* name, bool value, uint64_t reply = 0);
    void setDouble(const char* name, double value);
    void setText(const char* name, const QString& value);
    // Lets the core open the file that fileReached() named.
    void continueOpening(uint64_t hook);
    // Reads the title again; the answer comes in mediaTitleChanged().
    void readTitle();
    // The core's own value, read synchronously (briefly blocks): for tests and diagnostics.
    QString property(const char* name);
    // Hands out every event the core has sent so far (without waiting for more).
    void drainEvents();

    // The render contract: null without a core or when the core refuses. Free with the same OpenGL context
    // current, before shutdown().
    // procAddress null: the core draws into memory (RenderContext::renderInto), no OpenGL.
    RenderContext* createRenderContext(RenderContext::ProcAddress procAddress,
                                       RenderContext::FrameCallback frameCallback);
    void freeRenderContext(RenderContext* context);

  signals:
    // Raised on a libmpv thread; delivered, queued, to drainEvents() on ours.
    void wakeup();
    void logLine(const char* prefix, const char* level, const QString& line);
    void commandAnswered(uint64_t reply, int64_t entry, bool ok, OpenError error, const QString& errorText);
    void propertySetAnswered(uint64_t reply);
    void fileStarted(int64_t entry);
    // The core is about to open `path` (empty if it did not say), and waits for continueOpening(hook).
    void fileReached(uint64_t hook, const QString& path);
    void fileLoaded();
    void firstFrame();
    void fileEnded(const FileEnd& end);
    void eventsDrained(); // every event waiting has been handed out (log lines come after other events)

    // The property table's signals.
    void pauseChanged(bool paused);
    void cacheStallChanged(bool stalled);
    void positionChanged(double seconds, bool known); // read, not observed: see PositionPoll
    void durationChanged(double seconds);
    void volumeChanged(double volume);
    void muteChanged(bool mute);
    void videoTrackChanged(bool present);
    void mediaTitleChanged(const QString& title);
    // Audio and subtitle tracks, chapters and the playlist (TrackChoice and Transport read them).
    void tracksChanged(const QList<MediaTrack>& tracks);
    void chapterChanged(int chapter); // -1 before the first, or with none
    void chapterCountChanged(int count);
    void chapterListChanged(const MediaChapters& chapters);
    void entryChanged(int index); // the current entry's place in the core's playlist, -1 with none
    void entryCountChanged(int count);
    void soundOutputChanged(const QString& name); // the sound output in use ("pulse", "null"), or empty

  private:
    static void onWakeup(void* self);
    void handleEvent(const mpv_event& event);
    void answerCommand(const mpv_event& event);
    void reachedName(const struct mpv_event_property& name);
    void endFile(const mpv_event& event);
    void changeProperty(const mpv_event& event);

    void setCore(mpv_handle* core);

    mpv_handle* mpv_ = nullptr; // written on the UI thread only, under coreLock_
    std::mutex coreLock_;       // the render thread reads mpv_ to make its render context
    const MpvLibrary* lib_ = nullptr;
    bool tried_ = false;
    QString error_;
    uint64_t hook_ = 0; // the core's hook waiting for its name to be read
    std::atomic<bool> wakeupPending_{false};
    PositionPoll position_;
    TrackReader tracks_;
};
