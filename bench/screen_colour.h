#pragma once
// The colour of a video area's centre as the X server has it on screen, and the time until it turns to a
// wanted colour: the same read for our player and for the references.

#include "bench/bench_support.h"

#include <QObject>
#include <QWidget>
#include <functional>

namespace bench {

enum class Colour { Red, Green, Other };

Colour centreColour(QWidget* view);

// Milliseconds from start() to the first swapped frame of view showing the wanted colour; -1 on a timeout.
// View is any widget with a frameSwapped() signal emitted once a frame has reached the screen.
template <typename View> double timeToColour(View* view, Colour wanted, const std::function<void()>& start) {
    double shownAt = -1;
    const auto connection = QObject::connect(view, &View::frameSwapped, view, [&] {
        if (shownAt < 0 && centreColour(view) == wanted)
            shownAt = nowMs();
    });
    const double startedAt = nowMs();
    start();
    waitUntil([&] { return shownAt >= 0; }, 10000);
    QObject::disconnect(connection);
    return shownAt < 0 ? -1 : shownAt - startedAt;
}

} // namespace bench
