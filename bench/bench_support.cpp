#include "bench/bench_support.h"
#include "app/application.h"
#include "bench/bare_mpv_view.h"

#include "app/window_registry.h"
#include "media/media_player.h"
#include "player/player_window.h"
#include "media/video_view.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace bench {

std::unique_ptr<QApplication> startApplication(int& argc, char* argv[], int needed, const char* usage) {
    prepareProcess();
    auto app = std::make_unique<QApplication>(argc, argv);
    setUpApplication();
    if (argc < needed) {
        std::fprintf(stderr, "usage: %s %s\n", argv[0], usage);
        std::exit(2);
    }
    return app;
}

double nowMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

static double cpuSeconds(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

double processCpuSeconds() {
    return cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
}

double threadCpuSeconds() {
    return cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
}

long residentKib() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

frm* showPlayerWindow() {
    showWindow(windows().frm);
    auto* window = static_cast<frm*>(windows().frm.get());
    if (!QTest::qWaitForWindowExposed(window, 10000))
        std::fprintf(stderr, "the player window did not come on screen\n");
    return window;
}

// Runs the event loop, blocked in it between events (processEvents() with a time limit would return at
// once when idle and turn this into a busy loop that costs a whole core), and looks at done() every 10 ms.
bool waitUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    if (done())
        return true;
    QEventLoop loop;
    QTimer tick;
    bool result = false;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (done()) {
            result = true;
            loop.quit();
        } else if (timer.elapsed() > timeoutMs) {
            loop.quit();
        }
    });
    tick.start(10);
    loop.exec();
    return result;
}

BareMpvView* showReference(QWidget& host, const QWidget* beside, QSize size) {
    host.setWindowTitle(QStringLiteral("bare libmpv"));
    auto* reference = new BareMpvView(&host);
    reference->resize(size);
    host.resize(size);
    if (beside)
        host.move(beside->frameGeometry().right() + 20, 0);
    host.show();
    waitUntil([&] { return reference->isValid(); }, 10000);
    return reference;
}

Sides::Sides()
    : window(showPlayerWindow()), player(window->WindowsMediaPlayer1), ours(player->videoView()),
      reference(showReference(referenceHost, window, ours->size())) {}

void reportPairs(const char* count, const std::vector<double>& ours, const std::vector<double>& reference) {
    report(count, double(ours.size()));
    report("ours_ms", median(ours));
    report("engine_ms", median(reference));
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

void report(const char* name, double value) {
    std::printf("%s %.4f\n", name, value);
    std::fflush(stdout);
}

} // namespace bench
