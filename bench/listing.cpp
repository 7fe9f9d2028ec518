// Listing: File1.Path set to a large folder in the real player window, against a bare readdir loop over the
// same folder, in turn in one process. Wall time until the rows are shown (the folder is read on a worker),
// and processor time of the UI thread. Meanwhile the event loop's delay: an event posted every 5 ms, the
// 99th percentile of its wait. Memory: what the process holds more once the folder is listed the first
// time (resident and unique), divided by the entries listed.
// Usage: bench_listing FOLDER [ROUNDS]
#include "bench/bench_support.h"
#include "bench/latency_probe.h"
#include "bench/proc_memory.h"
#include "player/player_window.h"
#include "toolkit/file_list.h"

#include <QApplication>
#include <cstdio>
#include <dirent.h>
#include <utility>
#include <vector>

namespace {

// What any listing must do at least: read every name of the folder once.
long readdirCount(const char* folder) {
    DIR* dir = opendir(folder);
    if (!dir)
        return -1;
    long count = 0;
    while (const dirent* entry = readdir(dir))
        if (entry->d_name[0] != '.')
            ++count;
    closedir(dir);
    return count;
}

// Bytes more held per entry, resident and unique.
std::pair<double, double> heldPerEntry(const bench::Memory& before, const bench::Memory& after, int entries) {
    if (entries <= 0)
        return {-1, -1};
    return {(after.rssKib - before.rssKib) * 1024.0 / entries,
            (after.ussKib - before.ussKib) * 1024.0 / entries};
}

// The list set to the folder: the UI thread's processor time and the wall time until the rows are shown, ms.
std::pair<double, double> listOnce(FileList* list, const QString& folder) {
    const double cpu = bench::threadCpuSeconds(), wall = bench::nowMs();
    list->setPath(folder);
    while (list->model()->rowCount() == 0) // a big folder is read past the short wait, on a worker
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QCoreApplication::processEvents(); // the list lays itself out and paints
    return {(bench::threadCpuSeconds() - cpu) * 1000, bench::nowMs() - wall};
}

} // namespace

int main(int argc, char* argv[]) {
    const auto app = bench::startApplication(argc, argv, 2, "FOLDER [ROUNDS]");
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    frm* window = bench::showPlayerWindow();
    FileList* list = window->File1;
    const QString elsewhere = QStringLiteral("/");

    std::vector<double> oursCpu, oursWall, bareCpu, bareWall;
    long count = 0;
    std::pair<double, double> held{-1, -1};
    for (int i = 0; i <= rounds; ++i) { // the first round warms the caches and is not counted
        list->setPath(elsewhere);
        QCoreApplication::processEvents();
        const bench::Memory before = i == 0 ? bench::readMemory(0) : bench::Memory{};
        const auto [oc, ow] = listOnce(list, folder);
        if (i == 0)
            held = heldPerEntry(before, bench::readMemory(0), list->model()->rowCount());

        const double cpu = bench::threadCpuSeconds(), wall = bench::nowMs();
        count = readdirCount(argv[1]);
        const double bc = bench::threadCpuSeconds() - cpu, bw = bench::nowMs() - wall;
        if (i > 0) {
            oursCpu.push_back(oc);
            oursWall.push_back(ow);
            bareCpu.push_back(bc * 1000);
            bareWall.push_back(bw);
        }
    }
    // The event loop's delay over one listing more, apart: the probe's events wake the loop every 5 ms, and
    // would hide from the times above an answer that fails to wake it.
    list->setPath(elsewhere);
    QCoreApplication::processEvents();
    bench::LatencyProbe probe;
    probe.start();
    listOnce(list, folder);
    probe.stop();
    QCoreApplication::processEvents();
    bench::report("files", double(count));
    bench::report("listed", list->model()->rowCount());
    bench::report("ours_cpu_ms", bench::median(oursCpu));
    bench::report("ours_wall_ms", bench::median(oursWall));
    bench::report("readdir_cpu_ms", bench::median(bareCpu));
    bench::report("readdir_wall_ms", bench::median(bareWall));
    bench::report("listing_p99_ms", probe.percentile(0.99));
    bench::report("rss_bytes_per_entry", held.first);
    bench::report("uss_bytes_per_entry", held.second);
    return 0;
}
