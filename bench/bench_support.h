#pragma once
// What the in-process benchmark harnesses share: the application set up as main() does, the player window
// and the reference beside it, clocks, the process's own resident memory and processor time, medians.

#include <QSize>
#include <QString>
#include <functional>
#include <vector>

class QApplication;
class frm;
class BareMpvView;
class QWidget;

namespace bench {

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

// The middle value (the upper one of an even count); -1 for none.
double median(std::vector<double> values);

// One figure a line, "name value", for bench/run.sh to collect.
void report(const char* name, double value);

} // namespace bench
