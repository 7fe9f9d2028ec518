#include "desktop/mpris_track.h"

#include "player/media_engine.h"
#include "player/media_player.h"
#include <QDBusObjectPath>
#include <QFileInfo>
#include <QUrl>

namespace {

QUrl asUrl(const QString& url) {
    const QUrl parsed(url);
    return parsed.scheme().isEmpty() ? QUrl::fromLocalFile(url) : parsed;
}

bool hasLoaded(int state) {
    return state == MediaEngine::Playing || state == MediaEngine::Paused || state == MediaEngine::Ready ||
           state == MediaEngine::ScanForward || state == MediaEngine::ScanReverse;
}

} // namespace

bool MprisTrack::isLoaded(const MediaPlayer* player) {
    return player && !player->URL().isEmpty() && player->engine()->failureReason().isEmpty();
}

void MprisTrack::update(MediaPlayer* player) {
    if (!isLoaded(player))
        return;
    if (player->URL() != url_) {
        url_ = player->URL();
        ++serial_;
        title_.clear();
    }
    // The tag's title, else the file name: the engine's own choice, read once the file is open.
    if (title_.isEmpty() && hasLoaded(player->playState()))
        title_ = player->engine()->coreProperty("media-title");
}

QVariantMap MprisTrack::metadata(const MediaPlayer* player) const {
    if (!isLoaded(player) || player->URL() != url_)
        return {};
    const QUrl url = asUrl(url_);
    const QString fileName = QFileInfo(url.isLocalFile() ? url.toLocalFile() : url.path()).fileName();
    QVariantMap map{
        {QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(trackId()))},
        {QStringLiteral("xesam:title"), title_.isEmpty() ? fileName : title_},
        {QStringLiteral("xesam:url"), url.toString(QUrl::FullyEncoded)},
    };
    const double seconds = player->engine()->duration();
    if (seconds > 0)
        map.insert(QStringLiteral("mpris:length"), qint64(seconds * 1e6));
    return map;
}

QString MprisTrack::trackId() const {
    return QStringLiteral("/org/tolvane/Player/track/%1").arg(serial_);
}
