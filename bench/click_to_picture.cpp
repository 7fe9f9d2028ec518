// Click to picture: from the URL assignment to the first frame of the new file on screen, for the component
// in the real player window and for the engine alone (a bare libmpv client in a plain QOpenGLWidget), in
// turn in one process on one X server. Two clips of one solid colour each (red, green) take turns, so the
// first frame is the moment the centre pixel of the video area turns to the new clip's colour.
// Usage: bench_click_to_picture RED_CLIP GREEN_CLIP [PAIRS]
#include "bench/bare_mpv_view.h"
#include "bench/bench_support.h"
#include "bench/screen_colour.h"
#include "media/media_controls.h"
#include "media/media_player.h"
#include "media/video_view.h"

#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Both sides stopped, and the event loop run until the last pictures of their stops are drawn. The two share
// one UI thread, where the reference repaints its widget when it stops (over 20 ms on software OpenGL): the
// stop's repaint would otherwise fall inside the other side's turn and be counted as its wait.
void stopBoth(bench::Sides& sides) {
    sides.reference->stop();
    sides.player->controls()->stop();
    bench::waitUntil([] { return false; }, 300);
}

} // namespace

int main(int argc, char* argv[]) {
    const auto app = bench::startApplication(argc, argv, 3, "RED_CLIP GREEN_CLIP [PAIRS]");
    const QString clips[] = {QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2])};
    const int pairs = argc > 3 ? std::atoi(argv[3]) : 3;

    // The reference stands beside the player window, at the very size of the component's video area.
    bench::Sides sides;

    std::vector<double> oursMs, referenceMs;
    // The first pair warms the file cache and both engines' decoders; it is not counted.
    for (int i = 0; i < pairs + 2; ++i) {
        const bench::Colour colour = i % 2 ? bench::Colour::Green : bench::Colour::Red;
        const QString clip = clips[i % 2];
        // Each side is timed with the other one stopped and quiet, so that neither draws during the other's
        // turn.
        stopBoth(sides);
        const double a = bench::timeToColour(sides.ours, colour, [&] { sides.player->setURL(clip); });
        stopBoth(sides);
        const double b = bench::timeToColour(sides.reference, colour, [&] { sides.reference->load(clip); });
        std::fprintf(stderr, "pair %d: ours %.1f ms, engine %.1f ms\n", i, a, b);
        if (i >= 2 && a >= 0 && b >= 0) {
            oursMs.push_back(a);
            referenceMs.push_back(b);
        }
    }
    bench::reportPairs("counted_pairs", oursMs, referenceMs);
    // The run's figure is the ratio of the medians; the worst single pair shows how far one click strays.
    double worst = -1;
    for (size_t i = 0; i < oursMs.size(); ++i)
        worst = std::max(worst, oursMs[i] / referenceMs[i]);
    bench::report("worst_pair_ratio", worst);
    return 0;
}
