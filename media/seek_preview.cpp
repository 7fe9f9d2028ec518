#include "media/seek_preview.h"

#include "engine/engine_events.h"
#include "media/clock_text.h"
#include "media/media_actions.h"
#include "media/media_colours.h"
#include "media/playback.h"
#include "media/seek_slider.h"
#include "toolkit/outside_text.h"
#include "toolkit/plain_tool_tips.h"

#include <QPainter>
#include <QScreen>
#include <cmath>

namespace {
constexpr int kCaptionHeight = 16;
constexpr int kGap = 4; // between the preview and the bar
} // namespace

SeekPreview::SeekPreview(SeekSlider* slider, const Playback* playback, MediaActions* actions)
    : QWidget(slider, Qt::ToolTip | Qt::FramelessWindowHint), slider_(slider), playback_(playback),
      actions_(actions) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    giveBack_.setSingleShot(true);
    giveBack_.setInterval(kGiveBackMs);
    connect(&giveBack_, &QTimer::timeout, actions_, &MediaActions::releasePreview);
    connect(slider_, &SeekSlider::hovered, this, &SeekPreview::hover);
    connect(slider_, &SeekSlider::left, this, &SeekPreview::leave);
    connect(playback_, &Playback::previewReady, this, &SeekPreview::take);
    // Another file, or none: what was shown belongs to the one before.
    connect(playback_, &Playback::playStateChanged, this, [this] {
        if (!playback_->previewable()) {
            picture_ = QImage();
            hide();
        }
    });
}

void SeekPreview::hover(int ms) {
    giveBack_.stop();
    slider_->setProperty(PlainToolTips::kShownElsewhere, playback_->previewable());
    if (!playback_->previewable()) {
        hide();
        return;
    }
    at_ = ms;
    const double seconds = ms / 1000.0;
    caption_ = clockText(seconds);
    QString title;
    for (const MediaChapter& chapter : playback_->chapters())
        if (chapter.start <= seconds + 1e-3)
            title = chapter.title;
    if (!title.isEmpty())
        caption_ += QStringLiteral("  ") + OutsideText::line(title, 120);
    place();
    show();
    update();
    actions_->askPreview(seconds, int(std::lround(kWidth * devicePixelRatioF())));
}

void SeekPreview::leave() {
    slider_->setProperty(PlainToolTips::kShownElsewhere, false);
    hide();
    giveBack_.start();
}

void SeekPreview::take(double, const QImage& picture) {
    picture_ = picture;
    picture_.setDevicePixelRatio(devicePixelRatioF());
    if (isVisible()) {
        place();
        update();
    }
}

// The video's aspect once a picture has come; 16:9 until then.
int SeekPreview::pictureHeight() const {
    if (picture_.isNull() || picture_.width() <= 0)
        return kWidth * 9 / 16;
    return std::max(1, int(std::lround(double(kWidth) * picture_.height() / picture_.width())));
}

// Centred over the pointer's place on the bar, kept on the screen.
void SeekPreview::place() {
    const QSize size(kWidth + 2, pictureHeight() + kCaptionHeight + 2);
    const QPoint over = slider_->mapToGlobal(QPoint(slider_->xOf(at_), 0));
    QPoint corner(over.x() - size.width() / 2, over.y() - size.height() - kGap);
    if (const QScreen* screen = slider_->screen()) {
        const QRect room = screen->geometry();
        corner.setX(std::clamp(corner.x(), room.left(), std::max(room.left(), room.right() - size.width())));
        corner.setY(std::max(corner.y(), room.top()));
    }
    setGeometry(QRect(corner, size));
}

void SeekPreview::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    const QRect frame(1, 1, kWidth, pictureHeight());
    if (!picture_.isNull())
        p.drawImage(frame, picture_);
    p.setPen(media_colours::accent);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.setPen(media_colours::text);
    QFont small = font();
    small.setPointSizeF(8);
    p.setFont(small);
    const QRect line(4, frame.bottom() + 1, kWidth - 6, kCaptionHeight);
    p.drawText(line, Qt::AlignCenter, p.fontMetrics().elidedText(caption_, Qt::ElideRight, line.width()));
}
