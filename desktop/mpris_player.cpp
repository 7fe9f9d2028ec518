#include "desktop/mpris_player.h"

#include "desktop/mpris_values.h"
#include "desktop/player_link.h"
#include "engine/play_numbers.h"
#include "media/media_actions.h"
#include "media/media_controls.h"
#include "media/media_player.h"
#include <QAction>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QScopedValueRollback>
#include <QtMath>

namespace {

const QString playerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
// A position further than this from where steady playback would be is a seek, not a step.
constexpr double jumpSeconds = 1.0;

using S = PlayStateNumbers::Number;

bool playing(int state) {
    return state == S::Playing || state == S::ScanForward || state == S::ScanReverse || state == S::Buffering;
}

} // namespace

MprisPlayer::MprisPlayer(QObject* object, PlayerLink* link, const QDBusConnection& bus)
    : QDBusAbstractAdaptor(object), link_(link), bus_(bus) {
    connect(link_, &PlayerLink::playerChanged, this, &MprisPlayer::follow);
    follow(link_->player());
}

MediaPlayer* MprisPlayer::player() const {
    return link_->player();
}

void MprisPlayer::follow(MediaPlayer* player) {
    if (player) {
        for (auto changed : {&MediaPlayer::durationChanged, &MediaPlayer::rateChanged})
            connect(player, changed, this, &MprisPlayer::announceChanges);
        connect(player, &MediaPlayer::PlayStateChange, this, &MprisPlayer::announceChanges);
        connect(player, &MediaPlayer::volumeChanged, this, &MprisPlayer::announceChanges);
        connect(player, &MediaPlayer::mediaTitleChanged, this, &MprisPlayer::announceChanges);
        for (QAction* action : {player->actions()->previous, player->actions()->next})
            connect(action, &QAction::changed, this, &MprisPlayer::announceChanges);
        connect(player, &MediaPlayer::positionChanged, this, &MprisPlayer::watchPosition);
    }
    announceChanges();
}

// ---- properties
// ---------------------------------------------------------------------------------------------

QString MprisPlayer::playbackStatus() const {
    return status_;
}

QVariantMap MprisPlayer::metadata() const {
    return track_.metadata(player());
}

double MprisPlayer::volume() const {
    const MediaPlayer* p = player();
    return p ? p->volume() / 100.0 : 0.0;
}

void MprisPlayer::setVolume(double volume) {
    if (MediaPlayer* p = player())
        p->setVolume(qRound(qBound(0.0, volume, 1.0) * 100));
}

qlonglong MprisPlayer::position() const {
    const MediaPlayer* p = player();
    return MprisTrack::isLoaded(p) ? mprisMicroseconds(p->currentPosition()) : 0;
}

double MprisPlayer::rate() const {
    const MediaPlayer* p = player();
    return p ? p->rate() : 1.0;
}

void MprisPlayer::setRate(double rate) {
    if (rate == 0) {
        Pause();
    } else if (MediaPlayer* p = player(); p && rate > 0) {
        p->setSpeed(qBound(minimumRate(), rate, maximumRate()));
    }
}

double MprisPlayer::minimumRate() const {
    return std::begin(MediaActions::kSpeeds)[0];
}

double MprisPlayer::maximumRate() const {
    return std::end(MediaActions::kSpeeds)[-1];
}

bool MprisPlayer::canGoNext() const {
    const MediaPlayer* p = player();
    return p && p->actions()->next->isEnabled();
}

bool MprisPlayer::canGoPrevious() const {
    const MediaPlayer* p = player();
    return p && p->actions()->previous->isEnabled();
}

bool MprisPlayer::loaded() const {
    return MprisTrack::isLoaded(player());
}

// ---- methods
// --------------------------------------------------------------------------------------------------

// The very actions of the control bar's buttons.
void MprisPlayer::Next() {
    if (canGoNext())
        player()->actions()->next->trigger();
}

void MprisPlayer::Previous() {
    if (canGoPrevious())
        player()->actions()->previous->trigger();
}

void MprisPlayer::Play() {
    if (loaded() && !playing(player()->playState()))
        player()->controls()->play();
}

void MprisPlayer::Pause() {
    if (loaded() && playing(player()->playState()))
        player()->controls()->pause();
}

void MprisPlayer::PlayPause() {
    if (loaded() && playing(player()->playState()))
        player()->controls()->pause();
    else
        Play();
}

void MprisPlayer::Stop() {
    if (loaded())
        player()->controls()->stop();
}

void MprisPlayer::Seek(qlonglong offset) {
    if (loaded())
        seekTo(player()->currentPosition() + offset / 1e6);
}

void MprisPlayer::SetPosition(const QDBusObjectPath& trackId, qlonglong position) {
    // A request meant for a file that has since been replaced is dropped, as the interface asks.
    if (!loaded() || trackId.path() != track_.trackId() || position < 0)
        return;
    const double duration = player()->duration();
    if (duration > 0 && position / 1e6 > duration)
        return;
    seekTo(position / 1e6);
}

void MprisPlayer::OpenUri(const QString&, const QDBusMessage& message) {
    message.setDelayedReply(true); // the answer is this error, not an empty success
    bus_.send(message.createErrorReply(
        QDBusError::NotSupported,
        QStringLiteral("Files are chosen in the player's own window, not opened from outside.")));
}

void MprisPlayer::seekTo(double seconds) {
    const double duration = player()->duration();
    seconds = qMax(0.0, duration > 0 ? qMin(seconds, duration) : seconds);
    // Announced here; the position reports on the way there are not taken for another seek.
    seekTarget_ = seconds;
    positionUrl_ = player()->URL();
    {
        // The engine reports the new position at once, before the core's last report of the old one.
        const QScopedValueRollback<bool> seeking(seeking_, true);
        player()->controls()->setCurrentPosition(seconds);
    }
    emit Seeked(mprisMicroseconds(seconds));
}

// ---- change announcements
// -----------------------------------------------------------------------------------

void MprisPlayer::announceChanges() {
    MediaPlayer* p = player();
    track_.update(p);
    const int state = p ? p->playState() : S::Undefined;
    if (state != S::Transitioning) // a passing state: the status keeps what it was until it settles
        status_ = playing(state)       ? QStringLiteral("Playing")
                  : state == S::Paused ? QStringLiteral("Paused")
                                       : QStringLiteral("Stopped");
    const QVariantMap now{
        {QStringLiteral("PlaybackStatus"), status_},
        {QStringLiteral("Metadata"), metadata()},
        {QStringLiteral("Volume"), volume()},
        {QStringLiteral("CanPlay"), loaded()},
        {QStringLiteral("CanPause"), loaded()},
        {QStringLiteral("CanSeek"), loaded()},
        {QStringLiteral("CanGoNext"), canGoNext()},
        {QStringLiteral("CanGoPrevious"), canGoPrevious()},
        {QStringLiteral("Rate"), rate()},
    };
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it)
        if (announced_.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    announced_ = now;
    if (changed.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/mpris/MediaPlayer2"),
                                                     QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << playerInterface << changed << QStringList();
    bus_.send(signal);
}

void MprisPlayer::watchPosition(double seconds) {
    if (seeking_)
        return;
    MediaPlayer* p = player();
    const int state = p ? p->playState() : S::Undefined;
    // Only steady playback or a pause has a position to expect; scanning moves in leaps of its own, and a
    // new file starts again from zero without anyone seeking.
    const bool steady = (state == S::Playing || state == S::Paused) && p->URL() == positionUrl_ &&
                        sinceLastPosition_.isValid();
    const double expected =
        lastPosition_ + (state == S::Playing ? sinceLastPosition_.elapsed() * rate() / 1000.0 : 0.0);
    if (seekTarget_ >= 0 && p && p->URL() == positionUrl_) {
        if (qAbs(seconds - seekTarget_) < jumpSeconds)
            seekTarget_ = -1; // arrived
    } else if (steady && qAbs(seconds - expected) > jumpSeconds) {
        emit Seeked(mprisMicroseconds(seconds));
    }
    if (p && p->URL() != positionUrl_)
        seekTarget_ = -1;
    lastPosition_ = seconds;
    positionUrl_ = p ? p->URL() : QString();
    sinceLastPosition_.restart();
}
