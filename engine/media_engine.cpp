#include "engine/media_engine.h"

#include "engine/mpv_preload.h"
#include "files/fs_call.h"
#include "files/fs_names.h"

#include <QPointer>
#include <algorithm>
#include <cmath>
#include <utility>

MediaEngine::MediaEngine(QObject* parent) : QObject(parent) {
    reverseTimer_.setInterval(250);
    connect(&reverseTimer_, &QTimer::timeout, this, &MediaEngine::scanReverseStep);
    openWatch_.setSingleShot(true);
    openWatch_.setInterval(kOpenTimeoutMs);
    connect(&openWatch_, &QTimer::timeout, this, &MediaEngine::abandonOpen);
    coreWait_.setSingleShot(true);
    coreWait_.setInterval(50);
    connect(&coreWait_, &QTimer::timeout, this, &MediaEngine::startCore);
    heldWatch_.setSingleShot(true);
    heldWatch_.setInterval(kHeldAfterMs);
    connect(&heldWatch_, &QTimer::timeout, this, &MediaEngine::onCoreHeld);
    connect(this, &MediaEngine::renderTargetUnavailable, this, [this] {
        noRenderTarget_ = true;
        if (loadWaiting_)
            loadNow();
    });
    connect(this, &MediaEngine::renderTargetReported, this, &MediaEngine::renderTargetChanged);
    connectClient();
}

MediaEngine::~MediaEngine() {
    shutdown();
}

void MediaEngine::connectClient() {
    MpvClient* c = &client_;
    connect(c, &MpvClient::logLine, this, [this](const char* prefix, const char* level, const QString& line) {
        if ((hasMedia() && !state_.isLoaded()) || failurePending_) // only while a file opens
            failureText_.noteLogLine(prefix, level, line);
        // Without a render context the core cannot show a video: the file fails with that reason.
        if (noRenderTarget_ && (hasMedia() || failurePending_) && qstrcmp(prefix, "vo/libmpv") == 0) {
            videoRefused_ = failurePending_ = true;
            pendingError_ = OpenError::Other;
        }
    });
    connect(c, &MpvClient::commandAnswered, this, &MediaEngine::onCommandAnswered);
    connect(c, &MpvClient::propertySetAnswered, this, [this](uint64_t reply) {
        if (reply == kPauseReplyId)
            state_.ourPauseWriteAnswered();
    });
    connect(c, &MpvClient::fileStarted, this, [this](int64_t entry) {
        coreBusy_ = true;
        heldWatch_.stop();
        if (!items_.isEmpty())
            corePlace_ = fsPlaceOf(items_.first().path);
        if (state_.fileStarted(entry)) {
            failureText_.clear();
            if (!state_.isLoaded())
                openWatch_.start(); // the next entry of a list gets the same time to open
        }
        publish();
    });
    connect(c, &MpvClient::fileLoaded, this, [this] {
        openWatch_.stop();
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
        if (hasMedia() && !loadWaiting_ && nextLoad_ < items_.size())
            sendLoads(-1);
    });
    connectProperties();
    connectTracks();
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
    connect(c, &MpvClient::positionChanged, this, &MediaEngine::onPosition);
    connect(c, &MpvClient::durationChanged, this, [this](double seconds) {
        duration_ = seconds > 0 && seconds <= kLongestLength ? seconds : 0; // NaN, inf, 1e300: unknown
        emit durationChanged(duration_);
    });
    connect(c, &MpvClient::volumeChanged, this, &MediaEngine::onVolume);
    connect(c, &MpvClient::muteChanged, this, [this](bool mute) {
        if (mute == mute_)
            return;
        mute_ = mute;
        emit muteChanged(mute_);
    });
    connect(c, &MpvClient::videoTrackChanged, this, &MediaEngine::onVideoTrack);
    connect(c, &MpvClient::mediaTitleChanged, this, [this](const QString& title) {
        if (title == mediaTitle_)
            return;
        mediaTitle_ = title;
        emit mediaTitleChanged(mediaTitle_);
    });
}

// ---- the render contract ---------------------------------------------------------------------------------

RenderContext* MediaEngine::createRenderContext(RenderContext::ProcAddress procAddress,
                                                RenderContext::FrameCallback frameCallback) {
    RenderContext* context = client_.createRenderContext(procAddress, std::move(frameCallback));
    if (context)
        emit renderTargetReported(true);
    return context;
}

void MediaEngine::freeRenderContext(RenderContext* context) {
    if (!context)
        return;
    client_.freeRenderContext(context);
    emit renderTargetReported(false);
}

void MediaEngine::renderTargetChanged(bool arrived) {
    renderTargets_ = std::max(0, renderTargets_ + (arrived ? 1 : -1));
    if (!arrived) {
        // The core drops its video output and the video track with the render context (and ends a file
        // that has nothing else to play). Only a context that Qt rebuilt does this: see VideoSurface.
        if (hasMedia() && hasVideo_) {
            state_.renderTargetLost();
            reloadOnRenderTarget_ = true;
        }
        return;
    }
    noRenderTarget_ = false;
    if (loadWaiting_) {
        loadNow();
    } else if (reloadOnRenderTarget_ && hasMedia()) {
        // Open the file again where it was, paused or not: the state the component reports stays as it is.
        state_.reopenKeepingState();
        loadNow(position_);
    }
    reloadOnRenderTarget_ = false;
}

// ---- the road from a URL to a load -----------------------------------------------------------------------

// Waiting here for the library to finish loading would hold up the window: until it has, look again later.
void MediaEngine::startCore() {
    preloadMpv();
    if (mpvPreloaded())
        client_.start(settingOptions());
    else
        coreWait_.start();
}

void MediaEngine::prepare() {
    if (client_.start(settingOptions()) && !hasRenderTarget())
        emit renderTargetNeeded();
}

void MediaEngine::open(const QString& url, const QList<Item>& items) {
    forgetFileChoices();
    openInternal(url, items, autoStart_);
}

void MediaEngine::resetForOpen(const QString& url) {
    endScan();
    openWatch_.stop();
    failurePending_ = videoRefused_ = false;
    url_ = url;
    notice_.clear();
    failureReason_.clear();
    failureText_.clear();
    resetPosition();
    duration_ = 0;
    emit durationChanged(0);
}

void MediaEngine::openInternal(const QString& url, const QList<Item>& items, bool playNow) {
    endWait();
    resetForOpen(url);
    items_ = items;
    if (url.isEmpty() || items.isEmpty()) { // an empty URL closes the media
        client_.command({"stop"});
        loadWaiting_ = false;
        state_.close();
        publish();
        return;
    }
    if (!client_.start(settingOptions())) {
        failWith(FailureText::cannotPlay(
            url_, QStringLiteral("the media engine could not be started (%1)").arg(client_.error())));
        return;
    }
    state_.open(playNow);
    onVideoTrack(true); // until the core says otherwise, a picture is expected
    publish();
    loadWaiting_ = true;
    if (hasRenderTarget())
        loadNow();
    else
        emit renderTargetNeeded();
}

void MediaEngine::loadNow(double start) {
    loadWaiting_ = false;
    if (!client_.isRunning() || items_.isEmpty())
        return;
    watchCore();
    // What the state asks for, also when it changed while the load waited (a pause while opening).
    setPause(state_.isPaused() || state_.awaitsPlay());
    ++loadSerial_;
    nextLoad_ = 0;
    sendLoads(start);
    openWatch_.start();
}

// The core queues at most 1000 events for us, answers included: a long list is handed over in batches, each
// once the answers to the one before have been taken (eventsDrained), so that no entry is lost for want of
// room.
void MediaEngine::sendLoads(double start) {
    constexpr qsizetype kBatch = 250;
    const uint64_t reply = kLoadReplyBase + loadSerial_;
    for (const qsizetype end = std::min(items_.size(), nextLoad_ + kBatch); nextLoad_ < end; ++nextLoad_) {
        const OpenItem& item = items_[nextLoad_];
        // Per-file options; %N% quotes a value of N bytes, whatever characters it holds.
        QByteArrayList options;
        if (nextLoad_ == 0 && start >= 0)
            options << "start=" + QByteArray::number(start, 'f', 3);
        if (!item.subtitle.isEmpty()) {
            const QByteArray name = fsEncodeName(item.subtitle);
            options << "sub-files-append=%" + QByteArray::number(name.size()) + '%' + name;
        }
        if (item.plainSubtitle) // its styling would cost too much to draw
            options << "sub-ass-override=strip";
        if (!item.coverArt.isEmpty()) { // checked by the plan, as the subtitle is
            const QByteArray picture = fsEncodeName(item.coverArt);
            options << "cover-art-files-append=%" + QByteArray::number(picture.size()) + '%' + picture;
        }
        // A file name's own bytes, also where they are not valid UTF-8.
        const QByteArray path = fsEncodeName(item.path), how = nextLoad_ == 0 ? "replace" : "append";
        if (options.isEmpty())
            client_.command({"loadfile", path, how}, reply);
        else
            client_.command({"loadfile", path, how, options.join(',')}, reply);
    }
}

void MediaEngine::onCommandAnswered(uint64_t reply, int64_t entry, bool ok, OpenError error,
                                    const QString& text) {
    if (reply != kLoadReplyBase + loadSerial_ || !hasMedia())
        return; // an older load's answer, or a file since stopped
    if (ok) {
        state_.addEntry(entry);
        return;
    }
    failurePending_ = true;
    pendingError_ = error;
    pendingErrorText_ = text;
}

void MediaEngine::onFileEnded(const FileEnd& end) {
    coreBusy_ = false;
    heldWatch_.stop();
    const QPointer<MediaEngine> alive(this); // a state handler may close the window, and us with it
    switch (state_.fileEnded(end)) {
    case PlayState::Verdict::Ended:
        endScan();
        publish();                                    // MediaEnded
        if (alive && state_.number() == MediaEnded) { // a handler may have opened another file meanwhile
            resetPosition();
            state_.settleEnd();
            if (alive)
                publish(); // Stopped
        }
        break;
    case PlayState::Verdict::Failed:
        failurePending_ = true;
        pendingError_ = end.reason == FileEnd::Reason::Redirect ? OpenError::NothingToPlay : end.error;
        pendingErrorText_ = end.errorText;
        break;
    case PlayState::Verdict::GoesOn:
        endScan();
        publish();
        break;
    case PlayState::Verdict::Ignored:
        break;
    }
}

void MediaEngine::commitFailure() {
    if (!failurePending_)
        return;
    failurePending_ = false;
    if (std::exchange(videoRefused_, false))
        failWith(FailureText::cannotPlay(url_, QStringLiteral("video cannot be shown: no OpenGL")));
    else
        failWith(failureText_.describe(url_, pendingError_, pendingErrorText_));
}

// Ends all work on the file: the core stops, so a half-opened file probes nothing more in the background.
void MediaEngine::failWith(const QString& reason) {
    endWait();
    endScan();
    openWatch_.stop();
    loadWaiting_ = false;
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
    c.seek = c.seek && duration_ > 0;
    return c;
}

// ---- what the core reports -------------------------------------------------------------------------------

void MediaEngine::resetPosition() {
    position_ = 0;
    emit positionChanged(0);
}

void MediaEngine::onPosition(double seconds, bool known) {
    if (!known && hasMedia())
        return; // unknown for a moment while seeking or loading: keep the last one
    position_ = std::max(0.0, seconds);
    emit positionChanged(position_);
}

void MediaEngine::onVolume(double volume) {
    const int rounded = int(std::lround(volume));
    if (rounded == volume_)
        return;
    volume_ = rounded;
    emit volumeChanged(volume_);
}

void MediaEngine::onVideoTrack(bool present) {
    if (present == hasVideo_)
        return;
    hasVideo_ = present;
    emit hasVideoChanged(hasVideo_);
}

QString MediaEngine::coreProperty(const char* name) {
    return client_.start(settingOptions()) ? client_.property(name) : QString();
}
