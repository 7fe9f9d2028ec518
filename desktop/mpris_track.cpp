#include "desktop/mpris_track.h"

#include "desktop/mpris_values.h"
#include "media/media_player.h"
#include <QDBusObjectPath>
#include <QFileInfo>
#include <QUrl>

bool MprisTrack::isLoaded(const MediaPlayer* player) {
    return player && !player->URL().isEmpty() && player->failureReason().isEmpty();
}

void MprisTrack::update(MediaPlayer* player) {
    if (isLoaded(player) && player->URL() != url_) {
        url_ = player->URL();
        ++serial_;
    }
}

QVariantMap MprisTrack::metadata(const MediaPlayer* player) const {
    if (!isLoaded(player) || player->URL() != url_)
        return {};
    // The tag's title, else the file name: the engine's own choice, announced once the file is open.
    QVariantMap map{
        {QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(trackId()))},
        {QStringLiteral("xesam:url"), mprisUrl(url_)},
    };
    const QString title = player->mediaTitle();
    const QUrl url(url_);
    const QString path = url.scheme().isEmpty() ? url_ : url.path();
    map.insert(QStringLiteral("xesam:title"), title.isEmpty() ? QFileInfo(path).fileName() : title);
    if (const double seconds = player->duration(); seconds > 0)
        map.insert(QStringLiteral("mpris:length"), mprisMicroseconds(seconds));
    return map;
}

QString MprisTrack::trackId() const {
    return QStringLiteral("/org/tolvane/Player/track/%1").arg(serial_);
}
