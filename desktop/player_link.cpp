#include "desktop/player_link.h"

#include "media/media_player.h"
#include <QGuiApplication>
#include <QScopedValueRollback>
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
    if (!player_ && !leaving_)
        follow(find_());
    return player_;
}

void PlayerLink::follow(MediaPlayer* player) {
    if (!player)
        return;
    player_ = player;
    // QWidget announces its end from its own destructor, with the parts of the player already gone: from
    // here on no follower may reach it, and none may look up a window that is itself being destroyed.
    connect(player, &QObject::destroyed, this, [this] {
        player_ = nullptr;
        const QScopedValueRollback<bool> leaving(leaving_, true);
        emit playerChanged(nullptr);
    });
    emit playerChanged(player);
}
