#pragma once
// What the in-process benchmark harnesses share: the application set up as main() does, the player window
// and the reference beside it, clocks, the process's own resident memory and processor time, medians.

#include <QSize>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

class QApplication;
class frm;
class MediaPlayer;
class VideoView;
class BareMpvView;
class QWidget;

namespace bench {

// The application set up as main() sets it up. With fewer than `needed` arguments (the program's name
// counted), prints "usage: PROGRAM USAGE" and ends the process with status 2.
std::unique_ptr<QApplication> startApplication(int& argc, char* argv[], int needed, const char* usage);

// Milliseconds on a monotonic clock.
double nowMs();
// Processor time of the whole process (all threads), in seconds.
double processCpuSeconds();
// Processor time of the calling thread, in seconds.
double threadCpuSeconds();
// Resident memory of the process now, in KiB (VmRSS).
long residentKib();

// The player window, built and shown as main() does, and waited for until it is on the screen.
frm* showPlayerWindow();

// Runs the event loop until done() holds or the time is up; returns whether done() held.
bool waitUntil(const std::function<bool()>& done, int timeoutMs);

// The bare libmpv client (the engine alone) in host, a window of its own placed right of beside (if any), at
// the given size; returns once its OpenGL context exists.
BareMpvView* showReference(QWidget& host, const QWidget* beside, QSize size);

// The player window, and beside it the engine alone at the size of the component's video area: the two
// sides of the harnesses that time ours against the reference.
struct Sides {
    Sides();
    frm* window;
    MediaPlayer* player;
    VideoView* ours;
    QWidget referenceHost;
    BareMpvView* reference;
};

// Timings of ours and of the reference, counted in pairs: "COUNT n", "ours_ms" and "engine_ms" (medians).
void reportPairs(const char* count, const std::vector<double>& ours, const std::vector<double>& reference);

// The middle value (the upper one of an even count); -1 for none.
double median(std::vector<double> values);

// One figure a line, "name value", for bench/run.sh to collect.
void report(const char* name, double value);

} // namespace bench
