#include "engine/preview_core.h"

#include "engine/mpv_held_core.h"
#include "engine/mpv_library.h"
#include "engine/mpv_options.h"
#include "engine/mpv_render_context.h"
#include "files/detached_worker.h"
#include "files/fs_names.h"

#include <QMetaObject>
#include <condition_variable>
#include <cstdlib>
#include <mutex>

namespace {

constexpr double kGiveUpSeconds = 5; // a load or seek that shows nothing by then is not waited for further
constexpr int kMaxWidth = 640;

// The main core's own options, then what a preview core does differently: no sound or subtitles, the
// nearest keyframe, and as little held ahead as will do. For speed: the first frame decoded is shown
// (not two, as smooth playback wants), the loop filter is skipped (a thumbnail hides it), and the
// software renderer scales with a cheap filter (its default one took 200 ms from 1080p to 160 pixels).
MpvClient::Options previewOptions() {
    MpvClient::Options options = fixedOptions();
    const MpvClient::Options own = {
        {"ao", "null"},
        {"aid", "no"},
        {"sid", "no"},
        {"pause", "yes"},
        {"hr-seek", "no"},
        {"audio-display", "no"},
        {"cache", "no"},
        {"demuxer-max-bytes", "2MiB"},
        {"demuxer-max-back-bytes", "0"},
        {"vd-lavc-threads", "1"},
        {"sws-scaler", "fast-bilinear"},
        {"sws-allow-zimg", "no"},
        {"sws-fast", "yes"},
        {"video-latency-hacks", "yes"},
        {"vd-lavc-skiploopfilter", "all"},
        {"vd-lavc-fast", "yes"},
    };
    options.insert(options.end(), own.begin(), own.end());
    return options;
}

struct Ask {
    QString path;
    FileIdentity identity;
    double seconds = 0;
    int width = 0;
};

} // namespace

struct PreviewCore::Shared {
    std::mutex lock;
    std::condition_variable changed;
    bool pending = false;
    bool quit = false;
    Ask ask;
    PreviewCore* owner = nullptr; // null once the owner has gone; read and written under lock

    bool take(Ask& out) {
        std::unique_lock guard(lock);
        changed.wait(guard, [this] { return quit || pending; });
        if (quit)
            return false;
        out = ask;
        pending = false;
        return true;
    }
    bool quitting() {
        const std::lock_guard guard(lock);
        return quit;
    }
    void post(const Ask& ask, const PreviewPicture& picture) {
        const std::lock_guard guard(lock);
        if (!owner)
            return;
        // The queued call's object is Qt's to free once the call has run (or its receiver has gone).
        // NOLINTBEGIN(clang-analyzer-cplusplus.NewDeleteLeaks)
        QMetaObject::invokeMethod(
            owner, [o = owner, ask, picture] { emit o->pictureReady(ask.path, ask.seconds, picture); },
            Qt::QueuedConnection);
        // NOLINTEND(clang-analyzer-cplusplus.NewDeleteLeaks)
    }
};

namespace {

// The worker's own core and software render context; everything here runs on the worker thread.
class PreviewWorker {
  public:
    PreviewWorker(const MpvLibrary& lib, PreviewCore::Shared& shared) : lib_(lib), shared_(shared) {}
    bool start();
    void serve(const Ask& ask);
    void end();

  private:
    bool await(mpv_event_id wanted);
    bool awaitSeek(int width, PreviewPicture& picture);
    int64_t number(const char* name);
    PreviewPicture draw(int width);

    const MpvLibrary& lib_;
    PreviewCore::Shared& shared_;
    mpv_handle* core_ = nullptr;
    mpv_render_context* render_ = nullptr;
    QString loaded_;
};

bool PreviewWorker::start() {
    core_ = lib_.create();
    if (!core_)
        return false;
    for (const auto& [name, value] : previewOptions())
        lib_.set_option_string(core_, name, value.constData());
    if (lib_.initialize(core_) < 0)
        return false;
    mpv_render_param params[] = {{MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_SW)},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    return lib_.render_context_create(&render_, core_, params) >= 0;
}

void PreviewWorker::end() {
    if (render_)
        lib_.render_context_free(render_);
    if (core_)
        HeldCore(lib_, core_).end(); // counted among the cores still ending until it has
    core_ = nullptr;
    render_ = nullptr;
}

// False when the file failed, the wait went on too long, or the worker is to end.
bool PreviewWorker::await(mpv_event_id wanted) {
    const int64_t until = lib_.get_time_us(core_) + int64_t(kGiveUpSeconds * 1e6);
    while (!shared_.quitting() && lib_.get_time_us(core_) < until) {
        const mpv_event* event = lib_.wait_event(core_, 0.05);
        if (event->event_id == wanted)
            return true;
        if (event->event_id == MPV_EVENT_END_FILE || event->event_id == MPV_EVENT_SHUTDOWN)
            return false;
    }
    return false;
}

// The core shows the seek's frame before it tells of the seek's end, and waits (up to 0.2 s) for it to be
// drawn: each frame is drawn as it comes, and the one drawn by the end of the seek is the answer.
bool PreviewWorker::awaitSeek(int width, PreviewPicture& picture) {
    const int64_t until = lib_.get_time_us(core_) + int64_t(kGiveUpSeconds * 1e6);
    bool started = false, ended = false; // what comes before the seek starts is the file's first frame
    while (!shared_.quitting() && lib_.get_time_us(core_) < until) {
        if ((lib_.render_context_update(render_) & MPV_RENDER_UPDATE_FRAME) && started)
            picture = draw(width);
        if (ended && !picture.isNull())
            return true;
        const mpv_event* event = lib_.wait_event(core_, 0.002);
        if (event->event_id == MPV_EVENT_SEEK)
            started = true;
        else if (event->event_id == MPV_EVENT_PLAYBACK_RESTART)
            ended = started;
        else if (event->event_id == MPV_EVENT_END_FILE || event->event_id == MPV_EVENT_SHUTDOWN)
            return false;
    }
    return false;
}

int64_t PreviewWorker::number(const char* name) {
    char* text = lib_.get_property_string(core_, name);
    const int64_t value = text ? QByteArray(text).toLongLong() : 0;
    lib_.free(text);
    return value;
}

void PreviewWorker::serve(const Ask& ask) {
    if (ask.path != loaded_) {
        loaded_.clear();
        // The name is opened anew: only while it still stands for the file the plan judged, which the main
        // core plays. One moved or written in since may be anything.
        const LocalFile now = readLocalFile(fsEncodeName(ask.path), 0);
        if (!now.error.isEmpty() || !(now.identity == ask.identity))
            return;
        const QByteArray path = ask.path.toUtf8();
        const char* load[] = {"loadfile", path.constData(), nullptr};
        lib_.command_async(core_, 0, load);
        if (!await(MPV_EVENT_FILE_LOADED))
            return;
        loaded_ = ask.path;
    }
    const QByteArray at = QByteArray::number(ask.seconds, 'f', 3);
    const char* seek[] = {"seek", at.constData(), "absolute+keyframes", nullptr};
    lib_.command_async(core_, 0, seek);
    PreviewPicture picture;
    if (awaitSeek(std::clamp(ask.width, 16, kMaxWidth), picture))
        shared_.post(ask, picture);
}

// At the picture's size in aligned rows, as the software renderer wants them (the main video's rule). The
// render context is this worker's own: the main one's wrapper belongs to the main core.
PreviewPicture PreviewWorker::draw(int width) {
    const int64_t w = number("dwidth"), h = number("dheight");
    if (w <= 0 || h <= 0)
        return {};
    const int height = int(std::clamp<int64_t>(width * h / w, 1, kMaxWidth));
    auto stride = size_t(RenderContext::softwareStride(width));
    void* pixels = std::aligned_alloc(RenderContext::kSoftwareAlignment, stride * size_t(height));
    if (!pixels)
        return {};
    int size[2] = {width, height};
    mpv_render_param params[] = {{MPV_RENDER_PARAM_SW_SIZE, size},
                                 {MPV_RENDER_PARAM_SW_FORMAT, const_cast<char*>("bgr0")},
                                 {MPV_RENDER_PARAM_SW_STRIDE, &stride},
                                 {MPV_RENDER_PARAM_SW_POINTER, pixels},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    if (lib_.render_context_render(render_, params) < 0) {
        std::free(pixels);
        return {};
    }
    return {std::shared_ptr<void>(pixels, std::free), width, height, qsizetype(stride)};
}

} // namespace

PreviewCore::PreviewCore(QObject* parent) : QObject(parent) {}

PreviewCore::~PreviewCore() {
    release();
}

bool PreviewCore::running() const {
    return shared_ != nullptr;
}

void PreviewCore::request(const QString& path, const FileIdentity& identity, double seconds, int width) {
    if (!shared_) {
        shared_ = std::make_shared<Shared>();
        shared_->owner = this;
        // A core held by a dead share keeps its worker for as long as the share takes.
        startDetachedWorker("tolvane-preview", [shared = shared_] {
            const MpvLibrary* lib = mpvLibrary();
            if (!lib)
                return;
            PreviewWorker worker(*lib, *shared);
            Ask ask;
            if (worker.start())
                while (shared->take(ask))
                    worker.serve(ask);
            worker.end();
        });
    }
    const std::lock_guard guard(shared_->lock);
    shared_->ask = {path, identity, seconds, width};
    shared_->pending = true;
    shared_->changed.notify_one();
}

void PreviewCore::release() {
    if (!shared_)
        return;
    {
        const std::lock_guard guard(shared_->lock);
        shared_->quit = true;
        shared_->owner = nullptr;
        shared_->changed.notify_one();
    }
    shared_.reset();
}
