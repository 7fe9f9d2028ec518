#include "media/video_view.h"

#include "engine/media_engine.h"
#include "media/media_colours.h"
#include "media/video_surface.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

VideoView::VideoView(MediaEngine* engine, QWidget* parent) : QWidget(parent), engine_(engine) {
    setMouseTracking(true); // MouseMove is raised without a button held too
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(16, 16);
    setAccessibleName(QStringLiteral("Video"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(engine_, &MediaEngine::hasVideoChanged, this, &VideoView::showSurfaceOrCaption);
    connect(engine_, &MediaEngine::playStateChanged, this, &VideoView::showSurfaceOrCaption);
    // OpenGL only once there is something to show: the engine asks when its first load waits.
    connect(engine_, &MediaEngine::renderTargetNeeded, this, &VideoView::prepareSurface);
    // On screen at last: the engine gets ready for the first file once the first paint is out.
    connect(this, &VideoView::firstPainted, engine_, &MediaEngine::startCore, Qt::QueuedConnection);
}

VideoView::~VideoView() {
    releaseRenderContext();
}

void VideoView::prepareSurface() {
    if (surface_) {
        surface_->retryRenderContext(); // after no OpenGL, each pick tries again
        return;
    }
    surface_ = new VideoSurface(engine_);
    container_ = QWidget::createWindowContainer(surface_, this);
    container_->setAttribute(Qt::WA_TransparentForMouseEvents); // the pointer is the host's
    container_->setFocusPolicy(Qt::NoFocus);
    container_->setGeometry(rect());
    connect(surface_, &VideoSurface::renderContextChanged, this, &VideoView::showSurfaceOrCaption);
    showSurfaceOrCaption();
}

void VideoView::releaseRenderContext() {
    if (surface_)
        surface_->releaseRenderContext();
}

bool VideoView::hasRenderContext() const {
    return surface_ && surface_->hasRenderContext();
}

bool VideoView::audioOnly() const {
    return engine_->hasMedia() && !engine_->hasVideo();
}

// The surface shows unless a file without pictures plays, which gets the caption instead; it stays until it
// has its render context, which it only gets on screen. Nothing loaded, or a file that could not be played:
// black, not the last picture of the file before.
void VideoView::showSurfaceOrCaption() {
    if (container_) {
        container_->setVisible(!(audioOnly() && hasRenderContext()));
        surface_->setBlank(engine_->state().isFailed() || !engine_->state().wasOpened());
    }
    update();
}

void VideoView::setCaption(const QString& caption) {
    caption_ = caption;
    update();
}

QString VideoView::drawingPath() const {
    return surface_ ? surface_->drawingPath() : QString();
}

QImage VideoView::grabFramebuffer() {
    if (container_ && container_->isVisible() && hasRenderContext()) {
        QImage frame = surface_->grabFrame();
        frame.setDevicePixelRatio(devicePixelRatioF());
        return frame;
    }
    return grab().toImage();
}

void VideoView::resizeEvent(QResizeEvent*) {
    if (container_)
        container_->setGeometry(rect());
}

// Black when nothing plays; for sound without pictures, a dark field, a note and the file's name.
void VideoView::paintEvent(QPaintEvent*) {
    if (!prepared_) {
        prepared_ = true;
        emit firstPainted();
    }
    QPainter painter(this);
    const QRectF area = rect();
    if (!audioOnly()) {
        painter.fillRect(area, Qt::black);
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(area.topLeft(), area.bottomLeft());
    background.setColorAt(0, media_colours::audioTop);
    background.setColorAt(1, media_colours::audioBottom);
    painter.fillRect(area, background);

    const qreal unit = std::min(area.width(), area.height()) / 8.0;
    const QPointF centre(area.center().x(), area.center().y() - unit * 0.6);
    painter.setPen(Qt::NoPen);
    painter.setBrush(media_colours::accent);
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
    painter.setPen(media_colours::caption);
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
