#pragma once
// Reading a QSignalSpy on MediaPlayer::PlayStateChange.

#include <QList>
#include <QSignalSpy>

// The play states the spy has recorded, in order.
inline QList<int> states(const QSignalSpy& spy) {
    QList<int> list;
    for (const auto& arguments : spy)
        list << arguments.at(0).toInt();
    return list;
}
