#include "desktop/video_activity.h"

#include "engine/play_numbers.h"
#include "media/media_player.h"
#include <QEvent>
#include <QWidget>

namespace {
// A new file counts as having a picture until the engine finds it has none, and the engine says so when the
// file is already playing; a hold taken that early would be given back at once. This long it must last.
constexpr int settleMs = 500;
} // namespace

VideoActivity::VideoActivity(QObject* parent) : QObject(parent) {
    settle_.setSingleShot(true);
    settle_.setInterval(settleMs);
    connect(&settle_, &QTimer::timeout, this, [this] {
        if (computeActive() && !active_) {
            active_ = true;
            emit activeChanged(true);
        }
    });
}

// The player followed before has gone (or is going) with its window: the connections and the filter went
// with them, and neither may be touched any more.
void VideoActivity::setPlayer(MediaPlayer* player) {
    player_ = player;
    window_ = player ? player->window() : nullptr;
    if (player) {
        connect(player, &MediaPlayer::PlayStateChange, this, &VideoActivity::update);
        connect(player, &MediaPlayer::hasVideoChanged, this, &VideoActivity::update);
        window_->installEventFilter(this);
    }
    update();
}

bool VideoActivity::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::WindowStateChange:
    case QEvent::Show:
    case QEvent::Hide:
        update();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

bool VideoActivity::computeActive() const {
    if (!player_ || !window_)
        return false;
    const int state = player_->playState();
    const bool playing = state == PlayStateNumbers::Playing || state == PlayStateNumbers::ScanForward ||
                         state == PlayStateNumbers::ScanReverse;
    return playing && player_->hasVideo() && window_->isVisible() && !window_->isMinimized();
}

// Ending is told at once; starting only once it has lasted (settleMs).
void VideoActivity::update() {
    const bool active = computeActive();
    if (!active)
        settle_.stop();
    else if (!active_ && !settle_.isActive())
        settle_.start();
    if (!active && active_) {
        active_ = false;
        emit activeChanged(false);
    }
}
