// Seek to picture: a 1080p clip whose centre square is red before 4 s and green from 4 s on plays from its
// start; half a second in, the Right arrow key (5 s ahead) is pressed on the real player's video area, and
// the time until the centre of the video area turns green on screen is taken. The bare libmpv client, beside
// it at the size of the video area, makes the same seek (to its position plus 5 s, exactly). Each side is
// timed with the other one stopped; the first seek of each warms the decoders and is not counted. Usage:
// bench_seek MARKED_1080P_CLIP [SEEKS]
#include "bench/bare_mpv_view.h"
#include "bench/bench_support.h"
#include "bench/screen_colour.h"
#include "media/media_controls.h"
#include "media/media_player.h"
#include "media/video_view.h"

#include <QApplication>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Opens the clip, waits for its red first frame and half a second of playing, then times the seek.
template <typename View>
double seekToGreen(View* view, const std::function<void()>& open, const std::function<void()>& seek) {
    if (bench::timeToColour(view, bench::Colour::Red, open) < 0)
        return -1;
    bench::waitUntil([] { return false; }, 500);
    return bench::timeToColour(view, bench::Colour::Green, seek);
}

} // namespace

int main(int argc, char* argv[]) {
    const auto app = bench::startApplication(argc, argv, 2, "MARKED_1080P_CLIP [SEEKS]");
    const QString clip = QString::fromLocal8Bit(argv[1]);
    const int seeks = argc > 2 ? std::atoi(argv[2]) : 3;
    bench::Sides sides;

    std::vector<double> oursMs, referenceMs;
    for (int i = 0; i <= seeks; ++i) {
        sides.reference->stop();
        const double a = seekToGreen(
            sides.ours, [&] { sides.player->setURL(clip); },
            [&] { QTest::keyClick(sides.ours, Qt::Key_Right); });
        sides.player->controls()->stop();
        const double b = seekToGreen(
            sides.reference, [&] { sides.reference->load(clip); }, [&] { sides.reference->seekBy(5); });
        sides.reference->stop();
        std::fprintf(stderr, "seek %d: ours %.1f ms, engine %.1f ms\n", i, a, b);
        if (i > 0 && a >= 0 && b >= 0) {
            oursMs.push_back(a);
            referenceMs.push_back(b);
        }
    }
    bench::reportPairs("counted_seeks", oursMs, referenceMs);
    return 0;
}
