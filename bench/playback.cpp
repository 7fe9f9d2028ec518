// Playback in the real player window. Prints the video area's size, so the reference players can draw at
// the same size, and the event-loop delay of the idle window; then, as asked:
//   --cpu        processor time per media second from the URL to the end, with nothing else running in the
//                process, and the frames the core dropped: frame-drop-count (by the video output; its old
//                name is vo-drop-frame-count) and decoder-frame-drop-count;
//   --probe      the same file again under the event-loop probe (an event posted every 5 ms from another
//                thread, its wait until delivery), and peak memory sampled from a thread meanwhile;
//   --reference  the same file twice in the engine alone (a bare libmpv client in a plain QOpenGLWidget of
//                the same size): its processor time, then its event-loop delay;
//   --full-screen all of it in full screen.
// Also which way the video was drawn (software_path 1, or 0 for OpenGL).
// Usage: bench_playback CLIP [--cpu] [--probe] [--reference] [--full-screen]
#include "bench/bare_mpv_view.h"
#include "bench/bench_support.h"
#include "bench/latency_probe.h"
#include "bench/memory_sampler.h"
#include "engine/media_engine.h"
#include "media/media_player.h"
#include "media/video_view.h"
#include "player/player_window.h"

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <cstdio>

namespace {

// Plays a file in the player to its end and remembers its length (the engine forgets it once it has ended).
class Playing {
  public:
    explicit Playing(MediaPlayer* player) : player_(player) {
        QObject::connect(player->engine(), &MediaEngine::durationChanged,
                         [this](double seconds) { media_ = std::max(media_, seconds); });
        QObject::connect(player, &MediaPlayer::PlayStateChange, [this](int state) {
            if (state == MediaEngine::MediaEnded || (state == MediaEngine::Stopped && media_ > 0))
                ended_ = true;
        });
    }
    void toTheEnd(const QString& clip) {
        ended_ = false;
        player_->setURL(clip);
        bench::waitUntil([this] { return ended_; }, 120000);
    }
    double mediaSeconds() const { return media_; }

  private:
    MediaPlayer* player_;
    double media_ = 0;
    bool ended_ = false;
};

// The core's drop counters are read while the file plays: they are gone once it has ended.
void measureCpu(MediaPlayer* player, Playing& playing, const QString& clip) {
    double decoderDrops = 0, outputDrops = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        outputDrops = std::max(outputDrops, player->engine()->coreProperty("frame-drop-count").toDouble());
        decoderDrops =
            std::max(decoderDrops, player->engine()->coreProperty("decoder-frame-drop-count").toDouble());
    });
    poll.start(250);
    const double cpuBefore = bench::processCpuSeconds();
    const double wallBefore = bench::nowMs();
    playing.toTheEnd(clip);
    const double cpu = bench::processCpuSeconds() - cpuBefore;
    const double media = playing.mediaSeconds();
    bench::report("media_s", media);
    bench::report("wall_s", (bench::nowMs() - wallBefore) / 1000);
    bench::report("cpu_per_media_s", media > 0 ? cpu / media : -1);
    bench::report("frame_drop_count", outputDrops);
    bench::report("decoder_frame_drop_count", decoderDrops);
}

void measureDelay(Playing& playing, const QString& clip) {
    bench::MemorySampler sampler;
    bench::LatencyProbe probe;
    probe.start();
    playing.toTheEnd(clip);
    probe.stop();
    bench::printMemory("play_peak", sampler.stopped());
    bench::report("play_p50_ms", probe.percentile(0.5));
    bench::report("play_p99_ms", probe.percentile(0.99));
    bench::report("probes", double(probe.count()));
}

void measureReference(frm* window, const QString& clip, double media) {
    QWidget host;
    BareMpvView* reference =
        bench::showReference(host, window, window->WindowsMediaPlayer1->videoView()->size());
    const double cpuBefore = bench::processCpuSeconds();
    reference->load(clip);
    bench::waitUntil([&] { return reference->ended(); }, 120000);
    bench::report("engine_cpu_per_media_s",
                  media > 0 ? (bench::processCpuSeconds() - cpuBefore) / media : -1);
    bench::LatencyProbe probe;
    probe.start();
    reference->load(clip);
    bench::waitUntil([&] { return reference->ended(); }, 120000);
    probe.stop();
    bench::report("engine_p50_ms", probe.percentile(0.5));
    bench::report("engine_p99_ms", probe.percentile(0.99));
}

} // namespace

int main(int argc, char* argv[]) {
    const auto app =
        bench::startApplication(argc, argv, 2, "CLIP [--cpu] [--probe] [--reference] [--full-screen]");
    const QString clip = QString::fromLocal8Bit(argv[1]);
    frm* window = bench::showPlayerWindow();
    MediaPlayer* player = window->WindowsMediaPlayer1;
    bench::report("video_w", player->videoView()->width());
    bench::report("video_h", player->videoView()->height());

    bench::LatencyProbe idle;
    idle.start();
    bench::waitUntil([] { return false; }, 1000);
    idle.stop();
    bench::report("idle_p99_ms", idle.percentile(0.99));

    Playing playing(player);
    const QStringList asked = QCoreApplication::arguments().mid(2);
    if (asked.contains(QStringLiteral("--full-screen"))) {
        player->setFullScreen(true);
        bench::waitUntil([] { return false; }, 500);
    }
    if (asked.contains(QStringLiteral("--cpu")))
        measureCpu(player, playing, clip);
    if (asked.contains(QStringLiteral("--probe")))
        measureDelay(playing, clip);
    bench::report("software_path", player->videoView()->drawingPath() == QLatin1String("software"));
    if (asked.contains(QStringLiteral("--reference")))
        measureReference(window, clip, playing.mediaSeconds());
    return 0;
}
