#include "player/video_surface.h"

#include "player/media_engine.h"

#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>

namespace {
void* procAddress(void*, const char* name) {
    QOpenGLContext* context = QOpenGLContext::currentContext();
    return context ? reinterpret_cast<void*>(context->getProcAddress(name)) : nullptr;
}

// Into the framebuffer bound in the current context.
void clearToBlack() {
    QOpenGLFunctions* gl = QOpenGLContext::currentContext()->functions();
    gl->glClearColor(0, 0, 0, 1);
    gl->glClear(GL_COLOR_BUFFER_BIT);
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

VideoSurface::~VideoSurface() {
    releaseRenderContext();
}

void VideoSurface::releaseRenderContext() {
    drawTimer_.stop();
    if (!frames_)
        return;
    makeCurrent();
    engine_->freeRenderContext(frames_); // waits until the core has let go of its video output
    frames_ = nullptr;
    doneCurrent();
    emit renderContextChanged();
}

void VideoSurface::initializeGL() {
    // Should the GL context go while the window lives, free the render context while it can still be made
    // current; the next initializeGL() asks for one in the new context.
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &VideoSurface::releaseRenderContext,
            Qt::DirectConnection);
    if (frames_)
        return;
    // Called on a libmpv thread, once per burst of wake-ups: one queued call to the thread that draws.
    frames_ = engine_->createRenderContext(&procAddress, [this] {
        // The queued call owns what invokeMethod allocates; the analyser cannot follow it into the queue.
        QMetaObject::invokeMethod(this, &VideoSurface::frameReady, Qt::QueuedConnection); // NOLINT
    });
    if (frames_)
        emit renderContextChanged();
}

void VideoSurface::frameReady() {
    if (!frames_ || !frames_->frameWaiting())
        return;
    // The core hands a frame over a little ahead of its display time. Waiting for that moment inside the
    // render call would hold the UI thread for up to that long on every frame; a timer waits instead.
    const int64_t waitUs = frames_->microsecondsToFrame();
    if (waitUs > 1000)
        drawTimer_.start(int(waitUs / 1000));
    else
        drawFrame();
}

void VideoSurface::drawFrame() {
    drawTimer_.stop();
    if (!frames_)
        return;
    makeCurrent();
    if (isExposed()) {
        // Drawn at once rather than through update(), which would add the window system's update interval,
        // and whatever else waits in the event loop, to every frame.
        paintGL();
        context()->swapBuffers(this);
        frames_->reportSwap();
        doneCurrent();
        emit frameSwapped();
    } else {
        // Not on screen: let the core take the frame without drawing it, so its frame timing does not stall.
        frames_->render(int(defaultFramebufferObject()), QSize(1, 1), true);
        doneCurrent();
    }
}

void VideoSurface::setBlank(bool blank) {
    if (blank == blank_)
        return;
    blank_ = blank;
    update();
}

void VideoSurface::paintGL() {
    if (!frames_ || blank_) {
        clearToBlack();
        return;
    }
    frames_->render(int(defaultFramebufferObject()), size() * devicePixelRatio(), false);
}

QImage VideoSurface::grabFrame() {
    if (!frames_ || !QWindow::handle()) // no platform window yet: nothing to make current
        return {};
    makeCurrent();
    QOpenGLFramebufferObject target(size() * devicePixelRatio());
    target.bind();
    if (blank_) {
        clearToBlack();
    } else {
        frames_->render(int(target.handle()), target.size(), false);
    }
    QImage image = target.toImage();
    doneCurrent();
    return image;
}
