#include "player/video_surface.h"

#include "player/media_engine.h"
#include "player/mpv_library.h"

#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>
#include <mpv/render_gl.h>

namespace {
void* procAddress(void*, const char* name) {
    QOpenGLContext* context = QOpenGLContext::currentContext();
    return context ? reinterpret_cast<void*>(context->getProcAddress(name)) : nullptr;
}
} // namespace

VideoSurface::VideoSurface(MediaEngine* engine)
    : QOpenGLWindow(QOpenGLWindow::NoPartialUpdate), engine_(engine) {
    drawTimer_.setSingleShot(true);
    drawTimer_.setTimerType(Qt::PreciseTimer);
    connect(&drawTimer_, &QTimer::timeout, this, &VideoSurface::drawFrame);
    // Output only: the pointer passes through to the host widget beneath, and the focus stays with the
    // widgets, so clicks, double clicks and the pointer's shape work as on any widget, even while the
    // window moves into or out of full screen between the two clicks of a double click.
    setFlags(flags() | Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus);
}

// Set whenever the engine has a core, and there is a render context only with one.
const MpvLibrary& VideoSurface::mpv() const {
    return *engine_->library();
}

VideoSurface::~VideoSurface() {
    releaseRenderContext();
}

void VideoSurface::releaseRenderContext() {
    drawTimer_.stop();
    if (!render_)
        return;
    makeCurrent();
    mpv().render_context_free(render_); // waits until the core has let go of its video output
    render_ = nullptr;
    doneCurrent();
    engine_->setRenderTargetReady(false);
    emit renderContextChanged();
}

void VideoSurface::initializeGL() {
    // Should the GL context go while the window lives, free the render context while it can still be made
    // current; the next initializeGL() builds one in the new context.
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &VideoSurface::releaseRenderContext,
            Qt::DirectConnection);
    if (render_ || !engine_->handle())
        return;
    mpv_opengl_init_params glInit{&procAddress, nullptr};
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
        {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &glInit},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (mpv().render_context_create(&render_, engine_->handle(), params) < 0) {
        qCWarning(lcMpv, "libmpv render context could not be created");
        render_ = nullptr;
        return;
    }
    mpv().render_context_set_update_callback(render_, &VideoSurface::onUpdate, this);
    engine_->setRenderTargetReady(true);
    emit renderContextChanged();
}

// Called on a libmpv thread: only posts a queued call to the UI thread.
void VideoSurface::onUpdate(void* self) {
    // The queued call owns what invokeMethod allocates; the analyser cannot follow it into the event queue.
    QMetaObject::invokeMethod(static_cast<VideoSurface*>(self), &VideoSurface::frameReady, // NOLINT
                              Qt::QueuedConnection);
}

void VideoSurface::frameReady() {
    if (!render_)
        return;
    if (!(mpv().render_context_update(render_) & MPV_RENDER_UPDATE_FRAME))
        return;
    // The core hands a frame over a little ahead of its display time. Waiting for that moment inside the
    // render call would hold the UI thread for up to that long on every frame; a timer waits instead.
    mpv_render_frame_info next{};
    mpv_render_param query{MPV_RENDER_PARAM_NEXT_FRAME_INFO, &next};
    qint64 waitUs = 0;
    if (mpv().render_context_get_info(render_, query) >= 0 && next.target_time > 0)
        waitUs = next.target_time - mpv().get_time_us(engine_->handle());
    if (waitUs > 1000)
        drawTimer_.start(int(waitUs / 1000));
    else
        drawFrame();
}

void VideoSurface::drawFrame() {
    drawTimer_.stop();
    if (!render_)
        return;
    makeCurrent();
    if (isExposed()) {
        // Drawn at once rather than through update(), which would add the window system's update interval,
        // and whatever else waits in the event loop, to every frame.
        paintGL();
        context()->swapBuffers(this);
        doneCurrent();
        emit frameSwapped();
    } else {
        // Not on screen: let the core take the frame without drawing it, so its frame timing does not stall.
        render(int(defaultFramebufferObject()), QSize(1, 1), true);
        doneCurrent();
    }
}

void VideoSurface::paintGL() {
    if (!render_) {
        QOpenGLFunctions* gl = context()->functions();
        gl->glClearColor(0, 0, 0, 1);
        gl->glClear(GL_COLOR_BUFFER_BIT);
        return;
    }
    render(int(defaultFramebufferObject()), size() * devicePixelRatio(), false);
}

void VideoSurface::render(int framebuffer, const QSize& pixels, bool skip) {
    mpv_opengl_fbo fbo{framebuffer, pixels.width(), pixels.height(), 0};
    int flipY = 1; // OpenGL counts rows bottom-up
    int skipRendering = skip ? 1 : 0;
    int blockForTargetTime = 0; // frameReady() already waited for it
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &blockForTargetTime},
        {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
        {MPV_RENDER_PARAM_FLIP_Y, &flipY},
        {MPV_RENDER_PARAM_SKIP_RENDERING, &skipRendering},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv().render_context_render(render_, params);
}

QImage VideoSurface::grabFrame() {
    if (!render_ || !handle())
        return {};
    makeCurrent();
    QOpenGLFramebufferObject target(size() * devicePixelRatio());
    render(int(target.handle()), target.size(), false);
    QImage image = target.toImage();
    doneCurrent();
    return image;
}
