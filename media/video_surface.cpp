#include "media/video_surface.h"

#include "engine/media_engine.h"
#include "media/drawing_choice.h"
#include "media/expose_nudge.h"
#include "media/frame_mailbox.h"
#include "media/frame_painter.h"
#include "media/mailbox_presenter.h"
#include "media/video_renderer.h"
#include "media/x_shm_presenter.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QPlatformSurfaceEvent>
#include <QSemaphore>
#include <X11/Xlib.h> // DisplayString: a macro, nothing of Xlib is called

namespace {
// The display the toolkit opened, for the software path's own connection to it; empty away from X11.
QByteArray xDisplayName() {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 && x11->display() ? QByteArray(DisplayString(x11->display())) : QByteArray();
}

// How long leaving waits for a retired renderer to let go of this window before the window goes anyway.
constexpr int kLetGoWaitMs = 1000;
} // namespace

VideoSurface::VideoSurface(MediaEngine* engine)
    : engine_(engine), display_(xDisplayName()), withoutOpenGL_(drawsWithoutOpenGL(display_)) {
    // A window for OpenGL has the toolkit load the driver at once, even one never drawn with.
    setSurfaceType(withoutOpenGL_ ? QSurface::RasterSurface : QSurface::OpenGLSurface);
    // Output only: the pointer passes through to the host widget beneath, and the focus stays with the
    // widgets, so clicks, double clicks and the pointer's shape work as on any widget, even while the
    // window moves into or out of full screen between the two clicks of a double click.
    setFlags(flags() | Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus);
    // On Wayland the software path's pictures are painted here, on the UI thread, whenever the compositor
    // is ready for the next one; away from X11 and Wayland there is no software path.
    if (onWayland()) {
        mailbox_ = std::make_shared<FrameMailbox>([this] { emit pictureWaiting(); });
        painter_ = std::make_unique<FramePainter>(this, mailbox_);
        connect(
            this, &VideoSurface::pictureWaiting, this, [this] { painter_->pictureWaiting(); },
            Qt::QueuedConnection);
        nudge_ = new ExposeNudge(this);
        // Hidden, the window keeps its platform window but the toolkit destroys its Wayland surface, right
        // after telling of the change and before the hide event.
        connect(this, &QWindow::visibleChanged, this, [this](bool visible) {
            if (!visible)
                letGoOfSurface();
        });
    }
    engine_->setHeldCoreTaker(this); // the newest surface holds the render context
    startRenderer();
}

VideoSurface::~VideoSurface() {
    if (mailbox_)
        mailbox_->close(); // a retired renderer may still post
    if (engine_->heldCoreTaker() == this)
        engine_->setHeldCoreTaker(nullptr);
    releaseRenderContext();
}

VideoRenderer::PresenterMaker VideoSurface::presenterMaker() const {
    if (!display_.isEmpty())
        return [display = display_] { return std::make_unique<XShmPresenter>(display); };
    if (mailbox_)
        return [mailbox = mailbox_] { return std::make_unique<MailboxPresenter>(mailbox); };
    return {};
}

void VideoSurface::startRenderer() {
    thread_ = new QThread;
    renderer_ = new VideoRenderer(engine_, this, presenterMaker(), withoutOpenGL_);
    VideoRenderer* renderer = renderer_;
    connect(this, &VideoSurface::targetChanged, renderer, &VideoRenderer::setTarget);
    connect(this, &VideoSurface::blankChanged, renderer, &VideoRenderer::setBlank);
    connect(this, &VideoSurface::retryRequested, renderer, &VideoRenderer::retry);
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
    connect(renderer, &VideoRenderer::renderContextChanged, this,
            [this, renderer](bool present, const QString& path) {
                if (renderer != renderer_)
                    return; // a retired one's
                hasRenderContext_ = present;
                drawingPath_ = path;
                emit renderContextChanged();
            });
    thread_->setObjectName(QStringLiteral("video"));
    renderer->setBlank(blank_);
    renderer->moveToThread(thread_);
    thread_->start();
}

// Nothing here waits for the retired renderer: its thread is ended and freed, with its stand-in surface,
// whenever its core answers. One still waiting when the program ends is left running, not destroyed: a
// QThread destroyed while it runs ends the program.
bool VideoSurface::takeHeldCore(const std::shared_ptr<HeldCore>& core, bool replace) {
    if (!renderer_)
        return false;
    QThread* thread = thread_;
    VideoRenderer* renderer = renderer_;
    renderer->markRetiring();
    disconnect(this, nullptr, renderer, nullptr);
    QOffscreenSurface* spare = newSpare().release();
    auto letGo = std::make_shared<QSemaphore>();
    connect(
        renderer, &VideoRenderer::windowReleased, renderer, [letGo] { letGo->release(); },
        Qt::DirectConnection);
    connect(thread, &QThread::finished, thread, [thread, renderer, spare] {
        thread->wait();
        delete renderer;
        delete spare;
        thread->deleteLater();
    });
    connect(this, &VideoSurface::retireRequested, renderer, &VideoRenderer::retire, Qt::QueuedConnection);
    emit retireRequested(spare, core);
    disconnect(this, &VideoSurface::retireRequested, renderer, nullptr);
    retiring_.removeIf([](const std::shared_ptr<QSemaphore>& s) { return s->available() > 0; });
    retiring_ << letGo;
    thread_ = nullptr;
    renderer_ = nullptr;
    hasRenderContext_ = false;
    emit renderContextChanged();
    if (replace) {
        startRenderer();
        sendTarget();
    }
    return true;
}

void VideoSurface::releaseRenderContext() {
    for (const std::shared_ptr<QSemaphore>& letGo : std::as_const(retiring_))
        letGo->tryAcquire(1, kLetGoWaitMs);
    retiring_.clear();
    if (!thread_ || !thread_->isRunning())
        return;
    emit stopRequested();
    thread_->quit();
    thread_->wait();
    delete thread_;
    delete renderer_;
    thread_ = nullptr;
    renderer_ = nullptr;
    // Reports the renderer queued on its way out are not delivered now: the context is gone either way.
    hasRenderContext_ = false;
}

void VideoSurface::setBlank(bool blank) {
    if (blank == blank_)
        return;
    blank_ = blank;
    emit blankChanged(blank);
}

void VideoSurface::retryRenderContext() {
    emit retryRequested();
}

QImage VideoSurface::grabFrame() {
    QImage image;
    if (thread_ && thread_->isRunning() && handle())
        emit grabRequested(&image);
    return image;
}

void VideoSurface::sendTarget() {
    if (thread_ && thread_->isRunning())
        emit targetChanged(size() * devicePixelRatio(), isExposed(), handle() ? winId() : 0);
}

void VideoSurface::exposeEvent(QExposeEvent*) {
    sendTarget();
    if (painter_ && !isExposed()) {
        painter_->unexposed();
        nudge_->childUnexposed();
    }
}

void VideoSurface::resizeEvent(QResizeEvent*) {
    sendTarget();
}

// The platform window may be destroyed and made again while this window lives (moved between top-level
// windows): the renderer must let go of it first, or it would draw into a window that is gone.
bool VideoSurface::event(QEvent* event) {
    if (painter_ && event->type() == QEvent::UpdateRequest) {
        painter_->paintWaiting();
        return true;
    }
    if (event->type() == QEvent::PlatformSurface &&
        static_cast<QPlatformSurfaceEvent*>(event)->surfaceEventType() ==
            QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed)
        letGoOfSurface();
    return QWindow::event(event);
}

void VideoSurface::letGoOfSurface() {
    if (painter_)
        painter_->reset();
    if (thread_ && thread_->isRunning()) {
        if (!spare_)
            spare_ = newSpare();
        emit surfaceGoing(spare_.get());
    }
}

// Made here, on the UI thread, as it must be, for the renderer to hold its OpenGL context on; none where
// nothing is drawn with OpenGL.
std::unique_ptr<QOffscreenSurface> VideoSurface::newSpare() const {
    if (withoutOpenGL_)
        return nullptr;
    auto spare = std::make_unique<QOffscreenSurface>();
    spare->setFormat(requestedFormat());
    spare->create();
    return spare;
}
