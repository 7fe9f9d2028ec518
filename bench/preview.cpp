// Seek-bar previews on the 1080p clip (a keyframe every 2 s), in the real player window, paused: the pointer
// comes to rest at spread-out places of the seek bar, and the time until the preview has painted the new
// picture is taken (the first rest, which makes the preview core, is reported apart). Then the pointer
// sweeps the bar for 5 s, a move every 16 ms: the process's processor time and the event loop's p99 delay.
// Memory: RSS before the first preview, the peak while previews are in use, and 5 s after the pointer left.
// Usage: bench_preview CLIP_1080P [RESTS]
#include "bench/bench_support.h"
#include "bench/latency_probe.h"
#include "media/media_controls.h"
#include "media/media_player.h"
#include "media/seek_preview.h"
#include "media/seek_slider.h"
#include "media/transport_bar.h"
#include "player/player_window.h"

#include <QApplication>
#include <QTest>
#include <algorithm>
#include <cstdio>

namespace {

// Which picture the preview last painted, to tell when a new one is on screen.
class PaintWatch : public QObject {
  public:
    explicit PaintWatch(SeekPreview* preview) : preview_(preview) { preview->installEventFilter(this); }
    qint64 painted = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted = preview_->picture().cacheKey();
        return false;
    }

  private:
    SeekPreview* preview_;
};

// The pointer comes to rest over `ms`; the time until the preview has painted a picture it did not have.
double restAt(SeekSlider* seek, SeekPreview* preview, const PaintWatch& watch, int ms) {
    const qint64 before = preview->picture().cacheKey();
    const double start = bench::nowMs();
    QTest::mouseMove(seek, QPoint(seek->xOf(ms), seek->height() / 2));
    const bool done = bench::waitUntil([&] { return watch.painted != before && watch.painted != 0; }, 5000);
    return done ? bench::nowMs() - start : -1;
}

// The clip in the real player window, paused once it plays.
MediaPlayer* openPaused(const QString& clip) {
    MediaPlayer* player = bench::showPlayerWindow()->WindowsMediaPlayer1;
    player->setURL(clip);
    bench::waitUntil([&] { return player->playState() == 3; }, 20000);
    player->controls()->pause();
    return player;
}

} // namespace

int main(int argc, char* argv[]) {
    const auto app = bench::startApplication(argc, argv, 2, "CLIP_1080P [RESTS]");
    MediaPlayer* player = openPaused(QString::fromLocal8Bit(argv[1]));
    const int rests = argc > 2 ? std::atoi(argv[2]) : 10;
    SeekSlider* seek = player->transportBar()->seekSlider();
    bench::waitUntil([&] { return seek->isEnabled() && seek->maximum() > 0; }, 5000);
    auto* preview = seek->findChild<SeekPreview*>();
    const PaintWatch watch(preview);
    bench::waitUntil([] { return false; }, 1000);
    const long before = bench::residentKib();
    long peak = before;

    bench::report("first_preview_ms", restAt(seek, preview, watch, seek->maximum() / 2));
    std::vector<double> times;
    for (int i = 0; i < rests; ++i) {
        const int ms = int((i * 0.37 + 0.05 - int(i * 0.37 + 0.05)) * seek->maximum()); // spread over the bar
        const double t = restAt(seek, preview, watch, ms);
        if (t >= 0)
            times.push_back(t);
        peak = std::max(peak, bench::residentKib());
        std::fprintf(stderr, "rest %d at %d ms: %.1f ms\n", i, ms, t);
    }
    bench::report("rests", double(times.size()));
    bench::report("preview_ms", bench::median(times));
    bench::report("worst_preview_ms", times.empty() ? -1 : *std::max_element(times.begin(), times.end()));

    bench::LatencyProbe probe;
    probe.start();
    const double cpu0 = bench::processCpuSeconds(), t0 = bench::nowMs();
    for (int step = 0; bench::nowMs() - t0 < 5000; ++step) {
        const int x = (step * 4) % std::max(1, seek->width());
        QTest::mouseMove(seek, QPoint(x, seek->height() / 2));
        bench::waitUntil([] { return false; }, 16);
        peak = std::max(peak, bench::residentKib());
    }
    bench::report("sweep_cpu_per_s", (bench::processCpuSeconds() - cpu0) / ((bench::nowMs() - t0) / 1000));
    probe.stop();
    bench::report("sweep_p99_ms", probe.percentile(0.99));

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(seek, &leave);
    bench::waitUntil([] { return false; }, 5000);
    bench::report("before_kib", double(before));
    bench::report("peak_growth_kib", double(peak - before));
    bench::report("after_growth_kib", double(bench::residentKib() - before));
    return 0;
}
