#include "engine/mpv_client.h"

#include "engine/mpv_held_core.h"
#include "engine/mpv_library.h"
#include "engine/mpv_options.h"
#include "engine/mpv_track_list.h"
#include "engine/reply_ids.h"
#include "files/fs_names.h"

#include <QPointer>
#include <QThread>
#include <algorithm>
#include <clocale>
#include <mpv/render_gl.h>

Q_LOGGING_CATEGORY(lcMpv, "tolvane.mpv", QtWarningMsg)

namespace {

bool hasValue(const mpv_event_property& p) {
    return p.format != MPV_FORMAT_NONE && p.data;
}
bool flagOf(const mpv_event_property& p) {
    return hasValue(p) && *static_cast<int*>(p.data) != 0;
}
double numberOf(const mpv_event_property& p) {
    return hasValue(p) ? *static_cast<double*>(p.data) : 0.0;
}
QString textOf(const mpv_event_property& p) {
    return hasValue(p) ? tagText(*static_cast<char**>(p.data)) : QString();
}

// The property table: what is observed, in which type, and which signal carries it. The reply id of an
// observation is its row number + 1.
struct Observed {
    const char* name;
    mpv_format format;
    void (*dispatch)(MpvClient* client, const mpv_event_property& value);
};
const Observed kObserved[] = {
    {"pause", MPV_FORMAT_FLAG,
     [](MpvClient* c, const mpv_event_property& p) {
         if (hasValue(p))
             emit c->pauseChanged(flagOf(p));
     }},
    {"paused-for-cache", MPV_FORMAT_FLAG,
     [](MpvClient* c, const mpv_event_property& p) { emit c->cacheStallChanged(flagOf(p)); }},
    {"duration", MPV_FORMAT_DOUBLE,
     [](MpvClient* c, const mpv_event_property& p) { emit c->durationChanged(numberOf(p)); }},
    {"volume", MPV_FORMAT_DOUBLE,
     [](MpvClient* c, const mpv_event_property& p) {
         if (hasValue(p))
             emit c->volumeChanged(numberOf(p));
     }},
    {"mute", MPV_FORMAT_FLAG,
     [](MpvClient* c, const mpv_event_property& p) {
         if (hasValue(p))
             emit c->muteChanged(flagOf(p));
     }},
    // "no" once a file without video is loaded; "auto" or a track number otherwise.
    {"vid", MPV_FORMAT_STRING,
     [](MpvClient* c, const mpv_event_property& p) {
         emit c->videoTrackChanged(!hasValue(p) || textOf(p) != QLatin1String("no"));
     }},
    // The tag's title, else the file name.
    {"media-title", MPV_FORMAT_STRING,
     [](MpvClient* c, const mpv_event_property& p) { emit c->mediaTitleChanged(textOf(p)); }},
    {"chapter", MPV_FORMAT_INT64,
     [](MpvClient* c, const mpv_event_property& p) { emit c->chapterChanged(countOf(p, -1)); }},
    {"chapters", MPV_FORMAT_INT64,
     [](MpvClient* c, const mpv_event_property& p) { emit c->chapterCountChanged(countOf(p, 0)); }},
    {"chapter-list", MPV_FORMAT_NODE,
     [](MpvClient* c, const mpv_event_property& p) { emit c->chapterListChanged(chaptersOf(p)); }},
    {"playlist-pos", MPV_FORMAT_INT64,
     [](MpvClient* c, const mpv_event_property& p) { emit c->entryChanged(countOf(p, -1)); }},
    {"playlist-count", MPV_FORMAT_INT64,
     [](MpvClient* c, const mpv_event_property& p) { emit c->entryCountChanged(countOf(p, 0)); }},
    {"current-ao", MPV_FORMAT_STRING,
     [](MpvClient* c, const mpv_event_property& p) { emit c->soundOutputChanged(textOf(p)); }},
};
constexpr uint64_t kObservedCount = sizeof(kObserved) / sizeof(kObserved[0]);

OpenError openErrorOf(int error) {
    switch (error) {
    case MPV_ERROR_UNKNOWN_FORMAT:
        return OpenError::UnknownFormat;
    case MPV_ERROR_LOADING_FAILED:
        return OpenError::LoadingFailed;
    case MPV_ERROR_NOTHING_TO_PLAY:
        return OpenError::NothingToPlay;
    default:
        return OpenError::Other;
    }
}

} // namespace

MpvClient::MpvClient(QObject* parent) : QObject(parent) {
    connect(this, &MpvClient::wakeup, this, &MpvClient::drainEvents, Qt::QueuedConnection);
    // The position is read, not observed: see PositionPoll.
    connect(&position_, &PositionPoll::positionRead, this, &MpvClient::positionChanged);
    connect(this, &MpvClient::pauseChanged, &position_, &PositionPoll::pauseChanged);
    connect(&tracks_, &TrackReader::tracksRead, this, &MpvClient::tracksChanged);
}

MpvClient::~MpvClient() {
    shutdown();
}

// The core is made when it is first needed (a file to open), not with the window: the library it lives in
// is still being loaded while the window comes up.
bool MpvClient::start(const Options& settings) {
    if (mpv_ || tried_)
        return mpv_ != nullptr;
    tried_ = true;
    // QApplication sets the C locale from the environment; libmpv parses numbers with the C one.
    std::setlocale(LC_NUMERIC, "C");
    lib_ = mpvLibrary();
    setCore(lib_ ? lib_->create() : nullptr);
    if (!mpv_) {
        error_ = lib_ ? QStringLiteral("libmpv could not be created") : mpvLoadError();
        qCWarning(lcMpv, "libmpv could not be started: %s", qPrintable(error_));
        return false;
    }
    for (const Options& table : {fixedOptions(), settings})
        for (const auto& [name, value] : table)
            if (lib_->set_option_string(mpv_, name, value.constData()) < 0)
                qCWarning(lcMpv, "libmpv rejected option %s=%s", name, value.constData());
    lib_->request_log_messages(mpv_, "warn");
    for (uint64_t row = 0; row < kObservedCount; ++row)
        lib_->observe_property(mpv_, replyId::kObservedFirst + row, kObserved[row].name,
                               kObserved[row].format);
    lib_->hook_add(mpv_, replyId::kOnLoadHook, "on_load", 0);
    lib_->set_wakeup_callback(mpv_, &MpvClient::onWakeup, this);
    if (lib_->initialize(mpv_) < 0) {
        error_ = QStringLiteral("libmpv could not be initialised");
        qCWarning(lcMpv, "libmpv could not be initialised");
        shutdown();
        return false;
    }
    position_.attach(lib_, mpv_);
    tracks_.attach(lib_, mpv_);
    return true;
}

void MpvClient::shutdown() {
    tried_ = true; // no core after this
    if (!mpv_)
        return;
    // After this returns no callback runs any more, so nothing posts to a dying object.
    lib_->set_wakeup_callback(mpv_, nullptr, nullptr);
    position_.detach();
    tracks_.detach();
    mpv_handle* core = mpv_;
    setCore(nullptr);
    lib_->terminate_destroy(core);
}

void MpvClient::setCore(mpv_handle* core) {
    const std::lock_guard guard(coreLock_);
    mpv_ = core;
}

std::shared_ptr<HeldCore> MpvClient::giveUpCore() {
    if (!mpv_)
        return nullptr;
    lib_->set_wakeup_callback(mpv_, nullptr, nullptr);
    position_.detach();
    tracks_.detach();
    auto core = std::make_shared<HeldCore>(*lib_, mpv_);
    setCore(nullptr);
    tried_ = false;
    return core;
}

// Called on a libmpv thread: only posts one queued call to the UI thread.
void MpvClient::onWakeup(void* self) {
    auto* client = static_cast<MpvClient*>(self);
    if (!client->wakeupPending_.exchange(true))
        emit client->wakeup();
}

void MpvClient::drainEvents() {
    wakeupPending_ = false;
    const QPointer<MpvClient> alive(this);
    while (alive && mpv_) {
        const mpv_event* event = lib_->wait_event(mpv_, 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        handleEvent(*event); // a slot may delete us: checked above
    }
    if (alive)
        emit eventsDrained();
}

void MpvClient::handleEvent(const mpv_event& event) {
    switch (event.event_id) {
    case MPV_EVENT_LOG_MESSAGE: {
        const auto* message = static_cast<const mpv_event_log_message*>(event.data);
        const QString line = QString::fromUtf8(message->text).trimmed();
        qCDebug(lcMpv, "[%s] %s: %s", message->prefix, message->level, qUtf8Printable(line));
        emit logLine(message->prefix, message->level, line);
        break;
    }
    case MPV_EVENT_SET_PROPERTY_REPLY:
        emit propertySetAnswered(event.reply_userdata);
        break;
    case MPV_EVENT_COMMAND_REPLY:
        answerCommand(event);
        break;
    case MPV_EVENT_START_FILE:
        position_.fileStarted();
        emit fileStarted(static_cast<const mpv_event_start_file*>(event.data)->playlist_entry_id);
        break;
    case MPV_EVENT_FILE_LOADED:
        position_.fileLoaded();
        emit fileLoaded();
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        position_.restarted();
        emit firstFrame();
        break;
    case MPV_EVENT_END_FILE:
        position_.fileEnded();
        endFile(event);
        break;
    case MPV_EVENT_PROPERTY_CHANGE:
        changeProperty(event);
        break;
    case MPV_EVENT_GET_PROPERTY_REPLY:
        if (event.reply_userdata == replyId::kTitleRead)
            emit mediaTitleChanged(textOf(*static_cast<const mpv_event_property*>(event.data)));
        else if (event.reply_userdata == replyId::kOpenNameRead)
            reachedName(*static_cast<const mpv_event_property*>(event.data));
        else if (!tracks_.take(event))
            position_.take(event);
        break;
    case MPV_EVENT_HOOK:
        // The core waits before it opens the file: the name it is about to open is asked for.
        hook_ = static_cast<const mpv_event_hook*>(event.data)->id;
        lib_->get_property_async(mpv_, replyId::kOpenNameRead, "stream-open-filename", MPV_FORMAT_STRING);
        break;
    default:
        break;
    }
}

void MpvClient::reachedName(const mpv_event_property& name) {
    const bool known = name.format == MPV_FORMAT_STRING && name.data;
    emit fileReached(hook_, known ? fsDecodeName(*static_cast<char**>(name.data)) : QString());
}

// The core waits for this in its hook, taking requests meanwhile: the lock is had at once.
void MpvClient::continueOpening(uint64_t hook) {
    if (mpv_)
        lib_->hook_continue(mpv_, hook);
}

// A loadfile's answer names the playlist entry it made.
void MpvClient::answerCommand(const mpv_event& event) {
    if (event.reply_userdata == 0)
        return;
    int64_t entry = -1;
    const auto* reply = static_cast<const mpv_event_command*>(event.data);
    if (event.error >= 0 && reply->result.format == MPV_FORMAT_NODE_MAP) {
        const mpv_node_list* map = reply->result.u.list;
        for (int i = 0; i < map->num; ++i)
            if (qstrcmp(map->keys[i], "playlist_entry_id") == 0 && map->values[i].format == MPV_FORMAT_INT64)
                entry = map->values[i].u.int64;
    }
    const bool ok = event.error >= 0;
    emit commandAnswered(event.reply_userdata, entry, ok, ok ? OpenError::None : openErrorOf(event.error),
                         ok ? QString() : QString::fromUtf8(lib_->error_string(event.error)));
}

void MpvClient::endFile(const mpv_event& event) {
    const auto* end = static_cast<const mpv_event_end_file*>(event.data);
    FileEnd out;
    out.entry = end->playlist_entry_id;
    switch (end->reason) {
    case MPV_END_FILE_REASON_EOF:
        out.reason = FileEnd::Reason::Eof;
        break;
    case MPV_END_FILE_REASON_STOP:
        out.reason = FileEnd::Reason::Stop;
        break;
    case MPV_END_FILE_REASON_QUIT:
        out.reason = FileEnd::Reason::Quit;
        break;
    case MPV_END_FILE_REASON_REDIRECT:
        out.reason = FileEnd::Reason::Redirect;
        out.insertedId = end->playlist_insert_id;
        out.insertedCount = end->playlist_insert_num_entries;
        break;
    default:
        out.reason = FileEnd::Reason::Error;
        const int error = end->error < 0 ? end->error : MPV_ERROR_GENERIC;
        out.error = openErrorOf(error);
        out.errorText = QString::fromUtf8(lib_->error_string(error));
    }
    emit fileEnded(out);
}

void MpvClient::changeProperty(const mpv_event& event) {
    if (tracks_.take(event))
        return;
    if (event.reply_userdata >= replyId::kObservedFirst &&
        event.reply_userdata < replyId::kObservedFirst + kObservedCount)
        kObserved[event.reply_userdata - replyId::kObservedFirst].dispatch(
            this, *static_cast<const mpv_event_property*>(event.data));
}

void MpvClient::command(std::initializer_list<QByteArray> words, uint64_t reply) {
    command(QByteArrayList(words), reply);
}

void MpvClient::command(const QByteArrayList& words, uint64_t reply) {
    if (!mpv_)
        return;
    std::vector<const char*> args;
    for (const QByteArray& word : words)
        args.push_back(word.constData());
    args.push_back(nullptr);
    lib_->command_async(mpv_, reply, args.data());
}

void MpvClient::setFlag(const char* name, bool value, uint64_t reply) {
    int flag = value ? 1 : 0;
    if (mpv_)
        lib_->set_property_async(mpv_, reply, name, MPV_FORMAT_FLAG, &flag);
}

void MpvClient::setDouble(const char* name, double value) {
    if (mpv_)
        lib_->set_property_async(mpv_, 0, name, MPV_FORMAT_DOUBLE, &value);
}

void MpvClient::setText(const char* name, const QString& value) {
    if (!mpv_)
        return;
    const QByteArray utf8 = value.toUtf8();
    const char* text = utf8.constData();
    lib_->set_property_async(mpv_, 0, name, MPV_FORMAT_STRING, &text);
}

// The core announces a title only when it differs from the last file's: a reopened file's is read.
void MpvClient::readTitle() {
    if (mpv_)
        lib_->get_property_async(mpv_, replyId::kTitleRead, "media-title", MPV_FORMAT_STRING);
}

QString MpvClient::property(const char* name) {
    if (!mpv_)
        return QString();
    char* value = lib_->get_property_string(mpv_, name);
    QString text = QString::fromUtf8(value);
    lib_->free(value);
    return text;
}

RenderContext* MpvClient::createRenderContext(RenderContext::ProcAddress procAddress,
                                              RenderContext::FrameCallback frameCallback) {
    const std::lock_guard guard(coreLock_);
    if (!mpv_)
        return nullptr;
    mpv_opengl_init_params glInit{procAddress, nullptr};
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE,
         const_cast<char*>(procAddress ? MPV_RENDER_API_TYPE_OPENGL : MPV_RENDER_API_TYPE_SW)},
        {procAddress ? MPV_RENDER_PARAM_OPENGL_INIT_PARAMS : MPV_RENDER_PARAM_INVALID, &glInit},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context* context = nullptr;
    if (lib_->render_context_create(&context, mpv_, params) < 0) {
        qCWarning(lcMpv, "libmpv render context could not be created");
        return nullptr;
    }
    return new RenderContext(*lib_, mpv_, context, std::move(frameCallback));
}

void MpvClient::freeRenderContext(RenderContext* context) {
    delete context;
}
