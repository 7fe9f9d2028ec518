#include "player/video_surface.h"

#include "player/video_renderer.h"

#include <QOffscreenSurface>
#include <QPlatformSurfaceEvent>

VideoSurface::VideoSurface(MediaEngine* engine) : renderer_(std::make_unique<VideoRenderer>(engine, this)) {
    setSurfaceType(QSurface::OpenGLSurface);
    // Output only: the pointer passes through to the host widget beneath, and the focus stays with the
    // widgets, so clicks, double clicks and the pointer's shape work as on any widget, even while the
    // window moves into or out of full screen between the two clicks of a double click.
    setFlags(flags() | Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus);

    VideoRenderer* renderer = renderer_.get();
    connect(this, &VideoSurface::targetChanged, renderer, &VideoRenderer::setTarget);
    connect(this, &VideoSurface::blankChanged, renderer, &VideoRenderer::setBlank);
    connect(
        this, &VideoSurface::grabRequested, renderer, [renderer](QImage* into) { *into = renderer->grab(); },
        Qt::BlockingQueuedConnection);
    connect(this, &VideoSurface::surfaceGoing, renderer, &VideoRenderer::useSpareSurface,
            Qt::BlockingQueuedConnection);
    QThread* ui = thread();
    connect(
        this, &VideoSurface::stopRequested, renderer,
        [renderer, ui] {
            renderer->release();
            renderer->moveToThread(ui); // deleted there, once this thread has ended
        },
        Qt::BlockingQueuedConnection);
    connect(renderer, &VideoRenderer::renderContextChanged, this, [this](bool present) {
        hasRenderContext_ = present;
        emit renderContextChanged();
    });
    thread_.setObjectName(QStringLiteral("video"));
    renderer->moveToThread(&thread_);
    thread_.start();
}

VideoSurface::~VideoSurface() {
    releaseRenderContext();
}

void VideoSurface::releaseRenderContext() {
    if (!thread_.isRunning())
        return;
    emit stopRequested();
    thread_.quit();
    thread_.wait();
    // Reports the renderer queued on its way out are not delivered now: the context is gone either way.
    hasRenderContext_ = false;
}

void VideoSurface::setBlank(bool blank) {
    if (blank == blank_)
        return;
    blank_ = blank;
    emit blankChanged(blank);
}

QImage VideoSurface::grabFrame() {
    QImage image;
    if (thread_.isRunning() && handle())
        emit grabRequested(&image);
    return image;
}

void VideoSurface::sendTarget() {
    if (thread_.isRunning())
        emit targetChanged(size() * devicePixelRatio(), isExposed(), handle() != nullptr);
}

void VideoSurface::exposeEvent(QExposeEvent*) {
    sendTarget();
}

void VideoSurface::resizeEvent(QResizeEvent*) {
    sendTarget();
}

// The platform window may be destroyed and made again while this window lives (moved between top-level
// windows): the renderer must let go of it first, or it would draw into a window that is gone.
bool VideoSurface::event(QEvent* event) {
    if (event->type() == QEvent::PlatformSurface && thread_.isRunning() &&
        static_cast<QPlatformSurfaceEvent*>(event)->surfaceEventType() ==
            QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed) {
        if (!spare_) {
            spare_ = std::make_unique<QOffscreenSurface>();
            spare_->setFormat(requestedFormat());
            spare_->create();
        }
        emit surfaceGoing(spare_.get());
    }
    return QWindow::event(event);
}
