#include "media/transport_bar.h"

#include "engine/engine_events.h"

#include "media/clock_text.h"
#include "media/media_actions.h"
#include "media/media_colours.h"
#include "media/playback.h"
#include "media/seek_preview.h"
#include "media/status_text.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QSlider>
#include <QVBoxLayout>
#include <cmath>

namespace {

using G = TransportButton::Glyph;

// A button: where it goes, what it shows, and which action it stands for (its tooltip names the key).
struct ButtonRow {
    TransportButton* TransportBar::*slot;
    G glyph;
    const char* name;
    QAction* const MediaActions::*action;
};

} // namespace

TransportBar::TransportBar(const Playback* playback, MediaActions* actions, QWidget* parent)
    : QWidget(parent), playback_(playback), actions_(actions) {
    setAccessibleName(QStringLiteral("Playback controls"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    QFont small = font();
    small.setPointSizeF(8);
    setFont(small);
    makeButtons();
    makeSliders();
    status_ = new StatusText(this);
    time_ = new QLabel(this);
    time_->setAccessibleName(QStringLiteral("Time"));
    time_->setStyleSheet(QStringLiteral("color: %1;").arg(media_colours::text.name()));
    time_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    layOut();
    connectPlayback();
    showState();
    showTime();
}

void TransportBar::makeButtons() {
    static const ButtonRow kButtons[] = {
        {&TransportBar::playPause_, G::Play, "Play", &MediaActions::playPause},
        {&TransportBar::stop_, G::Stop, "Stop", &MediaActions::stop},
        {&TransportBar::previous_, G::Previous, "Previous", &MediaActions::previous},
        {&TransportBar::next_, G::Next, "Next", &MediaActions::next},
        {&TransportBar::fastReverse_, G::FastReverse, "Fast reverse", &MediaActions::fastReverse},
        {&TransportBar::fastForward_, G::FastForward, "Fast forward", &MediaActions::fastForward},
        {&TransportBar::mute_, G::Speaker, "Mute", &MediaActions::mute},
        {&TransportBar::fullScreen_, G::FullScreen, "Full screen", &MediaActions::fullScreen},
    };
    for (const ButtonRow& row : kButtons) {
        QAction* action = actions_->*row.action;
        auto* button = new TransportButton(row.glyph, QString::fromLatin1(row.name), action->toolTip(), this);
        this->*row.slot = button;
        bind(button, action);
    }
    // The play/pause button says what a press will do, as the action does.
    connect(actions_->playPause, &QAction::changed, this, [this] {
        playPause_->setGlyph(actions_->showsPause() ? G::Pause : G::Play);
        playPause_->setAccessibleName(actions_->playPause->text());
        playPause_->setToolTip(actions_->playPause->toolTip());
    });
    connect(actions_->mute, &QAction::changed, this,
            [this] { mute_->setGlyph(actions_->mute->isChecked() ? G::Muted : G::Speaker); });
}

// A press triggers the action; the action's state shows on the button.
void TransportBar::bind(TransportButton* button, QAction* action) {
    button->setCheckable(action->isCheckable());
    connect(button, &QAbstractButton::clicked, action, [action] { action->trigger(); });
    auto follow = [button, action] {
        button->setEnabled(action->isEnabled());
        button->setChecked(action->isChecked());
    };
    connect(action, &QAction::changed, button, follow);
    follow();
}

void TransportBar::makeSliders() {
    seek_ = new SeekSlider(this);
    seek_->setAccessibleName(QStringLiteral("Seek"));
    seek_->setToolTip(QStringLiteral("Seek"));
    seek_->setFixedHeight(16);
    seek_->setRange(0, 0);
    seek_->setSingleStep(5000);
    seek_->setPageStep(30000);
    seek_->setEnabled(false);
    new SeekPreview(seek_, playback_, actions_);
    volume_ = new QSlider(Qt::Horizontal, this);
    volume_->setAccessibleName(QStringLiteral("Volume"));
    volume_->setToolTip(actions_->volumeToolTip());
    volume_->setRange(0, 100);
    volume_->setSingleStep(5);
    volume_->setPageStep(10);
    volume_->setFixedWidth(64);
    volume_->setValue(playback_->volume());
    for (QSlider* slider : {static_cast<QSlider*>(seek_), volume_}) {
        slider->setFocusPolicy(Qt::StrongFocus);
        slider->setStyleSheet(QString::fromLatin1(media_colours::sliderStyle));
    }
}

void TransportBar::layOut() {
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(4, 2, 4, 2);
    rows->setSpacing(0);
    rows->addWidget(seek_);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(1);
    // Widgets, with a gap (in pixels) before some of them; the status text takes what is left.
    const std::pair<QWidget*, int> line[] = {
        {playPause_, 0}, {stop_, 0}, {previous_, 4}, {next_, 0},   {fastReverse_, 0}, {fastForward_, 0},
        {status_, 4},    {time_, 0}, {mute_, 6},     {volume_, 0}, {fullScreen_, 2},
    };
    for (const auto& [widget, gap] : line) {
        if (gap > 0)
            buttons->addSpacing(gap);
        buttons->addWidget(widget, widget == status_ ? 1 : 0);
    }
    rows->addLayout(buttons);
    setFixedHeight(2 + 16 + 26 + 2 + 4);
}

void TransportBar::connectPlayback() {
    connect(volume_, &QSlider::valueChanged, actions_, &MediaActions::setVolume);
    connect(seek_, &SeekSlider::seekRequested, actions_, [this](int ms) { actions_->seekTo(ms / 1000.0); });
    connect(seek_, &QSlider::sliderMoved, actions_, [this](int ms) {
        actions_->scrubTo(ms / 1000.0);
        showPosition(ms / 1000.0);
    });
    connect(seek_, &QSlider::sliderReleased, actions_,
            [this] { actions_->seekTo(seek_->sliderPosition() / 1000.0); });
    connect(seek_, &QAbstractSlider::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderMove && action != QAbstractSlider::SliderNoAction)
            actions_->seekTo(seek_->sliderPosition() / 1000.0);
    });
    connect(playback_, &Playback::playStateChanged, this, &TransportBar::showState);
    connect(playback_, &Playback::positionChanged, this, [this](double s) {
        if (!seek_->isSliderDown())
            showPosition(s);
    });
    connect(playback_, &Playback::durationChanged, this, &TransportBar::showDuration);
    connect(playback_, &Playback::chaptersChanged, this, &TransportBar::showChapters);
    connect(playback_, &Playback::volumeChanged, volume_, [this](int v) {
        const QSignalBlocker quiet(volume_);
        volume_->setValue(v);
    });
}

void TransportBar::setStatusText(const QString& text) {
    status_->setText(text);
}
QString TransportBar::statusText() const {
    return status_->text();
}

void TransportBar::setCompact(bool compact) {
    for (QWidget* w : {previous_, next_, fastReverse_, fastForward_})
        w->setVisible(!compact);
}

void TransportBar::showState() {
    seek_->setEnabled(playback_->allows(Playback::Operation::Seek));
    if (!playback_->hasMedia())
        showPosition(0);
}

void TransportBar::showDuration(double seconds) {
    const QSignalBlocker quiet(seek_);
    seek_->setRange(0, int(std::lround(boundedSeconds(seconds) * 1000)));
    seek_->setEnabled(playback_->allows(Playback::Operation::Seek));
    shownQuarter_ = -1;
    shownSecond_ = -1;
    showPosition(playback_->position());
    showChapters();
}

void TransportBar::showChapters() {
    QList<int> starts;
    for (const MediaChapter& chapter : playback_->chapters())
        starts << int(std::lround(boundedSeconds(chapter.start) * 1000));
    seek_->setMarks(starts);
}

// Called with each position read (PositionPoll: five times a second while a file plays, and once more when
// a seek lands or playback pauses): touches the widgets only when what they show changes.
void TransportBar::showPosition(double seconds) {
    seconds = boundedSeconds(seconds);
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
    const double total = playback_->duration();
    const double at = shownSecond_ < 0 ? 0 : shownSecond_;
    time_->setText(total > 0 ? QStringLiteral("%1 / %2").arg(clockText(at), clockText(total))
                             : clockText(at));
}

void TransportBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QLinearGradient shade(0, 0, 0, height());
    shade.setColorAt(0, media_colours::barTop);
    shade.setColorAt(1, media_colours::barBottom);
    p.fillRect(rect(), shade);
    p.setPen(media_colours::barEdge);
    p.drawLine(0, 0, width(), 0);
}
