// Playback in the real player window: processor time per media second, resident memory idle and while
// playing, and how long an event posted from another thread waits in the Qt event loop (idle, then while
// playing, and for the engine alone). Prints the video area's size so the reference players can draw at the
// same size. Usage: bench_playback CLIP
#include "app/application.h"
#include "bench/bare_mpv_view.h"
#include "bench/bench_support.h"
#include "player/media_engine.h"
#include "player/media_player.h"
#include "player/player_window.h"
#include "player/video_view.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

const QEvent::Type ProbeEvent = static_cast<QEvent::Type>(QEvent::User + 17);

struct Probe : QEvent {
    explicit Probe(double at) : QEvent(ProbeEvent), postedAt(at) {}
    double postedAt;
};

// Receives the probes on the UI thread and keeps their delays.
class LatencyProbe : public QObject {
  public:
    std::vector<double> delays;

    void start() {
        running_ = true;
        sender_ = std::thread([this] {
            while (running_) {
                QCoreApplication::postEvent(this, new Probe(bench::nowMs()));
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
    }
    void stop() {
        running_ = false;
        if (sender_.joinable())
            sender_.join();
    }
    double percentile(double p) const {
        std::vector<double> sorted = delays;
        std::sort(sorted.begin(), sorted.end());
        return sorted.empty() ? -1 : sorted[std::min(sorted.size() - 1, size_t(p * sorted.size()))];
    }
    ~LatencyProbe() override { stop(); }

  protected:
    bool event(QEvent* event) override {
        if (event->type() != ProbeEvent)
            return QObject::event(event);
        delays.push_back(bench::nowMs() - static_cast<Probe*>(event)->postedAt);
        return true;
    }

  private:
    std::atomic<bool> running_{false};
    std::thread sender_;
};

} // namespace

int main(int argc, char* argv[]) {
    prepareProcess();
    QApplication app(argc, argv);
    setUpApplication();
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CLIP\n", argv[0]);
        return 2;
    }
    frm* window = bench::showPlayerWindow();
    MediaPlayer* player = window->WindowsMediaPlayer1;
    bench::report("video_w", player->videoView()->width());
    bench::report("video_h", player->videoView()->height());

    LatencyProbe idleProbe;
    idleProbe.start();
    bench::waitUntil([] { return false; }, 1000);
    idleProbe.stop();
    bench::report("idle_rss_kib", bench::residentKib());
    bench::report("idle_p99_ms", idleProbe.percentile(0.99));

    long peakKib = 0;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] { peakKib = std::max(peakKib, bench::residentKib()); });
    sampler.start(100);

    bool ended = false;
    double media = 0; // the engine forgets the duration once the file has ended
    QObject::connect(player->engine(), &MediaEngine::durationChanged,
                     [&](double seconds) { media = std::max(media, seconds); });
    QObject::connect(player, &MediaPlayer::PlayStateChange, [&](int state) {
        if (state == MediaEngine::MediaEnded || (state == MediaEngine::Stopped && media > 0))
            ended = true;
    });
    const auto playToTheEnd = [&] {
        ended = false;
        player->setURL(QString::fromLocal8Bit(argv[1]));
        bench::waitUntil([&] { return ended; }, 120000);
    };

    // Processor time first, with nothing else running in the process; then the same file again under the
    // event-loop probe, whose own posting and delivery would otherwise count as playback.
    const double cpuBefore = bench::processCpuSeconds();
    const double wallBefore = bench::nowMs();
    playToTheEnd();
    const double cpu = bench::processCpuSeconds() - cpuBefore;
    bench::report("media_s", media);
    bench::report("wall_s", (bench::nowMs() - wallBefore) / 1000);
    bench::report("cpu_per_media_s", media > 0 ? cpu / media : -1);

    LatencyProbe playProbe;
    playProbe.start();
    playToTheEnd();
    playProbe.stop();
    bench::report("play_rss_kib", peakKib);
    bench::report("play_p50_ms", playProbe.percentile(0.5));
    bench::report("play_p99_ms", playProbe.percentile(0.99));
    bench::report("probes", double(playProbe.delays.size()));

    // The same file in the engine alone (a bare libmpv client in a plain QOpenGLWidget of the same size),
    // with the same probe: the event-loop delay that software OpenGL and the machine cause by themselves.
    QWidget referenceWindow;
    auto* reference = new BareMpvView(&referenceWindow);
    reference->resize(player->videoView()->size());
    referenceWindow.resize(reference->size());
    referenceWindow.move(window->frameGeometry().right() + 20, 0);
    referenceWindow.show();
    bench::waitUntil([&] { return reference->isValid(); }, 10000);
    const double engineCpuBefore = bench::processCpuSeconds();
    reference->load(QString::fromLocal8Bit(argv[1]));
    bench::waitUntil([&] { return reference->ended(); }, 120000);
    bench::report("engine_cpu_per_media_s",
                  media > 0 ? (bench::processCpuSeconds() - engineCpuBefore) / media : -1);
    LatencyProbe engineProbe;
    engineProbe.start();
    reference->load(QString::fromLocal8Bit(argv[1]));
    bench::waitUntil([&] { return reference->ended(); }, 120000);
    engineProbe.stop();
    bench::report("engine_p50_ms", engineProbe.percentile(0.5));
    bench::report("engine_p99_ms", engineProbe.percentile(0.99));
    return 0;
}
