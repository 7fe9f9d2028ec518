#include "desktop/player_link.h"

#include "player/media_player.h"
#include <QGuiApplication>
#include <QWindow>

PlayerLink::PlayerLink(std::function<MediaPlayer*()> find, QObject* parent)
    : QObject(parent), find_(std::move(find)) {
    follow(find_());
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this] {
        if (!player_)
            player();
    });
}

MediaPlayer* PlayerLink::player() {
    if (!player_)
        follow(find_());
    return player_;
}

void PlayerLink::follow(MediaPlayer* player) {
    if (!player)
        return;
    player_ = player;
    // By the time this fires player_ reads null, so no follower reaches the half-destroyed player.
    connect(player, &QObject::destroyed, this, [this] { emit playerChanged(nullptr); });
    emit playerChanged(player);
}
