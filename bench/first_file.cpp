// The first file after start-up: a fresh process shows its window, sits idle as a user's window would
// before the first click, then opens a one-colour clip; the time until the video area's centre turns to
// that colour on screen. "ours": the real player window, with the pointer brought into its list of files
// half a second before the click, as a user's pointer comes there before picking a file (the player gets
// ready then); "ours-cold": the same with no pointer anywhere near; "bare": the bare libmpv client in a plain
// QOpenGLWidget of the given size, made as it always is, with its window. Neither side keeps shader caches
// on disk: our program writes no files, so the reference is not given Mesa's cache either.
// Usage: bench_first_file ours|ours-cold|bare RED_CLIP [IDLE_MS [WIDTH HEIGHT]]   (ours also prints its size)
#include "app/application.h"
#include "bench/bare_mpv_view.h"
#include "bench/bench_support.h"
#include "bench/screen_colour.h"
#include "engine/media_engine.h"
#include "media/media_player.h"
#include "player/player_window.h"
#include "media/video_view.h"
#include "toolkit/file_list.h"

#include <QApplication>
#include <QCursor>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

namespace {

// Where the first file's time goes: each step's first occurrence, in ms after the URL was set
// ("t_surface_asked", "t_render_context", "t_loaded"; the picture itself is "first_ms").
class Timeline {
  public:
    explicit Timeline(MediaPlayer* player) {
        MediaEngine* engine = player->engine();
        mark(engine, &MediaEngine::renderTargetNeeded, "t_surface_asked");
        mark(engine, &MediaEngine::renderTargetReported, "t_render_context");
        mark(engine, &MediaEngine::durationChanged, "t_loaded", [engine] { return engine->duration() > 0; });
    }
    void start() { startedAt_ = bench::nowMs(); }
    void report() const {
        for (const auto& [name, at] : times_)
            bench::report(name.c_str(), at);
    }

  private:
    template <typename Sender, typename Signal>
    void mark(Sender* sender, Signal signal, const char* name, const std::function<bool()>& when = {}) {
        QObject::connect(sender, signal, sender, [this, name, when] {
            if (!times_.count(name) && (!when || when()))
                times_[name] = bench::nowMs() - startedAt_;
        });
    }
    double startedAt_ = 0;
    std::map<std::string, double> times_;
};

double ours(const QString& clip, int idleMs, bool pointer) {
    QCursor::setPos(0, 0); // away from where the window will be, whatever the run before left
    frm* window = bench::showPlayerWindow();
    MediaPlayer* player = window->WindowsMediaPlayer1;
    bench::report("video_w", player->videoView()->width());
    bench::report("video_h", player->videoView()->height());
    bench::waitUntil([] { return false; }, idleMs);
    if (pointer) {
        QCursor::setPos(window->File1->mapToGlobal(window->File1->rect().center()));
        bench::waitUntil([] { return false; }, 500);
    }
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
    const bool cold = argc > 1 && std::strcmp(argv[1], "ours-cold") == 0;
    const bool isOurs = cold || (argc > 1 && std::strcmp(argv[1], "ours") == 0);
    if (isOurs)
        prepareProcess();
    else
        qputenv("MESA_SHADER_CACHE_DISABLE", "true");
    QApplication app(argc, argv);
    if (isOurs)
        setUpApplication();
    if (argc < 3 || (!isOurs && std::strcmp(argv[1], "bare") != 0)) {
        std::fprintf(stderr, "usage: %s ours|ours-cold|bare RED_CLIP [IDLE_MS [WIDTH HEIGHT]]\n", argv[0]);
        return 2;
    }
    const QString clip = QString::fromLocal8Bit(argv[2]);
    const int idleMs = argc > 3 ? std::atoi(argv[3]) : 1000;
    QSize size = argc > 5 ? QSize(std::atoi(argv[4]), std::atoi(argv[5])) : QSize();
    if (size.isEmpty())
        size = QSize(553, 239); // our video area in the player window at 96 DPI

    bench::report("first_ms", isOurs ? ours(clip, idleMs, !cold) : bare(clip, idleMs, size));
    return 0;
}
