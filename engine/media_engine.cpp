#include "engine/media_engine.h"

#include "engine/load_command.h"
#include "engine/mpv_held_core.h"
#include "engine/mpv_preload.h"
#include "opening/media_url.h"
#include "toolkit/fs_call.h"
#include "toolkit/fs_names.h"

#include <QFileInfo>
#include <QPointer>
#include <algorithm>
#include <cmath>
#include <utility>

MediaEngine::MediaEngine(QObject* parent) : QObject(parent) {
    connect(&pipeline_, &OpenPipeline::timedOut, this, &MediaEngine::abandonOpen);
    coreWait_.setSingleShot(true);
    coreWait_.setInterval(50);
    connect(&coreWait_, &QTimer::timeout, this, &MediaEngine::startCore);
    connect(&watch_, &CoreWatch::held, this, &MediaEngine::onCoreHeld);
    connectClient();
}

MediaEngine::~MediaEngine() {
    shutdown();
}

void MediaEngine::connectClient() {
    MpvClient* c = &client_;
    connect(c, &MpvClient::logLine, this, [this](const char* prefix, const char* level, const QString& line) {
        const bool failing = pipeline_.failurePending();
        if ((hasMedia() && !state_.isLoaded()) || failing) // only while a file opens
            failureText_.noteLogLine(prefix, level, line);
        // Without a render context the core cannot show a video: the file fails with that reason.
        if (pipeline_.hasNoTarget() && (hasMedia() || failing) && qstrcmp(prefix, "vo/libmpv") == 0)
            pipeline_.noteVideoRefused();
    });
    connect(c, &MpvClient::commandAnswered, this, &MediaEngine::onCommandAnswered);
    connect(c, &MpvClient::propertySetAnswered, this, [this](uint64_t reply) {
        if (reply == replyId::kPause)
            state_.ourPauseWriteAnswered();
    });
    connect(c, &MpvClient::fileStarted, this, [this](int64_t entry) {
        const QList<Item>& items = pipeline_.items();
        watch_.fileStarted(items.isEmpty() ? QString() : fsPlaceOf(items.first().path));
        if (state_.fileStarted(entry)) {
            failureText_.clear();
            if (!state_.isLoaded())
                pipeline_.entryStarted();
        }
        publish();
    });
    connect(c, &MpvClient::fileLoaded, this, [this] {
        pipeline_.fileLoaded();
        state_.fileLoaded();
        publish();
    });
    connect(c, &MpvClient::firstFrame, this, [this] {
        state_.firstFrame();
        publish();
    });
    connect(c, &MpvClient::fileEnded, this, &MediaEngine::onFileEnded);
    // The core hands out queued events before log lines: a failure is told once the lines that explain it
    // are in.
    connect(c, &MpvClient::eventsDrained, this, &MediaEngine::commitFailure);
    connect(c, &MpvClient::eventsDrained, this, [this] {
        if (hasMedia())
            send(pipeline_.nextBatch());
    });
    connectProperties();
    connect(&tracks_, &TrackChoice::changed, this, &MediaEngine::tracksChanged);
    connect(&report_, &PlaybackReport::positionChanged, &transport_, &Transport::positionSeen);
    connect(c, &MpvClient::fileLoaded, c, &MpvClient::readTitle);
}

// The property table's signals.
void MediaEngine::connectProperties() {
    MpvClient* c = &client_;
    connect(c, &MpvClient::pauseChanged, this, [this](bool paused) {
        state_.corePaused(paused);
        publish();
    });
    connect(c, &MpvClient::cacheStallChanged, this, [this](bool on) {
        state_.cacheStalled(on);
        publish();
    });
    connect(c, &MpvClient::volumeChanged, this, [this](double volume) {
        const int rounded = int(std::lround(volume));
        if (settings_.heardVolume(rounded))
            emit volumeChanged(rounded);
    });
    connect(c, &MpvClient::muteChanged, this, [this](bool mute) {
        if (settings_.heardMute(mute))
            emit muteChanged(mute);
    });
    PlaybackReport* r = &report_;
    connect(r, &PlaybackReport::positionChanged, this, &MediaEngine::positionChanged);
    connect(r, &PlaybackReport::durationChanged, this, &MediaEngine::durationChanged);
    connect(r, &PlaybackReport::hasVideoChanged, this, &MediaEngine::hasVideoChanged);
    connect(r, &PlaybackReport::mediaTitleChanged, this, &MediaEngine::mediaTitleChanged);
}

// ---- the render contract ---------------------------------------------------------------------------------

RenderContext* MediaEngine::createRenderContext(RenderContext::ProcAddress procAddress,
                                                RenderContext::FrameCallback frameCallback) {
    RenderContext* context = client_.createRenderContext(procAddress, std::move(frameCallback));
    if (context)
        postRenderTarget(true);
    return context;
}

void MediaEngine::freeRenderContext(RenderContext* context) {
    if (!context)
        return;
    client_.freeRenderContext(context);
    postRenderTarget(false);
}

// Called on the drawing thread: the engine hears of it on its own, at once when that is the same thread.
void MediaEngine::postRenderTarget(bool arrived) {
    QMetaObject::invokeMethod(this, [this, arrived] {
        renderTargetChanged(arrived);
        emit renderTargetReported(arrived);
    });
}

void MediaEngine::reportNoRenderTarget() {
    QMetaObject::invokeMethod(this, [this] {
        if (pipeline_.targetUnavailable())
            loadNow();
    });
}

void MediaEngine::renderTargetChanged(bool arrived) {
    if (!arrived) {
        // The core drops its video output and the video track with the render context (and ends a file
        // that has nothing else to play). Only a context that Qt rebuilt does this: see VideoSurface.
        const bool videoOpen = hasMedia() && hasVideo();
        pipeline_.targetLost(videoOpen);
        if (videoOpen)
            state_.renderTargetLost();
        return;
    }
    switch (pipeline_.targetArrived(hasMedia())) {
    case OpenPipeline::OnTarget::Load:
        loadNow();
        break;
    case OpenPipeline::OnTarget::Reopen:
        // Open the file again where it was, paused or not: the state the component reports stays as it is.
        state_.reopenKeepingState();
        loadNow(position());
        break;
    case OpenPipeline::OnTarget::Nothing:
        break;
    }
}

// ---- the road from a URL to a load -----------------------------------------------------------------------

// Waiting here for the library to finish loading would hold up the window: until it has, look again later.
void MediaEngine::startCore() {
    preloadMpv();
    if (mpvPreloaded())
        client_.start(settings_.options());
    else
        coreWait_.start();
}

void MediaEngine::prepare() {
    if (client_.start(settings_.options()) && !hasRenderTarget())
        emit renderTargetNeeded();
}

void MediaEngine::open(const QString& url) {
    if (url.isEmpty()) {
        openPastThePlan(url, {});
        return;
    }
    forgetFileChoices(); // a new pick; a replay keeps them
    planAndOpen(url, autoStart_);
}

void MediaEngine::openPastThePlan(const QString& url, const QList<Item>& items) {
    forgetFileChoices();
    openInternal(url, items, autoStart_);
}

// Every open goes through the plan, a replay included: the file may have been replaced since. A place that
// answers gives the plan within a moment and the pick goes on as if it had been made here; past that the
// pick waits, saying for what, and the window goes on.
void MediaEngine::planAndOpen(const QString& url, bool playNow) {
    const uint64_t pick = pipeline_.startPick();
    const QString path = QFileInfo(localPathOf(url)).absoluteFilePath();
    const auto follow = [this, url, pick, playNow](OpenPlan&& plan) {
        if (!pipeline_.isCurrent(pick))
            return; // another pick, a stop or a failure came since
        if (!plan.refusal.isEmpty()) {
            refuse(url, plan.refusal);
            return;
        }
        openInternal(url, plan.items, playNow);
        notice_ = plan.note;
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
// the open bound gives it up (abandonOpen).
void MediaEngine::awaitPlan(const QString& url, bool playNow, const QString& place) {
    resetForOpen(url);
    client_.command({"stop"});
    state_.open(playNow);
    pipeline_.planLate(place);
    publish();
    emit waitingForChanged();
}

void MediaEngine::endWait() {
    if (pipeline_.endPick())
        emit waitingForChanged();
}

// A refusal ends whatever played before, and the core never sees the file. Nothing of the file before stays
// to be played again or reported.
void MediaEngine::refuse(const QString& url, const QString& why) {
    url_ = url;
    pipeline_.forget();
    report_.setMediaTitle(QString());
    failWith(FailureText::cannotPlay(url, why));
}

// A read that never returns (a hung network share) would keep the pick opening for ever: it is given up with
// a reason, and the core is told to stop.
void MediaEngine::abandonOpen() {
    if (!hasMedia() || state_.isLoaded())
        return;
    pipeline_.dropAnswers();
    const QString place = pipeline_.waitingFor();
    failWith(FailureText::cannotPlay(
        url_,
        place.isEmpty()
            ? QStringLiteral("it did not open within %1 seconds").arg(OpenPipeline::kOpenTimeoutMs / 1000)
            : QStringLiteral("%1 does not answer").arg(place)));
}

void MediaEngine::resetForOpen(const QString& url) {
    transport_.endScan();
    url_ = url;
    notice_.clear();
    failureReason_.clear();
    failureText_.clear();
    showPosition(0);
    report_.setDuration(0);
}

void MediaEngine::openInternal(const QString& url, const QList<Item>& items, bool playNow) {
    endWait();
    resetForOpen(url);
    if (url.isEmpty() || items.isEmpty()) { // an empty URL closes the media
        pipeline_.forget();
        client_.command({"stop"});
        state_.close();
        publish();
        return;
    }
    if (!startCoreOrFail())
        return;
    state_.open(playNow);
    report_.setHasVideo(true); // until the core says otherwise, a picture is expected
    publish();
    if (pipeline_.begin(items))
        loadNow();
    else
        emit renderTargetNeeded();
}

void MediaEngine::loadNow(double start) {
    if (!client_.isRunning() || pipeline_.items().isEmpty()) {
        pipeline_.close();
        return;
    }
    watch_.loadSent();
    // What the state asks for, also when it changed while the load waited (a pause while opening).
    transport_.setPause(state_.isPaused() || state_.awaitsPlay());
    send(pipeline_.startLoad(start));
}

// A long list is handed over in batches, each once the answers to the one before have been taken
// (eventsDrained), so that no entry is lost for want of room in the core's event queue.
void MediaEngine::send(const OpenPipeline::Batch& batch) {
    for (qsizetype index = batch.first; index < batch.end; ++index)
        client_.command(loadCommand(pipeline_.items()[index], index == 0, batch.start), batch.reply);
}

void MediaEngine::onCommandAnswered(uint64_t reply, int64_t entry, bool ok, OpenError error,
                                    const QString& text) {
    if (!pipeline_.isOurReply(reply) || !hasMedia())
        return; // an older load's answer, or a file since stopped
    if (ok)
        state_.addEntry(entry);
    else
        pipeline_.noteFailure(error, text);
}

void MediaEngine::onFileEnded(const FileEnd& end) {
    watch_.fileEnded();
    const QPointer<MediaEngine> alive(this); // a state handler may close the window, and us with it
    switch (state_.fileEnded(end)) {
    case PlayState::Verdict::Ended:
        transport_.endScan();
        publish();                                    // MediaEnded
        if (alive && state_.number() == MediaEnded) { // a handler may have opened another file meanwhile
            showPosition(0);
            state_.settleEnd();
            if (alive)
                publish(); // Stopped
        }
        break;
    case PlayState::Verdict::Failed:
        pipeline_.noteFailure(end.reason == FileEnd::Reason::Redirect ? OpenError::NothingToPlay : end.error,
                              end.errorText);
        break;
    case PlayState::Verdict::GoesOn:
        transport_.endScan();
        publish();
        break;
    case PlayState::Verdict::Ignored:
        break;
    }
}

void MediaEngine::commitFailure() {
    const std::optional<OpenPipeline::Failure> failure = pipeline_.takeFailure();
    if (!failure)
        return;
    if (failure->videoRefused)
        failWith(FailureText::cannotPlay(url_, QStringLiteral("video cannot be shown: no OpenGL")));
    else
        failWith(failureText_.describe(url_, failure->error, failure->text));
}

// Ends all work on the file: the core stops, so a half-opened file probes nothing more in the background.
void MediaEngine::failWith(const QString& reason) {
    endWait();
    transport_.endScan();
    pipeline_.close();
    client_.command({"stop"});
    state_.fail();
    failureReason_ = reason;
    const QPointer<MediaEngine> alive(this); // a state handler may close the window, and us with it
    publish();
    if (alive)
        emit mediaFailed(failureReason_);
}

// A change of what the controls offer is told also where the number stays (a pause while a file opens).
void MediaEngine::publish() {
    const PlayState::Controls offered = controls();
    if (state_.number() == shownState_) {
        if (offered != shownControls_) {
            shownControls_ = offered;
            emit controlsChanged();
        }
        return;
    }
    shownState_ = state_.number();
    shownControls_ = offered;
    emit playStateChanged(shownState_);
}

PlayState::Controls MediaEngine::controls() const {
    PlayState::Controls c = state_.controls();
    c.seek = c.seek && duration() > 0;
    return c;
}

// ---- what the core reports -------------------------------------------------------------------------------

void MediaEngine::showPosition(double seconds) {
    report_.setPosition(seconds);
}

void MediaEngine::replay() {
    if (!url_.isEmpty() && state_.wasOpened())
        planAndOpen(url_, true);
}

void MediaEngine::stopLoading() {
    endWait();
    pipeline_.close();
}

bool MediaEngine::startCoreOrFail() {
    if (client_.start(settings_.options()))
        return true;
    failWith(FailureText::cannotPlay(
        url_, QStringLiteral("the media engine could not be started (%1)").arg(client_.error())));
    return false;
}

QString MediaEngine::coreProperty(const char* name) {
    return client_.start(settings_.options()) ? client_.property(name) : QString();
}

// The title is announced afresh for every file, also for the same file again; the speed chosen for the last
// file goes back to the rate setting (Normal unless the host set another).
void MediaEngine::forgetFileChoices() {
    tracks_.forget();
    report_.setMediaTitle(QString());
    setSpeed(settings_.rate());
}

// ---- a core that stops answering
// ---------------------------------------------------------------------------

void MediaEngine::onCoreHeld() {
    if (!client_.isRunning() || !hasMedia())
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
void MediaEngine::retire(bool replace) {
    std::shared_ptr<HeldCore> core = client_.giveUpCore();
    if (!core)
        return;
    pipeline_.targetsGone();
    watch_.retire(std::move(core), replace);
}

void MediaEngine::shutdown() {
    transport_.endScan();
    pipeline_.close();
    pipeline_.endPick();
    const bool hadCore = client_.isRunning();
    retire(false);
    client_.shutdown(); // no core after this
    watch_.leave(hadCore);
}
