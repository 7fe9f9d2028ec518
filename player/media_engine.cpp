#include "player/media_engine.h"
#include "app/fs_names.h"
#include "player/mpv_library.h"

#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QUrl>
#include <algorithm>
#include <clocale>
#include <cmath>
#include <vector>

Q_LOGGING_CATEGORY(lcMpv, "tolvane.mpv", QtWarningMsg)

namespace {

// Reply ids of observed properties and of our own requests.
enum : uint64_t {
    ObservePause = 1,
    ObserveCache,
    ObserveTimePos,
    ObserveDuration,
    ObserveVolume,
    ObserveMute,
    ObserveVid,
    PauseReply = 100,
    LoadReplyBase = 1'000'000, // + serial of the loadfile
};

// Sound devices in order of preference, always ending in the silent one so playback runs without any.
// ALSA is tried only where the kernel has a sound card: without one, alsa-lib prints to the terminal.
// The sound server only where it is known to run: looking for one, libpulse creates its runtime folder
// and a link to it in the home folder.
QByteArray audioOutputs() {
    QFile cards(QStringLiteral("/proc/asound/cards"));
    bool haveCard = false;
    if (cards.open(QIODevice::ReadOnly))
        haveCard = !cards.readAll().contains("no soundcards");
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const bool haveServer =
        qEnvironmentVariableIsSet("PULSE_SERVER") ||
        (!runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/pulse/native")));
    QByteArray outputs = haveServer ? "pulse," : "";
    if (haveCard)
        outputs += "alsa,";
    return outputs + "null";
}

constexpr int kOpenTimeoutMs = 10000;

// The per-file options of one plan item: where to start, and its sidecar subtitle, quoted by length so
// that commas and colons in its name stay part of it.
QByteArray itemOptions(const OpenItem& item, double start) {
    QList<QByteArray> options;
    if (start >= 0)
        options << "start=" + QByteArray::number(start, 'f', 3);
    if (!item.subtitle.isEmpty()) {
        const QByteArray path = fsEncodeName(item.subtitle);
        options << "sub-files-append=%" + QByteArray::number(path.size()) + '%' + path;
    }
    if (item.plainSubtitle)
        options << "sub-ass-override=strip";
    return options.join(',');
}

QString displayName(const QString& url) {
    const QUrl asUrl(url);
    if (asUrl.isValid() && asUrl.scheme().size() > 1 && !asUrl.isLocalFile())
        return url;
    const QString name = QFileInfo(asUrl.isLocalFile() ? asUrl.toLocalFile() : url).fileName();
    return name.isEmpty() ? url : name;
}

} // namespace

MediaEngine::MediaEngine(QObject* parent) : QObject(parent) {
    reverseTimer_.setInterval(250);
    connect(&reverseTimer_, &QTimer::timeout, this, &MediaEngine::scanReverseStep);
    openWatch_.setSingleShot(true);
    openWatch_.setInterval(kOpenTimeoutMs);
    connect(&openWatch_, &QTimer::timeout, this, &MediaEngine::abandonOpen);
}

// The core is made when it is first needed (a file to open), not with the window: the library it lives in
// is still being loaded while the window comes up. The settings made so far go in as its options.
bool MediaEngine::ensureCore() {
    if (mpv_)
        return true;
    if (coreTried_)
        return false;
    coreTried_ = true;
    // QApplication sets the C locale from the environment; libmpv parses numbers with the C one.
    std::setlocale(LC_NUMERIC, "C");
    lib_ = mpvLibrary();
    if (!lib_) {
        coreError_ = mpvLoadError();
        qCWarning(lcMpv, "libmpv could not be loaded: %s", qPrintable(coreError_));
        return false;
    }
    mpv_ = lib_->create();
    if (!mpv_) {
        coreError_ = QStringLiteral("libmpv could not be created");
        qCWarning(lcMpv, "libmpv could not be created");
        return false;
    }
    const std::pair<const char*, QByteArray> options[] = {
        {"vo", "libmpv"},
        {"config", "no"},
        {"load-scripts", "no"},
        {"ytdl", "no"},
        // Nothing is fetched from the network, not even for the remote entries of a playlist file: every
        // protocol but local ones is refused before a socket is opened.
        {"stream-lavf-o", "protocol_whitelist=file"},
        // What a click may open is decided before the core sees a path (open_policy). These shut the core's
        // own doors to anything else: its edit lists, CUE sheets, playlists and archives, ordered-chapter and
        // linked siblings, and protocols a demuxer opens by itself (an SDP file's UDP ports).
        {"access-references", "no"},
        {"ordered-chapters", "no"},
        {"load-unsafe-playlists", "no"},
        {"demuxer-lavf-o", "protocol_whitelist=file"},
        // The same-named subtitle comes with the plan, checked and within a size limit.
        {"sub-auto", "no"},
        {"audio-file-auto", "no"},
        {"osc", "no"},
        // The built-in statistics page and console each start a Lua interpreter on its own thread; the
        // component has no key that could open them, so they only cost memory and start-up time.
        {"load-stats-overlay", "no"},
        {"load-osd-console", "no"},
        {"input-default-bindings", "no"},
        {"input-vo-keyboard", "no"},
        {"terminal", "no"},
        {"idle", "yes"},
        {"keep-open", "no"},
        {"osd-level", "0"},
        {"ao", audioOutputs()},
        {"audio-client-name", "Tolvane URL Media Player"},
        {"video-unscaled", stretchToFit_ || fillScreen_ ? "no" : "downscale-big"},
        {"mute", mute_ ? "yes" : "no"},
        {"speed", QByteArray::number(rate_)},
        {"loop-file", playCount_ == 1 ? QByteArray("no") : QByteArray::number(playCount_ - 1)},
        // Decoding stays in software, as the command-line player's default; probing GPU decoders would
        // only print their absence on the terminal.
        {"gpu-hwdec-interop", "no"},
        {"volume", QByteArray::number(volume_)},
        {"af", balanceFilter().toUtf8()},
    };
    // QByteArray::number() writes numbers the C way, whatever the locale.
    for (const auto& [name, value] : options)
        if (lib_->set_option_string(mpv_, name, value.constData()) < 0)
            qCWarning(lcMpv, "libmpv rejected option %s=%s", name, value.constData());
    lib_->request_log_messages(mpv_, "warn");

    lib_->observe_property(mpv_, ObservePause, "pause", MPV_FORMAT_FLAG);
    lib_->observe_property(mpv_, ObserveCache, "paused-for-cache", MPV_FORMAT_FLAG);
    lib_->observe_property(mpv_, ObserveTimePos, "time-pos", MPV_FORMAT_DOUBLE);
    lib_->observe_property(mpv_, ObserveDuration, "duration", MPV_FORMAT_DOUBLE);
    lib_->observe_property(mpv_, ObserveVolume, "volume", MPV_FORMAT_DOUBLE);
    lib_->observe_property(mpv_, ObserveMute, "mute", MPV_FORMAT_FLAG);
    lib_->observe_property(mpv_, ObserveVid, "vid", MPV_FORMAT_STRING);

    lib_->set_wakeup_callback(mpv_, &MediaEngine::onWakeup, this);
    if (lib_->initialize(mpv_) < 0) {
        coreError_ = QStringLiteral("libmpv could not be initialised");
        qCWarning(lcMpv, "libmpv could not be initialised");
        lib_->set_wakeup_callback(mpv_, nullptr, nullptr);
        lib_->terminate_destroy(mpv_);
        mpv_ = nullptr;
        return false;
    }
    return true;
}

MediaEngine::~MediaEngine() {
    shutdown();
}

void MediaEngine::shutdown() {
    reverseTimer_.stop();
    renderReady_ = false;
    coreTried_ = true; // no core after this
    if (!mpv_)
        return;
    // After this returns no callback runs any more, so nothing posts to a dying object.
    lib_->set_wakeup_callback(mpv_, nullptr, nullptr);
    lib_->terminate_destroy(mpv_);
    mpv_ = nullptr;
}

// Called on a libmpv thread: only posts one queued call to the UI thread.
void MediaEngine::onWakeup(void* self) {
    auto* engine = static_cast<MediaEngine*>(self);
    // The queued call owns what invokeMethod allocates; the analyser cannot follow it into the event queue.
    if (!engine->wakeupPending_.exchange(true))
        QMetaObject::invokeMethod(engine, &MediaEngine::drainEvents, Qt::QueuedConnection); // NOLINT
}

void MediaEngine::drainEvents() {
    wakeupPending_ = false;
    const QPointer<MediaEngine> alive(this);
    while (alive && mpv_) {
        const mpv_event* event = lib_->wait_event(mpv_, 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        handleEvent(*event); // a slot may delete us: checked above
    }
    // The core hands out queued events before log lines: a failure is told once the lines that explain
    // it are in.
    if (alive && pendingFailure_ != 0) {
        const int error = pendingFailure_;
        pendingFailure_ = 0;
        fail(error);
    }
}

void MediaEngine::fail(int error) {
    failWith(describeFailure(error));
}

void MediaEngine::failWith(const QString& reason) {
    endScan();
    openWatch_.stop();
    phase_ = Phase::Failed;
    failureReason_ = reason;
    const QPointer<MediaEngine> alive(this); // a state handler may close the window, and us with it
    setState(Ready);
    if (alive)
        emit mediaFailed(failureReason_);
}

void MediaEngine::handleEvent(const mpv_event& event) {
    switch (event.event_id) {
    case MPV_EVENT_LOG_MESSAGE: {
        const auto* message = static_cast<const mpv_event_log_message*>(event.data);
        noteLogMessage(message->prefix, message->level, message->text);
        break;
    }
    case MPV_EVENT_SET_PROPERTY_REPLY:
        if (event.reply_userdata == PauseReply && pauseSetsInFlight_ > 0)
            --pauseSetsInFlight_;
        break;
    case MPV_EVENT_COMMAND_REPLY:
        if (event.reply_userdata == LoadReplyBase + loadSerial_) {
            const auto* reply = static_cast<const mpv_event_command*>(event.data);
            if (event.error < 0) {
                fail(event.error);
            } else if (reply->result.format == MPV_FORMAT_NODE_MAP) {
                const mpv_node_list* map = reply->result.u.list;
                for (int i = 0; i < map->num; ++i)
                    if (qstrcmp(map->keys[i], "playlist_entry_id") == 0 &&
                        map->values[i].format == MPV_FORMAT_INT64)
                        expectedEntry_ = map->values[i].u.int64;
            }
        }
        break;
    case MPV_EVENT_START_FILE: {
        const auto* start = static_cast<const mpv_event_start_file*>(event.data);
        if (followNextEntry_) { // the next entry of a playlist file
            ++currentItem_;
            openWatch_.start();
            expectedEntry_ = start->playlist_entry_id;
            followNextEntry_ = false;
            phase_ = Phase::Loading;
            restarted_ = false;
            setState(Transitioning);
        }
        if (start->playlist_entry_id == expectedEntry_) {
            openError_.clear();
            demuxerDetail_.clear();
        }
        break;
    }
    case MPV_EVENT_FILE_LOADED:
        if (phase_ == Phase::Loading) {
            openWatch_.stop();
            phase_ = Phase::Loaded;
            updateState();
        }
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        if (phase_ == Phase::Loaded) {
            restarted_ = true;
            updateState();
        }
        break;
    case MPV_EVENT_END_FILE: {
        const auto* end = static_cast<const mpv_event_end_file*>(event.data);
        // Ends of files we already replaced, and stops we asked for, change nothing.
        if (expectedEntry_ < 0 || end->playlist_entry_id != expectedEntry_)
            break;
        if (videoLost_ && end->reason == MPV_END_FILE_REASON_ERROR)
            break; // the lost render context took the video away: the file opens again with a new one
        const bool opening = phase_ == Phase::Loading || phase_ == Phase::Loaded;
        // An entry of a list that cannot be played lets the next one play.
        const bool skip =
            end->reason == MPV_END_FILE_REASON_ERROR && opening && currentItem_ + 1 < plan_.items.size();
        if (end->reason == MPV_END_FILE_REASON_REDIRECT || skip) {
            followNextEntry_ = true;
        } else if (end->reason == MPV_END_FILE_REASON_EOF && (phase_ == Phase::Loaded)) {
            endScan();
            phase_ = Phase::Ended;
            restarted_ = false;
            followNextEntry_ = true; // a playlist file goes on with its next entry, if it has one
            const QPointer<MediaEngine> alive(this);
            setState(MediaEnded);
            if (alive && phase_ == Phase::Ended) { // a handler may have opened another file meanwhile
                position_ = 0;
                emit positionChanged(0);
                if (alive)
                    setState(Stopped);
            }
        } else if (end->reason == MPV_END_FILE_REASON_ERROR && opening) {
            pendingFailure_ = end->error < 0 ? end->error : MPV_ERROR_GENERIC;
        }
        break;
    }
    case MPV_EVENT_PROPERTY_CHANGE: {
        const auto* property = static_cast<const mpv_event_property*>(event.data);
        const bool have = property->format != MPV_FORMAT_NONE && property->data;
        switch (event.reply_userdata) {
        case ObservePause:
            if (have && pauseSetsInFlight_ == 0) {
                paused_ = *static_cast<int*>(property->data);
                updateState();
            }
            break;
        case ObserveCache:
            pausedForCache_ = have && *static_cast<int*>(property->data);
            updateState();
            break;
        case ObserveTimePos: {
            const double position = have ? *static_cast<double*>(property->data) : 0.0;
            if (!have && hasMedia())
                break; // unknown for a moment while seeking or loading: keep the last one
            position_ = std::max(0.0, position);
            emit positionChanged(position_);
            break;
        }
        case ObserveDuration:
            duration_ = have ? *static_cast<double*>(property->data) : 0.0;
            emit durationChanged(duration_);
            break;
        case ObserveVolume:
            if (have) {
                const int volume = int(std::lround(*static_cast<double*>(property->data)));
                if (volume != volume_) {
                    volume_ = volume;
                    emit volumeChanged(volume_);
                }
            }
            break;
        case ObserveMute:
            if (have && bool(*static_cast<int*>(property->data)) != mute_) {
                mute_ = *static_cast<int*>(property->data);
                emit muteChanged(mute_);
            }
            break;
        case ObserveVid: {
            // "no" once a file without video is loaded; "auto" or a track number otherwise.
            const bool video = !(have && qstrcmp(*static_cast<char**>(property->data), "no") == 0);
            if (video != hasVideo_) {
                hasVideo_ = video;
                emit hasVideoChanged(hasVideo_);
            }
            break;
        }
        }
        break;
    }
    default:
        break;
    }
}

void MediaEngine::noteLogMessage(const char* prefix, const char* level, const char* text) {
    const QString line = QString::fromUtf8(text).trimmed();
    qCDebug(lcMpv, "[%s] %s: %s", prefix, level, qUtf8Printable(line));
    const bool opening = phase_ == Phase::Loading || pendingFailure_ != 0;
    if (!opening || (qstrcmp(level, "error") != 0 && qstrcmp(level, "fatal") != 0))
        return;
    // "Cannot open file '/x': No such file or directory" names why the file could not be opened.
    if (qstrcmp(prefix, "file") == 0 || qstrcmp(prefix, "stream") == 0) {
        const qsizetype at = line.lastIndexOf(QStringLiteral("': "));
        if (at >= 0 && openError_.isEmpty())
            openError_ = line.mid(at + 3);
    } else if (qstrcmp(prefix, "ffmpeg/demuxer") == 0 && demuxerDetail_.isEmpty()) {
        // "mov,mp4,m4a,3gp,3g2,mj2: moov atom not found"
        const qsizetype at = line.indexOf(QStringLiteral(": "));
        demuxerDetail_ = at >= 0 ? line.mid(at + 2) : line;
    }
}

QString MediaEngine::describeFailure(int error) const {
    QString detail;
    if (!openError_.isEmpty()) {
        detail = openError_;
    } else {
        switch (error) {
        case MPV_ERROR_UNKNOWN_FORMAT:
            detail = QStringLiteral("unrecognized file format");
            break;
        case MPV_ERROR_LOADING_FAILED:
            detail = QStringLiteral("the file could not be opened");
            break;
        case MPV_ERROR_NOTHING_TO_PLAY:
            detail = QStringLiteral("no audio or video to play");
            break;
        default:
            detail =
                lib_ ? QString::fromUtf8(lib_->error_string(error)) : QStringLiteral("error %1").arg(error);
        }
        if (!demuxerDetail_.isEmpty())
            detail += QStringLiteral(" (%1)").arg(demuxerDetail_);
    }
    return QStringLiteral("Cannot play %1: %2").arg(displayName(url_), detail);
}

QString MediaEngine::coreProperty(const char* name) {
    if (!ensureCore())
        return QString();
    char* value = lib_->get_property_string(mpv_, name);
    QString text = QString::fromUtf8(value);
    lib_->free(value);
    return text;
}

void MediaEngine::setRenderTargetReady(bool ready) {
    if (ready == renderReady_)
        return;
    renderReady_ = ready;
    if (!ready) {
        // The core drops its video output and the video track with the render context (and ends a file
        // that has nothing else to play). Only a context that Qt rebuilt does this: see VideoView.
        videoLost_ = hasMedia() && hasVideo_;
        return;
    }
    if (loadWaiting_) {
        loadNow();
    } else if (videoLost_ && hasMedia()) {
        // Open the file again where it was, paused or not: the state the component reports stays as it is.
        loadNow(position_);
    }
    videoLost_ = false;
}

void MediaEngine::open(const QString& url) {
    openInternal(url, autoStart_);
}

void MediaEngine::openInternal(const QString& url, bool playNow) {
    endScan();
    pendingFailure_ = 0;
    url_ = url;
    failureReason_.clear();
    position_ = 0;
    duration_ = 0;
    emit positionChanged(0);
    emit durationChanged(0);
    openWatch_.stop();
    if (url.isEmpty()) { // an empty URL closes the media
        if (hasMedia())
            command({"stop"});
        loadWaiting_ = false;
        phase_ = Phase::None;
        setState(Undefined);
        return;
    }
    // What this click may open; a refusal ends whatever played before, and the core never sees the file.
    plan_ = planOpen(url);
    currentItem_ = 0;
    if (!plan_.refusal.isEmpty()) {
        ++loadSerial_;
        expectedEntry_ = -1;
        loadWaiting_ = false;
        command({"stop"});
        failWith(QStringLiteral("Cannot play %1: %2").arg(displayName(url_), plan_.refusal));
        return;
    }
    if (!ensureCore()) {
        failWith(QStringLiteral("Cannot play %1: the media engine could not be started (%2)")
                     .arg(displayName(url_), coreError_));
        return;
    }
    awaitingPlay_ = !playNow;
    phase_ = Phase::Loading;
    restarted_ = false;
    if (!hasVideo_) {
        hasVideo_ = true;
        emit hasVideoChanged(true);
    }
    setState(Transitioning);
    if (renderReady_)
        loadNow();
    else
        loadWaiting_ = true;
}

void MediaEngine::loadNow(double start) {
    loadWaiting_ = false;
    if (!mpv_)
        return;
    if (start < 0) {
        paused_ = awaitingPlay_;
        setFlag("pause", awaitingPlay_);
    } else {
        setFlag("pause", paused_ || awaitingPlay_);
    }
    ++loadSerial_;
    expectedEntry_ = -1;
    followNextEntry_ = false;
    // The plan's items from the one playing (a reopen keeps its place), by their own bytes.
    if (start < 0)
        currentItem_ = 0;
    for (qsizetype i = currentItem_; i < plan_.items.size(); ++i) {
        const bool first = i == currentItem_;
        command({"loadfile", fsEncodeName(plan_.items[i].path), first ? "replace" : "append",
                 itemOptions(plan_.items[i], first ? start : -1)},
                first ? LoadReplyBase + loadSerial_ : 0);
    }
    openWatch_.start();
}

// A read that never returns (a hung network share) keeps the core opening for ever: the pick is given up
// with a reason, and the core is told to stop.
void MediaEngine::abandonOpen() {
    if (phase_ != Phase::Loading)
        return;
    ++loadSerial_;
    expectedEntry_ = -1;
    command({"stop"});
    failWith(QStringLiteral("Cannot play %1: it did not open within %2 seconds")
                 .arg(displayName(url_))
                 .arg(kOpenTimeoutMs / 1000));
}

void MediaEngine::play() {
    if (hasMedia()) {
        endScan();
        awaitingPlay_ = false;
        setFlag("pause", false);
        paused_ = false;
        updateState();
    } else if (!url_.isEmpty() && phase_ != Phase::None) {
        openInternal(url_, true); // after stop, end or failure: open the same file again
    }
}

void MediaEngine::pause() {
    if (!hasMedia())
        return; // accepted in every state; with nothing loaded there is nothing to hold
    endScan();
    awaitingPlay_ = false;
    setFlag("pause", true);
    paused_ = true;
    updateState();
}

void MediaEngine::stop() {
    command({"stop"}); // whatever the core is doing ends, whatever the state shown says
    if (!hasMedia() && !loadWaiting_)
        return;
    endScan();
    openWatch_.stop();
    pendingFailure_ = 0;
    loadWaiting_ = false;
    phase_ = Phase::Stopped;
    restarted_ = false;
    position_ = 0;
    emit positionChanged(0);
    setState(Stopped);
}

void MediaEngine::togglePlayPause() {
    const bool running =
        state_ == Playing || state_ == Buffering || (state_ == Transitioning && !paused_ && !awaitingPlay_);
    if (running)
        pause();
    else
        play();
}

void MediaEngine::fastForward() {
    if (!hasMedia())
        return;
    if (scan_ == Scan::Forward) {
        play();
        return;
    }
    endScan();
    scan_ = Scan::Forward;
    awaitingPlay_ = false;
    setDouble("speed", rate_ * 5.0);
    setFlag("pause", false);
    paused_ = false;
    updateState();
}

void MediaEngine::fastReverse() {
    if (!hasMedia())
        return;
    if (scan_ == Scan::Reverse) {
        play();
        return;
    }
    // The core cannot play backwards cheaply: hold the picture and step back a little, four times a second.
    endScan();
    scan_ = Scan::Reverse;
    awaitingPlay_ = false;
    setFlag("pause", true);
    paused_ = true;
    reverseTimer_.start();
    updateState();
}

void MediaEngine::scanReverseStep() {
    if (scan_ != Scan::Reverse || phase_ != Phase::Loaded)
        return;
    if (position_ <= 0.05) {
        play();
        return;
    }
    seekBy(-1.25);
}

void MediaEngine::endScan() {
    if (scan_ == Scan::Forward)
        setDouble("speed", rate_);
    reverseTimer_.stop();
    scan_ = Scan::None;
}

void MediaEngine::seek(double seconds) {
    if (phase_ != Phase::Loaded)
        return;
    seconds = std::max(0.0, duration_ > 0 ? std::min(seconds, duration_) : seconds);
    command({"seek", QByteArray::number(seconds, 'f', 3), "absolute+exact"});
    position_ = seconds;
    emit positionChanged(position_);
}

void MediaEngine::seekBy(double seconds) {
    seek(position_ + seconds);
}

void MediaEngine::setVolume(int volume) {
    volume = std::clamp(volume, 0, 100);
    if (volume == volume_)
        return;
    volume_ = volume;
    setDouble("volume", volume);
    emit volumeChanged(volume_);
}

void MediaEngine::setMute(bool mute) {
    if (mute == mute_)
        return;
    mute_ = mute;
    setFlag("mute", mute);
    emit muteChanged(mute_);
}

void MediaEngine::setRate(double rate) {
    if (!(rate > 0))
        return; // the core plays forwards only; the component's negative rates are not offered
    rate_ = std::clamp(rate, 0.01, 100.0);
    if (scan_ != Scan::Forward)
        setDouble("speed", rate_);
}

void MediaEngine::setBalance(int balance) {
    balance_ = std::clamp(balance, -100, 100);
    setText("af", balanceFilter());
}

// Balance is a stereo filter only while it is off centre, so the usual case filters nothing.
QString MediaEngine::balanceFilter() const {
    if (balance_ == 0)
        return QString();
    return QStringLiteral("@balance:lavfi=[stereotools=balance_out=%1]")
        .arg(QString::number(balance_ / 100.0, 'f', 2));
}

void MediaEngine::setPlayCount(int count) {
    playCount_ = std::max(1, count);
    setText("loop-file", playCount_ == 1 ? QStringLiteral("no") : QString::number(playCount_ - 1));
}

void MediaEngine::setStretchToFit(bool on) {
    stretchToFit_ = on;
    applyScaling();
}

void MediaEngine::setFillScreen(bool on) {
    fillScreen_ = on;
    applyScaling();
}

// stretchToFit false: the picture keeps its own size unless it is too big for the area.
void MediaEngine::applyScaling() {
    const bool scale = stretchToFit_ || fillScreen_;
    setText("video-unscaled", scale ? QStringLiteral("no") : QStringLiteral("downscale-big"));
}

void MediaEngine::setState(int state) {
    if (state == state_)
        return;
    state_ = state;
    emit playStateChanged(state);
}

void MediaEngine::updateState() {
    if (phase_ == Phase::Loading) {
        setState(Transitioning);
    } else if (phase_ == Phase::Loaded) {
        if (awaitingPlay_)
            setState(Ready);
        else if (scan_ == Scan::Reverse)
            setState(ScanReverse);
        else if (paused_)
            setState(Paused);
        else if (!restarted_)
            setState(Transitioning);
        else if (pausedForCache_)
            setState(Buffering);
        else if (scan_ == Scan::Forward)
            setState(ScanForward);
        else
            setState(Playing);
    }
}

// All writes are asynchronous: the UI thread never waits for the core.
void MediaEngine::setFlag(const char* name, bool value) {
    if (!mpv_)
        return;
    int flag = value ? 1 : 0;
    const bool isPause = qstrcmp(name, "pause") == 0;
    if (lib_->set_property_async(mpv_, isPause ? uint64_t(PauseReply) : uint64_t(0), name, MPV_FORMAT_FLAG,
                                 &flag) >= 0 &&
        isPause)
        ++pauseSetsInFlight_;
}

void MediaEngine::setDouble(const char* name, double value) {
    if (mpv_)
        lib_->set_property_async(mpv_, 0, name, MPV_FORMAT_DOUBLE, &value);
}

void MediaEngine::setText(const char* name, const QString& value) {
    if (!mpv_)
        return;
    const QByteArray utf8 = value.toUtf8();
    const char* text = utf8.constData();
    lib_->set_property_async(mpv_, 0, name, MPV_FORMAT_STRING, &text);
}

void MediaEngine::command(const QList<QByteArray>& words, uint64_t reply) {
    if (!mpv_)
        return;
    std::vector<const char*> args;
    for (const QByteArray& word : words)
        args.push_back(word.constData());
    args.push_back(nullptr);
    lib_->command_async(mpv_, reply, args.data());
}
