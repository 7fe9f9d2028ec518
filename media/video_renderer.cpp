#include "media/video_renderer.h"

#include "engine/media_engine.h"
#include "engine/mpv_held_core.h"
#include "media/drawing_choice.h"
#include "media/gl_frame_drawer.h"
#include "media/software_frame_drawer.h"

#include <QLoggingCategory>
#include <QThread>
#include <QWindow>

Q_LOGGING_CATEGORY(lcVideo, "tolvane.video", QtWarningMsg)

namespace {
// Decided once a process: the machine does not change, and a renderer made after a held core's retirement
// should not pay for an OpenGL context only to learn again that it is software.
std::atomic<int> decided{-1};
// An OpenGL context was lost here once: the software path from then on, even where OpenGL is forced.
std::atomic<bool> openGlLost{false};
} // namespace

VideoRenderer::VideoRenderer(MediaEngine* engine, QWindow* window, PresenterMaker makePresenter,
                             bool softwareOnly)
    : engine_(engine), window_(window), makePresenter_(std::move(makePresenter)),
      softwareOnly_(softwareOnly) {
    drawTimer_.setSingleShot(true);
    drawTimer_.setTimerType(Qt::PreciseTimer);
    connect(&drawTimer_, &QTimer::timeout, this, &VideoRenderer::drawFrame);
    // Emitted on a libmpv thread; runs here, on the render thread.
    connect(this, &VideoRenderer::frameMayWait, this, &VideoRenderer::frameReady, Qt::QueuedConnection);
}

VideoRenderer::~VideoRenderer() = default;

void VideoRenderer::setTarget(QSize pixels, bool exposed, quintptr window) {
    pixels_ = pixels;
    exposed_ = exposed && window && !pixels.isEmpty();
    if (window && window != nativeWindow_ && drawer_)
        drawer_->useWindow(window);
    nativeWindow_ = window;
    // The first time the window shows, the render context follows; after that, the same frame is drawn
    // again at the new size, or paused video would stay stretched or black.
    if (exposed_ && ensureRenderContext())
        drawFrame();
}

void VideoRenderer::setBlank(bool blank) {
    blank_ = blank;
    if (exposed_ && frames_)
        drawFrame();
}

void VideoRenderer::useSpareSurface(QOffscreenSurface* spare) {
    exposed_ = false;
    nativeWindow_ = 0;
    if (drawer_)
        drawer_->letGoOfWindow(spare);
}

// OpenGL, unless it is software, indirect or the software path is forced; the software path where OpenGL is
// software, indirect or missing; software OpenGL where the software path cannot run (a remote X server).
std::unique_ptr<FrameDrawer> VideoRenderer::makeDrawer() {
    const std::optional<DrawingPath> forced =
        softwareOnly_ ? std::optional<DrawingPath>(DrawingPath::Software) : forcedDrawingPath();
    const bool softwareForced = forced == DrawingPath::Software;
    // After a lost context OpenGL is forced no longer: the software path takes over where it runs.
    const bool openGlForced = forced == DrawingPath::OpenGL && !openGlLost;
    std::unique_ptr<GlFrameDrawer> gl;
    if (!softwareForced && decided.load() != int(DrawingPath::Software)) {
        gl = std::make_unique<GlFrameDrawer>(window_);
        if (!gl->create())
            gl.reset();
        else if (openGlForced || (gl->isDirect() && !isSoftwareRenderer(gl->rendererName()))) {
            decided = int(DrawingPath::OpenGL);
            return gl;
        }
    }
    if (!openGlForced && makePresenter_) {
        auto software = std::make_unique<SoftwareFrameDrawer>(makePresenter_());
        if (software->usable() && software->takesWindow(nativeWindow_)) {
            decided = int(DrawingPath::Software);
            return software;
        }
    }
    if (!gl && !softwareForced) {
        gl = std::make_unique<GlFrameDrawer>(window_);
        if (!gl->create())
            gl.reset();
    }
    return gl;
}

// When nothing can draw here, the engine is told, so that a load does not wait for a render context that
// never comes. A core that is not there yet (a fresh one after a held core is being started) is no such
// failure: the engine asks for somewhere to draw again once it is, and retry() tries then.
bool VideoRenderer::ensureRenderContext() {
    if (frames_)
        return true;
    if (failed_ || retiring_)
        return false;
    if (!drawer_)
        drawer_ = makeDrawer();
    if (!drawer_) {
        qCWarning(lcVideo, "nothing can draw the video here");
        failed_ = true;
        engine_->reportNoRenderTarget();
        return false;
    }
    if (!drawer_->begin())
        return false; // no surface to draw on yet
    frames_ = drawer_->makeFrames(engine_, [this] { emit frameMayWait(); });
    if (!frames_) {
        failed_ = true;
        return false;
    }
    emit renderContextChanged(true, QString::fromLatin1(drawer_->name()));
    return true;
}

void VideoRenderer::frameReady() {
    if (!frames_ || !frames_->frameWaiting())
        return;
    // The core hands a frame over a little ahead of its display time; a timer waits for that moment, so
    // that resizes and read-backs are not held up behind the wait inside the render call.
    const int64_t waitUs = frames_->microsecondsToFrame();
    if (waitUs > 1000)
        drawTimer_.start(int(waitUs / 1000));
    else
        drawFrame();
}

void VideoRenderer::drawFrame() {
    drawTimer_.stop();
    if (!frames_)
        return;
    if (!drawer_->begin()) {
        if (drawer_->lost())
            handOver();
        return;
    }
    if (exposed_)
        drawer_->present(frames_, pixels_, blank_);
    else
        drawer_->skip(frames_);
}

QImage VideoRenderer::grab() {
    if (!frames_ || pixels_.isEmpty() || !drawer_->begin())
        return {};
    return drawer_->grab(frames_, pixels_, blank_);
}

void VideoRenderer::retry() {
    if (!failed_)
        return;
    failed_ = false;
    if (exposed_)
        ensureRenderContext();
}

void VideoRenderer::retire(QOffscreenSurface* spare, const std::shared_ptr<HeldCore>& core) {
    drawTimer_.stop();
    useSpareSurface(spare);
    emit windowReleased();
    core->awaitAnswer();
    if (frames_) {
        if (!drawer_->begin())
            qCWarning(lcVideo, "freeing a held core's render context without a surface to draw on");
        core->freeRenderContext(frames_); // waits until the core has let go of its video output
        frames_ = nullptr;
    }
    freeDrawer();
    core->end();
    thread()->quit();
}

void VideoRenderer::release() {
    drawTimer_.stop();
    if (frames_) {
        if (!drawer_->begin())
            qCWarning(lcVideo, "freeing the video's render context without a surface to draw on");
        freeFrames();
    }
    freeDrawer();
}

// The OpenGL context was reset under the core. What the core made with it is freed while it is still
// current at the driver (its calls do nothing now); the software path takes over where it runs, a fresh
// OpenGL context where it does not, and the engine opens the file again where it was once the new render
// context is there.
void VideoRenderer::handOver() {
    qCWarning(lcVideo, "the OpenGL context was lost; the video is drawn anew");
    openGlLost = true;
    decided = int(DrawingPath::Software);
    freeFrames();
    freeDrawer();
    if (exposed_)
        ensureRenderContext();
}

void VideoRenderer::freeFrames() {
    engine_->freeRenderContext(frames_); // waits until the core has let go of its video output
    frames_ = nullptr;
    emit renderContextChanged(false, QString::fromLatin1(drawer_->name()));
}

void VideoRenderer::freeDrawer() {
    if (drawer_)
        drawer_->end();
    drawer_.reset();
}
