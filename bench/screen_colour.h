#pragma once
// The colour of a video area's centre as the X server has it on screen, and the time until it turns to a
// wanted colour: the same read for our player and for the references, whichever thread draws their frames.

#include <QWidget>
#include <functional>

namespace bench {

enum class Colour { Red, Green, Other };

// Milliseconds from start() to the moment the centre of view shows the wanted colour in the X server; -1 on
// a timeout. A thread with a connection of its own reads that one pixel every millisecond meanwhile, while
// this thread runs the event loop: the figure does not wait for any thread of the program to hear of the
// frame.
double timeToColour(QWidget* view, Colour wanted, const std::function<void()>& start);

} // namespace bench
