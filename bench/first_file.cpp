// The first file after start-up: a fresh process shows its window, sits idle as a user's window would
// before the first click, then opens a one-colour clip; the time until the video area's centre turns to
// that colour on screen. "ours": the real player window (which may prepare its engine while idle); "bare":
// the bare libmpv client in a plain QOpenGLWidget of the given size, made as it always is, with its window.
// Usage: bench_first_file ours|bare RED_CLIP [IDLE_MS [WIDTH HEIGHT]]   ("ours" also prints its video size)
#include "app/application.h"
#include "bench/bare_mpv_view.h"
#include "bench/bench_support.h"
#include "bench/screen_colour.h"
#include "player/media_player.h"
#include "player/player_window.h"
#include "player/video_view.h"

#include <QApplication>
#include <cstdio>
#include <cstring>

namespace {

double ours(const QString& clip, int idleMs) {
    frm* window = bench::showPlayerWindow();
    MediaPlayer* player = window->WindowsMediaPlayer1;
    bench::report("video_w", player->videoView()->width());
    bench::report("video_h", player->videoView()->height());
    bench::waitUntil([] { return false; }, idleMs);
    return bench::timeToColour(player->videoView(), bench::Colour::Red, [&] { player->setURL(clip); });
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
