// Stepping: the user holds an arrow key in the file list of a folder of small clips, so each step assigns a
// new URL to the player. Time per step and resident memory growth over the steps.
// Usage: bench_stepping FOLDER [STEPS]
#include "toolkit/file_list.h"
#include "bench/bench_support.h"
#include "engine/media_engine.h"
#include "media/media_player.h"
#include "player/player_window.h"

#include <QApplication>
#include <QTest>
#include <algorithm>
#include <cstdio>

int main(int argc, char* argv[]) {
    const auto app = bench::startApplication(argc, argv, 2, "FOLDER [STEPS]");
    const int steps = argc > 2 ? std::atoi(argv[2]) : 1000;
    frm* window = bench::showPlayerWindow();
    FileList* list = window->File1;
    MediaPlayer* player = window->WindowsMediaPlayer1;
    list->setPath(QString::fromLocal8Bit(argv[1]));
    while (list->model()->rowCount() == 0) // a big folder is read past the short wait, on a worker
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const int rows = list->model()->rowCount();
    list->setFocus();
    list->setCurrentIndex(list->model()->index(0, 0));

    int assigned = 0;
    QString lastUrl;
    // Down to the last file, then up to the first, and so on: every key press is a new file.
    int pressed = 0;
    auto step = [&] {
        const bool down = (pressed++ / (rows - 1)) % 2 == 0;
        QTest::keyClick(list, down ? Qt::Key_Down : Qt::Key_Up);
        if (player->URL() != lastUrl) {
            lastUrl = player->URL();
            ++assigned;
        }
        // Key repeat comes about every 30 ms; between two presses the event loop turns.
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
    };
    auto settle = [&] {
        bench::waitUntil([&] { return player->playState() == MediaEngine::Playing; }, 10000);
        bench::waitUntil([] { return false; }, 500);
    };

    // Warm-up: the engine's decoders and the list's caches exist before memory is first read.
    for (int i = 0; i < 50; ++i)
        step();
    settle();
    const long before = bench::residentKib();
    assigned = 0;
    const double start = bench::nowMs();
    for (int i = 0; i < steps; ++i)
        step();
    const double perStep = (bench::nowMs() - start) / steps;
    settle();
    const long after = bench::residentKib();

    bench::report("steps", steps);
    bench::report("assigned", assigned);
    bench::report("ms_per_step", perStep);
    bench::report("rss_before_kib", before);
    bench::report("rss_growth_kib", after - before);
    bench::report("state_at_end", player->playState());
    return 0;
}
