#include "player/transport_bar.h"

#include "player/media_engine.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QVBoxLayout>
#include <cmath>

namespace {

const QColor kAccent(0x81, 0xAF, 0xE9);
const QColor kAccentHot(0x80, 0x80, 0xFF);
const QColor kText(0xE4, 0xE4, 0xE4);

const char* kSliderStyle = R"(
QSlider { background: transparent; }
QSlider:focus { border: 1px solid #8080FF; border-radius: 3px; }
QSlider::groove:horizontal { height: 4px; background: #262626; border: 1px solid #555555; border-radius: 3px; }
QSlider::sub-page:horizontal { background: #81AFE9; border-radius: 2px; }
QSlider::add-page:horizontal { background: #262626; border-radius: 2px; }
QSlider::groove:horizontal:disabled { border-color: #4A4A4A; }
QSlider::sub-page:horizontal:disabled { background: #555555; }
QSlider::handle:horizontal { width: 10px; margin: -4px 0; border-radius: 5px; background: #D4E3F7; border: 1px solid #81AFE9; }
QSlider::handle:horizontal:hover { background: #8080FF; }
QSlider::handle:horizontal:disabled { background: #5A5A5A; border-color: #5A5A5A; }
)";

QString clock(double seconds) {
    const int total = std::max(0, int(std::floor(seconds)));
    const int h = total / 3600, m = total / 60 % 60, s = total % 60;
    return h > 0 ? QStringLiteral("%1:%2:%3")
                       .arg(h)
                       .arg(m, 2, 10, QLatin1Char('0'))
                       .arg(s, 2, 10, QLatin1Char('0'))
                 : QStringLiteral("%1:%2").arg(m).arg(s, 2, 10, QLatin1Char('0'));
}

QPolygonF triangle(qreal left, qreal top, qreal width, qreal height, bool pointsRight) {
    if (pointsRight)
        return QPolygonF(
            {QPointF(left, top), QPointF(left + width, top + height / 2), QPointF(left, top + height)});
    return QPolygonF(
        {QPointF(left + width, top), QPointF(left, top + height / 2), QPointF(left + width, top + height)});
}

} // namespace

// ---- TransportButton -------------------------------------------------------------------------------------

TransportButton::TransportButton(Glyph glyph, const QString& name, const QString& toolTip, QWidget* parent)
    : QAbstractButton(parent), glyph_(glyph) {
    setAccessibleName(name);
    setToolTip(toolTip);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::ArrowCursor);
}

void TransportButton::setGlyph(Glyph glyph) {
    if (glyph == glyph_)
        return;
    glyph_ = glyph;
    update();
}

QSize TransportButton::sizeHint() const {
    return QSize(28, 26);
}

void TransportButton::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void TransportButton::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

// Arrows belong to the component (seek) rather than moving focus between buttons.
void TransportButton::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        event->ignore();
        return;
    default:
        QAbstractButton::keyPressEvent(event);
    }
}

void TransportButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    if (isEnabled() && (isDown() || isChecked())) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x80, 0x80, 0xFF, isDown() ? 110 : 60));
        p.drawRoundedRect(box, 4, 4);
    } else if (isEnabled() && hovered_) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x81, 0xAF, 0xE9, 45));
        p.drawRoundedRect(box, 4, 4);
    }
    if (hasFocus()) {
        p.setPen(QPen(kAccentHot, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(box, 4, 4);
    }

    const QColor ink = !isEnabled() ? QColor(0x6C, 0x6C, 0x6C)
                       : hovered_   ? QColor(0xB4, 0xD0, 0xF4)
                                    : kAccent;
    const qreal s = std::min(width(), height()) * 0.5; // glyph square
    const qreal x = (width() - s) / 2, y = (height() - s) / 2;
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    switch (glyph_) {
    case Glyph::Play:
        p.drawPolygon(triangle(x + s * 0.12, y, s * 0.85, s, true));
        break;
    case Glyph::Pause:
        p.drawRect(QRectF(x + s * 0.12, y, s * 0.28, s));
        p.drawRect(QRectF(x + s * 0.6, y, s * 0.28, s));
        break;
    case Glyph::Stop:
        p.drawRect(QRectF(x + s * 0.08, y + s * 0.08, s * 0.84, s * 0.84));
        break;
    case Glyph::Previous:
        p.drawRect(QRectF(x, y, s * 0.18, s));
        p.drawPolygon(triangle(x + s * 0.2, y, s * 0.8, s, false));
        break;
    case Glyph::Next:
        p.drawPolygon(triangle(x, y, s * 0.8, s, true));
        p.drawRect(QRectF(x + s * 0.82, y, s * 0.18, s));
        break;
    case Glyph::FastReverse:
        p.drawPolygon(triangle(x - s * 0.1, y + s * 0.1, s * 0.6, s * 0.8, false));
        p.drawPolygon(triangle(x + s * 0.5, y + s * 0.1, s * 0.6, s * 0.8, false));
        break;
    case Glyph::FastForward:
        p.drawPolygon(triangle(x - s * 0.1, y + s * 0.1, s * 0.6, s * 0.8, true));
        p.drawPolygon(triangle(x + s * 0.5, y + s * 0.1, s * 0.6, s * 0.8, true));
        break;
    case Glyph::Speaker:
    case Glyph::Muted: {
        QPainterPath speaker;
        speaker.moveTo(x, y + s * 0.32);
        speaker.lineTo(x + s * 0.22, y + s * 0.32);
        speaker.lineTo(x + s * 0.5, y + s * 0.05);
        speaker.lineTo(x + s * 0.5, y + s * 0.95);
        speaker.lineTo(x + s * 0.22, y + s * 0.68);
        speaker.lineTo(x, y + s * 0.68);
        speaker.closeSubpath();
        p.drawPath(speaker);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(ink, std::max(1.2, s * 0.1), Qt::SolidLine, Qt::RoundCap));
        if (glyph_ == Glyph::Muted) {
            p.drawLine(QPointF(x + s * 0.65, y + s * 0.3), QPointF(x + s * 1.05, y + s * 0.7));
            p.drawLine(QPointF(x + s * 1.05, y + s * 0.3), QPointF(x + s * 0.65, y + s * 0.7));
        } else {
            p.drawArc(QRectF(x + s * 0.3, y + s * 0.25, s * 0.5, s * 0.5), -50 * 16, 100 * 16);
            p.drawArc(QRectF(x + s * 0.2, y + s * 0.05, s * 0.9, s * 0.9), -50 * 16, 100 * 16);
        }
        break;
    }
    case Glyph::FullScreen: {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(ink, std::max(1.5, s * 0.13), Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        const qreal c = s * 0.32;
        p.drawPolyline(QPolygonF({QPointF(x, y + c), QPointF(x, y), QPointF(x + c, y)}));
        p.drawPolyline(QPolygonF({QPointF(x + s - c, y), QPointF(x + s, y), QPointF(x + s, y + c)}));
        p.drawPolyline(
            QPolygonF({QPointF(x + s, y + s - c), QPointF(x + s, y + s), QPointF(x + s - c, y + s)}));
        p.drawPolyline(QPolygonF({QPointF(x + c, y + s), QPointF(x, y + s), QPointF(x, y + s - c)}));
        break;
    }
    }
}

// ---- SeekSlider ------------------------------------------------------------------------------------------

SeekSlider::SeekSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {}

void SeekSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && isEnabled() && maximum() > minimum()) {
        QStyleOptionSlider option;
        initStyleOption(&option);
        const QRect handle =
            style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
        if (!handle.contains(event->position().toPoint())) {
            const int span = std::max(1, width() - handle.width());
            const int at = int(event->position().x()) - handle.width() / 2;
            const int value = QStyle::sliderValueFromPosition(minimum(), maximum(), at, span);
            setValue(value);
            emit seekRequested(value);
        }
    }
    QSlider::mousePressEvent(event); // the handle is under the pointer now: the drag goes on from here
}

// ---- StatusText ------------------------------------------------------------------------------------------

StatusText::StatusText(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    setAccessibleName(QStringLiteral("Status"));
}

void StatusText::setText(const QString& text) {
    if (text == text_)
        return;
    text_ = text;
    setToolTip(text);
    setAccessibleDescription(text);
    update();
}

QSize StatusText::sizeHint() const {
    return QSize(120, fontMetrics().height() + 4);
}
QSize StatusText::minimumSizeHint() const {
    return QSize(24, fontMetrics().height() + 4);
}

void StatusText::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(kText);
    const QRect area = rect().adjusted(4, 0, -2, 0);
    p.drawText(area, Qt::AlignVCenter | Qt::AlignLeft,
               fontMetrics().elidedText(text_, Qt::ElideRight, area.width()));
}

// ---- TransportBar ----------------------------------------------------------------------------------------

TransportBar::TransportBar(MediaEngine* engine, QWidget* parent) : QWidget(parent), engine_(engine) {
    using G = TransportButton::Glyph;
    setAccessibleName(QStringLiteral("Playback controls"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    QFont small = font();
    small.setPointSizeF(8);
    setFont(small);

    seek_ = new SeekSlider(this);
    seek_->setAccessibleName(QStringLiteral("Seek"));
    seek_->setToolTip(QStringLiteral("Seek"));
    seek_->setFocusPolicy(Qt::StrongFocus);
    seek_->setStyleSheet(QString::fromLatin1(kSliderStyle));
    seek_->setFixedHeight(16);
    seek_->setRange(0, 0);
    seek_->setSingleStep(5000);
    seek_->setPageStep(30000);
    seek_->setEnabled(false);

    playPause_ = new TransportButton(G::Play, QStringLiteral("Play"), QStringLiteral("Play (Space)"), this);
    stop_ = new TransportButton(G::Stop, QStringLiteral("Stop"), QStringLiteral("Stop (Ctrl+S)"), this);
    previous_ =
        new TransportButton(G::Previous, QStringLiteral("Previous"), QStringLiteral("Previous"), this);
    next_ = new TransportButton(G::Next, QStringLiteral("Next"), QStringLiteral("Next"), this);
    fastReverse_ = new TransportButton(G::FastReverse, QStringLiteral("Fast reverse"),
                                       QStringLiteral("Fast reverse (Ctrl+Shift+B)"), this);
    fastForward_ = new TransportButton(G::FastForward, QStringLiteral("Fast forward"),
                                       QStringLiteral("Fast forward (Ctrl+Shift+F)"), this);
    status_ = new StatusText(this);
    time_ = new QLabel(this);
    time_->setAccessibleName(QStringLiteral("Time"));
    time_->setStyleSheet(QStringLiteral("color: #E4E4E4;"));
    time_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    mute_ = new TransportButton(G::Speaker, QStringLiteral("Mute"), QStringLiteral("Mute (F7)"), this);
    mute_->setCheckable(true);
    volume_ = new QSlider(Qt::Horizontal, this);
    volume_->setAccessibleName(QStringLiteral("Volume"));
    volume_->setToolTip(QStringLiteral("Volume (F8, F9)"));
    volume_->setFocusPolicy(Qt::StrongFocus);
    volume_->setStyleSheet(QString::fromLatin1(kSliderStyle));
    volume_->setRange(0, 100);
    volume_->setSingleStep(5);
    volume_->setPageStep(10);
    volume_->setFixedWidth(64);
    volume_->setValue(engine_->volume());
    fullScreen_ = new TransportButton(G::FullScreen, QStringLiteral("Full screen"),
                                      QStringLiteral("Full screen (F11)"), this);
    fullScreen_->setCheckable(true);
    previous_->setEnabled(false); // one file at a time: nothing before or after it
    next_->setEnabled(false);

    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(4, 2, 4, 2);
    rows->setSpacing(0);
    rows->addWidget(seek_);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(1);
    for (QWidget* w : {static_cast<QWidget*>(playPause_), static_cast<QWidget*>(stop_)})
        buttons->addWidget(w);
    buttons->addSpacing(4);
    for (QWidget* w : {previous_, next_, fastReverse_, fastForward_})
        buttons->addWidget(w);
    buttons->addSpacing(4);
    buttons->addWidget(status_, 1);
    buttons->addWidget(time_);
    buttons->addSpacing(6);
    buttons->addWidget(mute_);
    buttons->addWidget(volume_);
    buttons->addSpacing(2);
    buttons->addWidget(fullScreen_);
    rows->addLayout(buttons);
    setFixedHeight(2 + 16 + 26 + 2 + 4);

    connect(playPause_, &QAbstractButton::clicked, engine_, &MediaEngine::togglePlayPause);
    connect(stop_, &QAbstractButton::clicked, engine_, &MediaEngine::stop);
    connect(fastReverse_, &QAbstractButton::clicked, engine_, &MediaEngine::fastReverse);
    connect(fastForward_, &QAbstractButton::clicked, engine_, &MediaEngine::fastForward);
    connect(mute_, &QAbstractButton::clicked, engine_, [this](bool on) { engine_->setMute(on); });
    connect(fullScreen_, &QAbstractButton::clicked, this, [this] {
        fullScreen_->setChecked(!fullScreen_->isChecked()); // the component decides; it sets the mark
        emit fullScreenClicked();
    });
    connect(volume_, &QSlider::valueChanged, engine_, &MediaEngine::setVolume);
    connect(seek_, &SeekSlider::seekRequested, engine_, [this](int ms) { engine_->seek(ms / 1000.0); });
    connect(seek_, &QSlider::sliderMoved, engine_, [this](int ms) {
        engine_->seek(ms / 1000.0);
        showPosition(ms / 1000.0);
    });
    connect(seek_, &QAbstractSlider::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderMove && action != QAbstractSlider::SliderNoAction)
            engine_->seek(seek_->sliderPosition() / 1000.0);
    });

    connect(engine_, &MediaEngine::playStateChanged, this, &TransportBar::showState);
    connect(engine_, &MediaEngine::positionChanged, this, [this](double s) {
        if (!seek_->isSliderDown())
            showPosition(s);
    });
    connect(engine_, &MediaEngine::durationChanged, this, &TransportBar::showDuration);
    connect(engine_, &MediaEngine::volumeChanged, volume_, [this](int v) {
        const QSignalBlocker quiet(volume_);
        volume_->setValue(v);
    });
    connect(engine_, &MediaEngine::muteChanged, this, [this](bool on) {
        mute_->setChecked(on);
        mute_->setGlyph(on ? TransportButton::Glyph::Muted : TransportButton::Glyph::Speaker);
    });
    showState(engine_->playState());
    showTime();
}

void TransportBar::setStatusText(const QString& text) {
    status_->setText(text);
}
QString TransportBar::statusText() const {
    return status_->text();
}
void TransportBar::setFullScreenChecked(bool on) {
    fullScreen_->setChecked(on);
}

void TransportBar::setCompact(bool compact) {
    for (QWidget* w : {previous_, next_, fastReverse_, fastForward_})
        w->setVisible(!compact);
}

void TransportBar::showState(int state) {
    const bool running = state == MediaEngine::Playing || state == MediaEngine::Buffering ||
                         (state == MediaEngine::Transitioning && engine_->hasMedia());
    playPause_->setGlyph(running ? TransportButton::Glyph::Pause : TransportButton::Glyph::Play);
    playPause_->setAccessibleName(running ? QStringLiteral("Pause") : QStringLiteral("Play"));
    playPause_->setToolTip(running ? QStringLiteral("Pause (Space)") : QStringLiteral("Play (Space)"));
    const bool media = engine_->hasMedia();
    stop_->setEnabled(media);
    fastReverse_->setEnabled(media);
    fastForward_->setEnabled(media);
    seek_->setEnabled(media && engine_->duration() > 0);
    if (!media)
        showPosition(0);
}

void TransportBar::showDuration(double seconds) {
    const QSignalBlocker quiet(seek_);
    seek_->setRange(0, int(std::lround(std::max(0.0, seconds) * 1000)));
    seek_->setEnabled(engine_->hasMedia() && seconds > 0);
    shownQuarter_ = -1;
    shownSecond_ = -1;
    showPosition(engine_->position());
}

// Called for every frame's position: touches the widgets only when what they show changes.
void TransportBar::showPosition(double seconds) {
    const int quarter = int(seconds * 4);
    if (quarter != shownQuarter_) {
        shownQuarter_ = quarter;
        const QSignalBlocker quiet(seek_);
        seek_->setValue(int(std::lround(seconds * 1000)));
    }
    if (int(seconds) != shownSecond_) {
        shownSecond_ = int(seconds);
        showTime();
    }
}

void TransportBar::showTime() {
    const double total = engine_->duration();
    const double at = shownSecond_ < 0 ? 0 : shownSecond_;
    time_->setText(total > 0 ? QStringLiteral("%1 / %2").arg(clock(at), clock(total)) : clock(at));
}

void TransportBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QLinearGradient shade(0, 0, 0, height());
    shade.setColorAt(0, QColor(0x4C, 0x4C, 0x4C));
    shade.setColorAt(1, QColor(0x36, 0x36, 0x36));
    p.fillRect(rect(), shade);
    p.setPen(QColor(0x5E, 0x5E, 0x5E));
    p.drawLine(0, 0, width(), 0);
}
