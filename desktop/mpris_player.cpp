#include "desktop/mpris_player.h"

#include "desktop/player_link.h"
#include "player/media_controls.h"
#include "player/media_engine.h"
#include "player/media_player.h"
#include <QDBusConnection>
#include <QDBusMessage>
#include <QScopedValueRollback>
#include <QtMath>

namespace {

const QString playerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
// A position further than this from where steady playback would be is a seek, not a step.
constexpr double jumpSeconds = 1.0;

bool playing(int state) {
    return state == MediaEngine::Playing || state == MediaEngine::ScanForward ||
           state == MediaEngine::ScanReverse || state == MediaEngine::Buffering;
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
        connect(player, &MediaPlayer::PlayStateChange, this, &MprisPlayer::announceChanges);
        MediaEngine* engine = player->engine();
        connect(engine, &MediaEngine::volumeChanged, this, &MprisPlayer::announceChanges);
        connect(engine, &MediaEngine::durationChanged, this, &MprisPlayer::announceChanges);
        connect(engine, &MediaEngine::positionChanged, this, &MprisPlayer::watchPosition);
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
    return MprisTrack::isLoaded(p) ? qlonglong(p->currentPosition() * 1e6) : 0;
}

bool MprisPlayer::loaded() const {
    return MprisTrack::isLoaded(player());
}

// ---- methods
// --------------------------------------------------------------------------------------------------

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
    const double duration = player()->engine()->duration();
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
    const double duration = player()->engine()->duration();
    seconds = qMax(0.0, duration > 0 ? qMin(seconds, duration) : seconds);
    // Announced here; the position reports on the way there are not taken for another seek.
    seekTarget_ = seconds;
    positionUrl_ = player()->URL();
    {
        // The engine reports the new position at once, before the core's last report of the old one.
        const QScopedValueRollback<bool> seeking(seeking_, true);
        player()->controls()->setCurrentPosition(seconds);
    }
    emit Seeked(qlonglong(seconds * 1e6));
}

// ---- change announcements
// -----------------------------------------------------------------------------------

void MprisPlayer::announceChanges() {
    MediaPlayer* p = player();
    track_.update(p);
    const int state = p ? p->playState() : MediaEngine::Undefined;
    if (state != MediaEngine::Transitioning) // a passing state: the status keeps what it was until it settles
        status_ = playing(state)                 ? QStringLiteral("Playing")
                  : state == MediaEngine::Paused ? QStringLiteral("Paused")
                                                 : QStringLiteral("Stopped");
    const QVariantMap now{
        {QStringLiteral("PlaybackStatus"), status_}, {QStringLiteral("Metadata"), metadata()},
        {QStringLiteral("Volume"), volume()},        {QStringLiteral("CanPlay"), loaded()},
        {QStringLiteral("CanPause"), loaded()},      {QStringLiteral("CanSeek"), loaded()},
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
    const int state = p ? p->playState() : MediaEngine::Undefined;
    // Only steady playback or a pause has a position to expect; scanning moves in leaps of its own, and a
    // new file starts again from zero without anyone seeking.
    const bool steady = (state == MediaEngine::Playing || state == MediaEngine::Paused) &&
                        p->URL() == positionUrl_ && sinceLastPosition_.isValid();
    const double expected =
        lastPosition_ + (state == MediaEngine::Playing ? sinceLastPosition_.elapsed() / 1000.0 : 0.0);
    if (seekTarget_ >= 0 && p && p->URL() == positionUrl_) {
        if (qAbs(seconds - seekTarget_) < jumpSeconds)
            seekTarget_ = -1; // arrived
    } else if (steady && qAbs(seconds - expected) > jumpSeconds) {
        emit Seeked(qlonglong(seconds * 1e6));
    }
    if (p && p->URL() != positionUrl_)
        seekTarget_ = -1;
    lastPosition_ = seconds;
    positionUrl_ = p ? p->URL() : QString();
    sinceLastPosition_.restart();
}
