#pragma once
// The road of a pick to the core, acted out: OpenPipeline decides each step, and this class takes it, on the
// core (MpvClient), the play state and what is shown of the file. The plan is asked for on a worker; a late
// one shows what it waits on; the core is made when first needed and replaced when it stops answering
// (CoreWatch); the load waits for somewhere to draw and goes in batches; a failure is told once the core's
// log lines have explained it, and ends all work on the file.

#include "engine/core_watch.h"
#include "engine/entry_check.h"
#include "engine/open_pipeline.h"
#include "engine/play_state.h"
#include "engine/sound_output_watch.h"
#include "opening/open_policy.h"

#include <QObject>
#include <QString>

class EngineSettings;
class FailureText;
class MpvClient;
class PlaybackReport;
class Transport;
struct FileEnd;

class OpenRoadHost {
  public:
    virtual void publish() = 0; // the play state and controls, to the component

  protected:
    ~OpenRoadHost() = default;
};

class OpenRoad : public QObject {
    Q_OBJECT
  public:
    struct Parts {
        MpvClient& client;
        PlayState& state;
        const EngineSettings& settings;
        PlaybackReport& report;
        Transport& transport;
        FailureText& failureText;
        OpenRoadHost& host;
    };
    explicit OpenRoad(const Parts& parts);

    QString url() const { return url_; }
    QString waitingFor() const { return pipeline_.waitingFor(); }
    QString notice() const { return notice_; }
    QString failureReason() const { return failureReason_; }
    // The items of the plan now playing, as the plan accepted them; empty when past the plan or none.
    const QList<OpenItem>& accepted() const { return accepted_; }
    bool hasTarget() const { return pipeline_.hasTarget(); }
    CoreWatch& watch() { return watch_; }
    const CoreWatch& watch() const { return watch_; }

    // A pick: its plan first, on a worker; then its items.
    void pick(const QString& url, bool playNow);
    // The items at once, past the plan unless `planned`: an empty URL or list closes the media. Planned
    // items are judged again as the core reaches each (EntryCheck).
    void openItems(const QString& url, const QList<OpenItem>& items, bool playNow, bool planned = false);
    // Nothing more of the road goes to the core (a stop).
    void stopLoading();
    void failWith(const QString& reason);

    // What the core does.
    void noteLogLine(const char* prefix, const char* level, const QString& line);
    void commandAnswered(uint64_t reply, int64_t entry, bool ok, OpenError error, const QString& text);
    void fileStarted(int64_t entry);
    void fileLoaded();
    void firstFrame();
    void fileEnded(const FileEnd& end, PlayState::Verdict verdict);
    void eventsDrained();
    // Somewhere to draw came or went (on the engine's thread), or there is no OpenGL at all.
    void targetChanged(bool arrived);
    void targetUnavailable();
    // The engine ends: the core goes, with whatever draws from it.
    void leave(bool hadCore);

  signals:
    void waitingForChanged();
    void renderTargetNeeded();
    void failed(const QString& reason);

  private:
    void awaitPlan(const QString& url, bool playNow, const QString& place);
    void endWait(); // a plan still on its way is for an older pick: it is not followed
    void refuse(const QString& url, const QString& why);
    void abandon();
    void resetFor(const QString& url);
    bool startCoreOrFail();          // false, failing the pick with the reason, when the core cannot be had
    void loadNow(double start = -1); // start >= 0: open again there, keeping the reported state
    void send(const OpenPipeline::Batch& batch);
    void commitFailure();
    void onCoreHeld();
    void retire(bool replace);

    MpvClient& client_;
    PlayState& state_;
    const EngineSettings& settings_;
    PlaybackReport& report_;
    Transport& transport_;
    FailureText& failureText_;
    OpenRoadHost& host_;
    OpenPipeline pipeline_;
    CoreWatch watch_;
    EntryCheck check_;
    SoundOutputWatch sound_;
    QString url_;
    QString notice_;
    QString failureReason_;
    QList<OpenItem> accepted_;
};
