#include "engine/media_engine.h"

#include "engine/mpv_preload.h"
#include "engine/reply_ids.h"

#include <QPointer>
#include <cmath>

MediaEngine::MediaEngine(QObject* parent) : QObject(parent) {
    coreWait_.setSingleShot(true);
    coreWait_.setInterval(50);
    connect(&coreWait_, &QTimer::timeout, this, &MediaEngine::startCore);
    connect(&road_, &OpenRoad::waitingForChanged, this, &MediaEngine::waitingForChanged);
    connect(&road_, &OpenRoad::renderTargetNeeded, this, &MediaEngine::renderTargetNeeded);
    connect(&road_, &OpenRoad::failed, this, &MediaEngine::mediaFailed);
    connect(&tracks_, &TrackChoice::changed, this, &MediaEngine::tracksChanged);
    connect(&report_, &PlaybackReport::positionChanged, &transport_, &Transport::positionSeen);
    connectClient();
    connectReport();
}

MediaEngine::~MediaEngine() {
    shutdown();
}

// What the core does with files goes down the road; what it says of the file, to the play state.
void MediaEngine::connectClient() {
    MpvClient* c = &client_;
    OpenRoad* road = &road_;
    connect(c, &MpvClient::logLine, road, &OpenRoad::noteLogLine);
    connect(c, &MpvClient::commandAnswered, road, &OpenRoad::commandAnswered);
    connect(c, &MpvClient::fileStarted, road, &OpenRoad::fileStarted);
    connect(c, &MpvClient::fileLoaded, road, &OpenRoad::fileLoaded);
    connect(c, &MpvClient::fileLoaded, c, &MpvClient::readTitle);
    connect(c, &MpvClient::fileEnded, this, &MediaEngine::onFileEnded);
    connect(c, &MpvClient::eventsDrained, road, &OpenRoad::eventsDrained);
    connect(c, &MpvClient::propertySetAnswered, this, [this](uint64_t reply) {
        if (reply == replyId::kPause)
            state_.ourPauseWriteAnswered();
    });
    connect(c, &MpvClient::firstFrame, this, [this] {
        road_.firstFrame();
        state_.firstFrame();
        publish();
    });
    connect(c, &MpvClient::pauseChanged, this, [this](bool paused) {
        state_.corePaused(paused);
        publish();
    });
    connect(c, &MpvClient::cacheStallChanged, this, [this](bool on) {
        state_.cacheStalled(on);
        publish();
    });
}

// What the core reports, and the settings it changes of its own (a mixer's volume), to the component.
void MediaEngine::connectReport() {
    connect(&client_, &MpvClient::volumeChanged, this, [this](double volume) {
        const int rounded = int(std::lround(volume));
        if (settings_.heardVolume(rounded))
            emit volumeChanged(rounded);
    });
    connect(&client_, &MpvClient::muteChanged, this, [this](bool mute) {
        if (settings_.heardMute(mute))
            emit muteChanged(mute);
    });
    PlaybackReport* r = &report_;
    connect(r, &PlaybackReport::positionChanged, this, &MediaEngine::positionChanged);
    connect(r, &PlaybackReport::positionChanged, &clock_, &ClockWatch::read);
    connect(&clock_, &ClockWatch::stalledChanged, this, &MediaEngine::clockStalledChanged);
    connect(r, &PlaybackReport::durationChanged, this, &MediaEngine::durationChanged);
    connect(r, &PlaybackReport::hasVideoChanged, this, &MediaEngine::hasVideoChanged);
    connect(r, &PlaybackReport::mediaTitleChanged, this, &MediaEngine::mediaTitleChanged);
    connect(r, &PlaybackReport::chaptersChanged, this, &MediaEngine::chaptersChanged);
    // A picture of a file since replaced is dropped.
    connect(&preview_, &PreviewCore::pictureReady, this,
            [this](const QString& path, double at, const PreviewPicture& p) {
                if (path == previewItem().path)
                    emit previewReady(at, p);
            });
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
    // Told first: freeing it ends a file that has nothing but video, and the core's news of that end must
    // not reach the engine before this does, or the file would count as failed instead of lost for now.
    postRenderTarget(false);
    client_.freeRenderContext(context);
}

// Called on the drawing thread: the engine hears of it on its own, at once when that is the same thread.
void MediaEngine::postRenderTarget(bool arrived) {
    QMetaObject::invokeMethod(this, [this, arrived] {
        road_.targetChanged(arrived);
        emit renderTargetReported(arrived);
    });
}

void MediaEngine::reportNoRenderTarget() {
    QMetaObject::invokeMethod(this, [this] { road_.targetUnavailable(); });
}

// ---- before and after the files --------------------------------------------------------------------------

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

void MediaEngine::shutdown() {
    preview_.release();
    transport_.endScan();
    road_.leave(client_.isRunning());
}

QString MediaEngine::coreProperty(const char* name) {
    return client_.start(settings_.options()) ? client_.property(name) : QString();
}

// ---- a pick
// ------------------------------------------------------------------------------------------------

void MediaEngine::open(const QString& url) {
    if (url.isEmpty()) {
        openPastThePlan(url, {});
        return;
    }
    forgetFileChoices(); // a new pick; a replay keeps them
    road_.pick(url, autoStart_);
}

void MediaEngine::openPastThePlan(const QString& url, const QList<Item>& items) {
    forgetFileChoices();
    road_.openItems(url, items, autoStart_);
}

// The title is announced afresh for every file, also for the same file again; the speed chosen for the last
// file goes back to the rate setting (Normal unless the host set another).
void MediaEngine::forgetFileChoices() {
    preview_.release(); // another file: the preview core's memory goes back at once
    tracks_.forget();
    report_.setMediaTitle(QString());
    setSpeed(settings_.rate());
}

void MediaEngine::replay() {
    if (!road_.url().isEmpty() && state_.wasOpened())
        road_.pick(road_.url(), true);
}

void MediaEngine::stopLoading() {
    road_.stopLoading();
}

void MediaEngine::showPosition(double seconds) {
    report_.setPosition(seconds);
}

// ---- the play state, as shown
// ------------------------------------------------------------------------------

void MediaEngine::onFileEnded(const FileEnd& end) {
    const PlayState::Verdict verdict = state_.fileEnded(end);
    road_.fileEnded(end, verdict);
    const QPointer<MediaEngine> alive(this); // a state handler may close the window, and us with it
    switch (verdict) {
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
    case PlayState::Verdict::GoesOn:
        transport_.endScan();
        publish();
        break;
    case PlayState::Verdict::Failed: // told once the core has explained it (OpenRoad)
    case PlayState::Verdict::Ignored:
        break;
    }
}

// A change of what the controls offer is told also where the number stays (a pause while a file opens).
void MediaEngine::publish() {
    clock_.setRunning(state_.number() == Playing);
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

// ---- the seek bar's preview
// --------------------------------------------------------------------------------

OpenItem MediaEngine::previewItem() const {
    const QList<OpenItem>& items = road_.accepted();
    const int entry = state_.place().entry;
    if (!state_.isLoaded() || !hasVideo() || !waitingFor().isEmpty() || items.isEmpty())
        return {};
    return items.value(items.size() == 1 ? 0 : entry);
}

void MediaEngine::askPreview(double seconds, int width) {
    if (const OpenItem item = previewItem(); !item.path.isEmpty())
        preview_.request(item.path, item.identity, seconds, width);
}
