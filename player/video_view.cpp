#include "player/video_view.h"

#include "player/media_engine.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QPainter>
#include <QPainterPath>
#include <mpv/render_gl.h>

namespace {
void* procAddress(void*, const char* name) {
    QOpenGLContext* context = QOpenGLContext::currentContext();
    return context ? reinterpret_cast<void*>(context->getProcAddress(name)) : nullptr;
}
} // namespace

VideoView::VideoView(MediaEngine* engine, QWidget* parent) : QOpenGLWidget(parent), engine_(engine) {
    setMouseTracking(true); // MouseMove is raised without a button held too
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(16, 16);
    setAccessibleName(QStringLiteral("Video"));
    connect(engine_, &MediaEngine::hasVideoChanged, this, [this] { update(); });
    connect(engine_, &MediaEngine::playStateChanged, this, [this] { update(); });
}

VideoView::~VideoView() {
    releaseRenderContext();
    if (QOpenGLContext* gl = context())
        disconnect(gl, nullptr, this, nullptr); // the base class destroys the context after we are gone
}

void VideoView::releaseRenderContext() {
    if (!render_)
        return;
    makeCurrent();
    mpv_render_context_free(render_); // waits until the core has let go of its video output
    render_ = nullptr;
    doneCurrent();
    engine_->setRenderTargetReady(false);
}

void VideoView::initializeGL() {
    // Without shared contexts, moving to another window (full screen) destroys this GL context: free the
    // render context while it can still be made current; initializeGL() then builds one in the new context.
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &VideoView::releaseRenderContext,
            Qt::DirectConnection);
    if (render_ || !engine_->handle())
        return;
    mpv_opengl_init_params glInit{&procAddress, nullptr};
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
        {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &glInit},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (mpv_render_context_create(&render_, engine_->handle(), params) < 0) {
        qCWarning(lcMpv, "libmpv render context could not be created");
        render_ = nullptr;
        return;
    }
    mpv_render_context_set_update_callback(render_, &VideoView::onUpdate, this);
    engine_->setRenderTargetReady(true);
}

// Called on a libmpv thread: only posts a queued call to the UI thread.
void VideoView::onUpdate(void* self) {
    QMetaObject::invokeMethod(static_cast<VideoView*>(self), &VideoView::frameReady, Qt::QueuedConnection);
}

void VideoView::frameReady() {
    if (!render_)
        return;
    if (!(mpv_render_context_update(render_) & MPV_RENDER_UPDATE_FRAME))
        return;
    if (isVisible() && !window()->isMinimized()) {
        update();
    } else {
        // Not on screen: render anyway, so the core's frame timing does not stall.
        makeCurrent();
        paintGL();
        doneCurrent();
    }
}

void VideoView::paintGL() {
    const bool audioOnly = engine_->hasMedia() && !engine_->hasVideo();
    if (!render_ || audioOnly) {
        QOpenGLFunctions* gl = context()->functions();
        gl->glClearColor(0, 0, 0, 1);
        gl->glClear(GL_COLOR_BUFFER_BIT);
        if (audioOnly)
            paintCaption();
        return;
    }
    const qreal ratio = devicePixelRatioF();
    mpv_opengl_fbo fbo{static_cast<int>(defaultFramebufferObject()), qRound(width() * ratio),
                       qRound(height() * ratio), 0};
    int flipY = 1; // QOpenGLWidget composes its framebuffer bottom-up, as OpenGL does
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
        {MPV_RENDER_PARAM_FLIP_Y, &flipY},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context_render(render_, params);
}

void VideoView::setCaption(const QString& caption) {
    caption_ = caption;
    update();
}

// The quiet picture for sound without pictures: a dark field, a note and the file's name.
void VideoView::paintCaption() {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = rect();
    QLinearGradient background(area.topLeft(), area.bottomLeft());
    background.setColorAt(0, QColor(0x30, 0x30, 0x30));
    background.setColorAt(1, QColor(0x18, 0x18, 0x18));
    painter.fillRect(area, background);

    const qreal unit = std::min(area.width(), area.height()) / 8.0;
    const QPointF centre(area.center().x(), area.center().y() - unit * 0.6);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x81, 0xAF, 0xE9));
    painter.drawEllipse(QPointF(centre.x() - unit * 0.35, centre.y() + unit * 0.7), unit * 0.42, unit * 0.32);
    painter.drawRect(QRectF(centre.x() - unit * 0.02, centre.y() - unit * 0.9, unit * 0.14, unit * 1.6));
    QPainterPath flag;
    flag.moveTo(centre.x() + unit * 0.1, centre.y() - unit * 0.9);
    flag.cubicTo(centre.x() + unit * 0.5, centre.y() - unit * 0.6, centre.x() + unit * 0.7,
                 centre.y() - unit * 0.3, centre.x() + unit * 0.45, centre.y() + unit * 0.1);
    flag.cubicTo(centre.x() + unit * 0.55, centre.y() - unit * 0.3, centre.x() + unit * 0.35,
                 centre.y() - unit * 0.5, centre.x() + unit * 0.1, centre.y() - unit * 0.55);
    painter.drawPath(flag);

    QFont font = this->font();
    font.setPointSizeF(std::max(9.0, font.pointSizeF() * 1.1));
    painter.setFont(font);
    painter.setPen(QColor(0xD8, 0xD8, 0xD8));
    const QRectF textArea(area.left() + 8, centre.y() + unit * 1.4, area.width() - 16, unit * 2);
    const QString text = painter.fontMetrics().elidedText(caption_, Qt::ElideMiddle, int(textArea.width()));
    painter.drawText(textArea, Qt::AlignHCenter | Qt::AlignTop, text);
}

void VideoView::mousePressEvent(QMouseEvent* event) {
    emit pointerEvent(event);
    event->accept();
}

void VideoView::mouseReleaseEvent(QMouseEvent* event) {
    emit pointerEvent(event);
    event->accept();
}

void VideoView::mouseDoubleClickEvent(QMouseEvent* event) {
    emit pointerEvent(event);
    event->accept();
}

void VideoView::mouseMoveEvent(QMouseEvent* event) {
    emit pointerEvent(event);
    event->accept();
}

// The pointer's menu opens on button release, after the pointer events (MediaPlayer); the keyboard's here.
void VideoView::contextMenuEvent(QContextMenuEvent* event) {
    if (event->reason() != QContextMenuEvent::Mouse)
        emit contextMenuRequested(mapToGlobal(rect().center()));
    event->accept();
}
