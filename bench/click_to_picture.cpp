// Click to picture: from the URL assignment to the first frame of the new file on screen, for the component
// in the real player window and for the engine alone (a bare libmpv client in a plain QOpenGLWidget), in
// turn in one process on one X server. Two clips of one solid colour each (red, green) take turns, so the
// first frame is the moment the centre pixel of the video area turns to the new clip's colour.
// Usage: bench_click_to_picture RED_CLIP GREEN_CLIP [PAIRS]
#include "app/application.h"
#include "bench/bare_mpv_view.h"
#include "bench/bench_support.h"
#include "player/media_controls.h"
#include "player/media_player.h"
#include "player/player_window.h"
#include "player/video_view.h"

#include <QApplication>
#include <QScreen>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

enum class Colour { Red, Green, Other };

// The centre pixel of the view as the X server has it on screen: the same read for both sides.
Colour centreColour(QWidget* view) {
    const QPoint centre = view->mapTo(view->window(), view->rect().center());
    const QImage pixel = QGuiApplication::primaryScreen()
                             ->grabWindow(view->window()->winId(), centre.x(), centre.y(), 1, 1)
                             .toImage();
    const QColor c = pixel.isNull() ? QColor() : pixel.pixelColor(0, 0);
    if (c.red() > 180 && c.green() < 80 && c.blue() < 80)
        return Colour::Red;
    if (c.green() > 180 && c.red() < 80 && c.blue() < 80)
        return Colour::Green;
    return Colour::Other;
}

// Milliseconds from start() to the first swapped frame showing the wanted colour; -1 on a timeout.
template <typename View> double timeToColour(View* view, Colour wanted, const std::function<void()>& start) {
    double shownAt = -1;
    const auto connection = QObject::connect(view, &View::frameSwapped, view, [&] {
        if (shownAt < 0 && centreColour(view) == wanted)
            shownAt = bench::nowMs();
    });
    const double startedAt = bench::nowMs();
    start();
    bench::waitUntil([&] { return shownAt >= 0; }, 10000);
    QObject::disconnect(connection);
    return shownAt < 0 ? -1 : shownAt - startedAt;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[]) {
    prepareProcess();
    QApplication app(argc, argv);
    setUpApplication();
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s RED_CLIP GREEN_CLIP [PAIRS]\n", argv[0]);
        return 2;
    }
    const QString clips[] = {QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2])};
    const int pairs = argc > 3 ? std::atoi(argv[3]) : 3;

    frm* window = bench::showPlayerWindow();
    MediaPlayer* player = window->WindowsMediaPlayer1;
    VideoView* ours = player->videoView();

    // The reference stands beside the player window, at the very size of the component's video area.
    QWidget referenceWindow;
    referenceWindow.setWindowTitle(QStringLiteral("bare libmpv"));
    auto* reference = new BareMpvView(&referenceWindow);
    reference->resize(ours->size());
    referenceWindow.resize(ours->size());
    referenceWindow.move(window->frameGeometry().right() + 20, 0);
    referenceWindow.show();
    bench::waitUntil([&] { return reference->isValid(); }, 10000);

    std::vector<double> oursMs, referenceMs;
    // The first pair warms the file cache and both engines' decoders; it is not counted.
    for (int i = 0; i < pairs + 2; ++i) {
        const Colour colour = i % 2 ? Colour::Green : Colour::Red;
        const QString clip = clips[i % 2];
        // Each side is timed with the other one stopped, so that neither draws frames during the other's
        // turn.
        reference->stop();
        const double a = timeToColour(ours, colour, [&] { player->setURL(clip); });
        player->controls()->stop();
        const double b = timeToColour(reference, colour, [&] { reference->load(clip); });
        std::fprintf(stderr, "pair %d: ours %.1f ms, engine %.1f ms\n", i, a, b);
        if (i >= 2 && a >= 0 && b >= 0) {
            oursMs.push_back(a);
            referenceMs.push_back(b);
        }
    }
    bench::report("counted_pairs", double(oursMs.size()));
    bench::report("ours_ms", median(oursMs));
    bench::report("engine_ms", median(referenceMs));
    return 0;
}
