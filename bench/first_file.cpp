// The first file after start-up: a fresh process shows its window, sits idle as a user's window would
// before the first click, then opens a one-colour clip; the time until the video area's centre turns to
// that colour on screen. "ours": the real player window (which may prepare its engine while idle); "bare":
// the bare libmpv client in a plain QOpenGLWidget of the given size, made as it always is, with its window.
// Usage: bench_first_file ours|bare RED_CLIP [IDLE_MS [WIDTH HEIGHT]]   ("ours" also prints its video size)
#include "app/application.h"
#include "bench/bare_mpv_view.h"
#include "bench/bench_support.h"
#include "bench/screen_colour.h"
#include "player/media_engine.h"
#include "player/media_player.h"
#include "player/player_window.h"
#include "player/video_view.h"

#include <QApplication>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

namespace {

// Where the first file's time goes: each step's first occurrence, in ms after the URL was set
// ("t_surface_asked", "t_render_context", "t_loaded", "t_first_swap"; the picture itself is "first_ms").
class Timeline {
  public:
    explicit Timeline(MediaPlayer* player) {
        MediaEngine* engine = player->engine();
        mark(engine, &MediaEngine::renderTargetNeeded, "t_surface_asked");
        mark(engine, &MediaEngine::renderTargetReported, "t_render_context");
        mark(engine, &MediaEngine::durationChanged, "t_loaded", [engine] { return engine->duration() > 0; });
        mark(player->videoView(), &VideoView::frameSwapped, "t_first_swap");
    }
    void start() { startedAt_ = bench::nowMs(); }
    void report() const {
        for (const auto& [name, at] : times_)
            bench::report(name.c_str(), at);
    }

  private:
    template <typename Sender, typename Signal>
    void mark(Sender* sender, Signal signal, const char* name, std::function<bool()> when = {}) {
        QObject::connect(sender, signal, sender, [this, name, when] {
            if (!times_.count(name) && (!when || when()))
                times_[name] = bench::nowMs() - startedAt_;
        });
    }
    double startedAt_ = 0;
    std::map<std::string, double> times_;
};

double ours(const QString& clip, int idleMs) {
    frm* window = bench::showPlayerWindow();
    MediaPlayer* player = window->WindowsMediaPlayer1;
    bench::report("video_w", player->videoView()->width());
    bench::report("video_h", player->videoView()->height());
    bench::waitUntil([] { return false; }, idleMs);
    Timeline timeline(player);
    const double shown = bench::timeToColour(player->videoView(), bench::Colour::Red, [&] {
        timeline.start();
        player->setURL(clip);
    });
    timeline.report();
    return shown;
}

double bare(const QString& clip, int idleMs, QSize size) {
    QWidget host;
    BareMpvView* view = bench::showReference(host, nullptr, size);
    bench::waitUntil([] { return false; }, idleMs);
    return bench::timeToColour(view, bench::Colour::Red, [&] { view->load(clip); });
}

} // namespace

int main(int argc, char* argv[]) {
    const bool isOurs = argc > 1 && std::strcmp(argv[1], "ours") == 0;
    if (isOurs)
        prepareProcess();
    QApplication app(argc, argv);
    if (isOurs)
        setUpApplication();
    if (argc < 3 || (!isOurs && std::strcmp(argv[1], "bare") != 0)) {
        std::fprintf(stderr, "usage: %s ours|bare RED_CLIP [IDLE_MS [WIDTH HEIGHT]]\n", argv[0]);
        return 2;
    }
    const QString clip = QString::fromLocal8Bit(argv[2]);
    const int idleMs = argc > 3 ? std::atoi(argv[3]) : 1000;
    QSize size = argc > 5 ? QSize(std::atoi(argv[4]), std::atoi(argv[5])) : QSize();
    if (size.isEmpty())
        size = QSize(553, 239); // our video area in the player window at 96 DPI

    bench::report("first_ms", isOurs ? ours(clip, idleMs) : bare(clip, idleMs, size));
    return 0;
}
