#include "engine/open_road.h"

#include "engine/engine_settings.h"
#include "engine/failure_text.h"
#include "engine/load_command.h"
#include "engine/mpv_client.h"
#include "engine/mpv_held_core.h"
#include "engine/playback_report.h"
#include "engine/transport.h"
#include "files/fs_call.h"
#include "opening/media_url.h"

#include <QFileInfo>
#include <QPointer>
#include <malloc.h>

OpenRoad::OpenRoad(const Parts& parts)
    : client_(parts.client), state_(parts.state), settings_(parts.settings), report_(parts.report),
      transport_(parts.transport), failureText_(parts.failureText), host_(parts.host), check_(parts.client),
      sound_(parts.client) {
    connect(&check_, &EntryCheck::refused, this, [this](const QString& path, const QString& why) {
        failWith(FailureText::cannotPlay(path, why));
    });
    connect(&pipeline_, &OpenPipeline::timedOut, this, &OpenRoad::abandon);
    connect(&watch_, &CoreWatch::held, this, &OpenRoad::onCoreHeld);
}

// ---- the plan
// ----------------------------------------------------------------------------------------------

// Every open goes through the plan, a replay included: the file may have been replaced since. A place that
// answers gives the plan within a moment and the pick goes on as if it had been made here; past that the
// pick waits, saying for what, and the window goes on.
void OpenRoad::pick(const QString& url, bool playNow) {
    const uint64_t pick = pipeline_.startPick();
    const QString path = QFileInfo(localPathOf(url)).absoluteFilePath();
    const auto follow = [this, url, pick, playNow](OpenPlan&& plan) {
        if (!pipeline_.isCurrent(pick))
            return; // another pick, a stop or a failure came since
        if (!plan.refusal.isEmpty()) {
            refuse(url, plan.refusal);
            return;
        }
        openItems(url, plan.items, playNow, true);
        notice_ = plan.note;
        accepted_ = plan.items;
    };
    switch (fsCall<OpenPlan>(
        path, [url] { return planOpen(url); }, this, follow)) {
    case FsOutcome::Answered:
        break;
    case FsOutcome::Pending:
        awaitPlan(url, playNow, fsPlaceOf(path));
        break;
    case FsOutcome::NotAnswering:
        refuse(url, QStringLiteral("%1 does not answer").arg(fsPlaceOf(path)));
        break;
    }
}

// What played before ends; the pick shows as opening, with the place it waits for, until its plan comes or
// the open bound gives it up (abandon).
void OpenRoad::awaitPlan(const QString& url, bool playNow, const QString& place) {
    resetFor(url);
    client_.command({"stop"});
    state_.open(playNow);
    pipeline_.planLate(place);
    host_.publish();
    emit waitingForChanged();
}

void OpenRoad::endWait() {
    if (pipeline_.endPick())
        emit waitingForChanged();
}

// A refusal ends whatever played before, and the core never sees the file. Nothing of the file before stays
// to be played again or reported.
void OpenRoad::refuse(const QString& url, const QString& why) {
    url_ = url;
    pipeline_.forget();
    report_.setMediaTitle(QString());
    failWith(FailureText::cannotPlay(url, why));
}

// A read that never returns (a hung network share) would keep the pick opening for ever: it is given up with
// a reason, and the core is told to stop.
// A file loaded but not started in that time (paused or waiting for Play is started) is held by its
// output: what a sound server that stopped answering does.
void OpenRoad::abandon() {
    const bool loaded = state_.isLoaded();
    if (!state_.hasMedia() || (loaded && state_.number() != PlayState::Transitioning))
        return;
    pipeline_.dropAnswers();
    const QString place = pipeline_.waitingFor();
    const int seconds = OpenPipeline::kOpenTimeoutMs / 1000;
    failWith(FailureText::cannotPlay(
        url_, !place.isEmpty() ? QStringLiteral("%1 does not answer").arg(place)
              : loaded ? QStringLiteral("it did not start within %1 seconds; the sound output may not answer")
                             .arg(seconds)
                       : QStringLiteral("it did not open within %1 seconds").arg(seconds)));
}

// ---- the load
// ----------------------------------------------------------------------------------------------

void OpenRoad::resetFor(const QString& url) {
    transport_.endScan();
    url_ = url;
    accepted_.clear();
    notice_.clear();
    failureReason_.clear();
    failureText_.clear();
    report_.setPosition(0);
    report_.setDuration(0);
}

void OpenRoad::openItems(const QString& url, const QList<OpenItem>& items, bool playNow, bool planned) {
    check_.setActive(planned);
    endWait();
    resetFor(url);
    if (url.isEmpty() || items.isEmpty()) { // an empty URL closes the media
        pipeline_.forget();
        client_.command({"stop"});
        state_.close();
        host_.publish();
        return;
    }
    if (!startCoreOrFail())
        return;
    state_.open(playNow);
    report_.setHasVideo(true); // until the core says otherwise, a picture is expected
    host_.publish();
    if (pipeline_.begin(items))
        loadNow();
    else
        emit renderTargetNeeded();
}

bool OpenRoad::startCoreOrFail() {
    if (client_.start(settings_.options()))
        return true;
    failWith(FailureText::cannotPlay(
        url_, QStringLiteral("the media engine could not be started (%1)").arg(client_.error())));
    return false;
}

void OpenRoad::loadNow(double start) {
    if (!client_.isRunning() || pipeline_.items().isEmpty()) {
        pipeline_.close();
        return;
    }
    watch_.loadSent();
    // What the state asks for, also when it changed while the load waited (a pause while opening).
    transport_.setPause(state_.isPaused() || state_.awaitsPlay());
    sound_.beforeLoad();
    send(pipeline_.startLoad(start));
}

// A long list is handed over in batches, each once the answers to the one before have been taken
// (eventsDrained), so that no entry is lost for want of room in the core's event queue.
void OpenRoad::send(const OpenPipeline::Batch& batch) {
    for (qsizetype index = batch.first; index < batch.end; ++index)
        client_.command(loadCommand(pipeline_.items()[index], index == 0, batch.start), batch.reply);
}

void OpenRoad::stopLoading() {
    endWait();
    pipeline_.close();
}

// ---- what the core does
// ------------------------------------------------------------------------------------

void OpenRoad::noteLogLine(const char* prefix, const char* level, const QString& line) {
    const bool failing = pipeline_.failurePending();
    if ((state_.hasMedia() && !state_.isLoaded()) || failing) // only while a file opens
        failureText_.noteLogLine(prefix, level, line);
    // Without a render context the core cannot show a video: the file fails with that reason.
    if (pipeline_.hasNoTarget() && (state_.hasMedia() || failing) && qstrcmp(prefix, "vo/libmpv") == 0)
        pipeline_.noteVideoRefused();
}

void OpenRoad::commandAnswered(uint64_t reply, int64_t entry, bool ok, OpenError error, const QString& text) {
    if (!pipeline_.isOurReply(reply) || !state_.hasMedia())
        return; // an older load's answer, or a file since stopped
    if (ok)
        state_.addEntry(entry);
    else
        pipeline_.noteFailure(error, text);
}

void OpenRoad::fileStarted(int64_t entry) {
    const QList<OpenItem>& items = pipeline_.items();
    watch_.fileStarted(items.isEmpty() ? QString() : fsPlaceOf(items.first().path));
    if (state_.fileStarted(entry)) {
        failureText_.clear();
        if (!state_.isLoaded())
            pipeline_.entryStarted();
    }
    host_.publish();
}

// What the last file took is given back to the system once the core has let go of it: a file's titles and
// tags come in many blocks too small to be mapped on their own, and the free ones would stay resident.
void OpenRoad::fileLoaded() {
    ::malloc_trim(0);
    pipeline_.fileLoaded();
    state_.fileLoaded();
    host_.publish();
}

void OpenRoad::firstFrame() {
    pipeline_.firstFrame();
}

void OpenRoad::fileEnded(const FileEnd& end, PlayState::Verdict verdict) {
    ::malloc_trim(0);
    watch_.fileEnded();
    if (verdict == PlayState::Verdict::Failed)
        pipeline_.noteFailure(end.reason == FileEnd::Reason::Redirect ? OpenError::NothingToPlay : end.error,
                              end.errorText);
}

// The core hands out queued events before log lines: a failure is told once the lines that explain it are
// in.
void OpenRoad::eventsDrained() {
    commitFailure();
    if (state_.hasMedia())
        send(pipeline_.nextBatch());
}

void OpenRoad::commitFailure() {
    const std::optional<OpenPipeline::Failure> failure = pipeline_.takeFailure();
    if (!failure)
        return;
    if (failure->videoRefused)
        failWith(FailureText::cannotPlay(url_, QStringLiteral("video cannot be shown: no OpenGL")));
    else
        failWith(failureText_.describe(url_, failure->error, failure->text));
}

// Ends all work on the file: the core stops, so a half-opened file probes nothing more in the background.
void OpenRoad::failWith(const QString& reason) {
    endWait();
    transport_.endScan();
    pipeline_.close();
    client_.command({"stop"});
    state_.fail();
    failureReason_ = reason;
    const QPointer<OpenRoad> alive(this); // a state handler may close the window, and us with it
    host_.publish();
    if (alive)
        emit failed(failureReason_);
}

// ---- somewhere to draw
// -------------------------------------------------------------------------------------

void OpenRoad::targetChanged(bool arrived) {
    if (!arrived) {
        // The core drops its video output and the video track with the render context (and ends a file
        // that has nothing else to play). Only a context that Qt rebuilt does this: see VideoSurface.
        const bool videoOpen = state_.hasMedia() && report_.hasVideo();
        pipeline_.targetLost(videoOpen);
        if (videoOpen)
            state_.renderTargetLost();
        return;
    }
    switch (pipeline_.targetArrived(state_.hasMedia())) {
    case OpenPipeline::OnTarget::Load:
        loadNow();
        break;
    case OpenPipeline::OnTarget::Reopen:
        // Open the file again where it was, paused or not: the state the component reports stays as it is.
        state_.reopenKeepingState();
        loadNow(report_.position());
        break;
    case OpenPipeline::OnTarget::Nothing:
        break;
    }
}

void OpenRoad::targetUnavailable() {
    if (pipeline_.targetUnavailable())
        loadNow();
}

// ---- a core that stops answering
// ---------------------------------------------------------------------------

void OpenRoad::onCoreHeld() {
    // The answer may be in the queue behind a busy window: read it before judging.
    const QPointer<OpenRoad> alive(this);
    client_.drainEvents();
    if (!alive || !client_.isRunning() || !state_.hasMedia() || !watch_.waitsForAnswer())
        return;
    if (!CoreWatch::roomForHeld()) {
        failWith(FailureText::cannotPlay(
            url_,
            QStringLiteral("the media engine is held by %1, which does not answer").arg(watch_.place())));
        return;
    }
    retire(true);
    if (!startCoreOrFail())
        return;
    // The same pick on the fresh core, once it has somewhere to draw.
    state_.reopenKeepingState();
    if (pipeline_.again())
        loadNow();
    else
        emit renderTargetNeeded();
}

// The render context goes with the core: it can only be freed once the core answers, on the thread whose
// OpenGL context made it.
void OpenRoad::retire(bool replace) {
    std::shared_ptr<HeldCore> core = client_.giveUpCore();
    if (!core)
        return;
    pipeline_.targetsGone();
    watch_.retire(std::move(core), replace);
}

void OpenRoad::leave(bool hadCore) {
    pipeline_.close();
    pipeline_.endPick();
    retire(false);
    client_.shutdown(); // no core after this
    watch_.leave(hadCore);
}
