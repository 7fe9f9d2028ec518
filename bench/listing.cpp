// Listing: File1.Path set to a large folder in the real player window, against a bare readdir loop over the
// same folder, in turn in one process. Processor time of the UI thread (a busy shared machine cannot
// stretch it as it stretches wall time); wall time too. Memory: what the process holds more once the folder
// is listed the first time (resident and unique), divided by the entries listed.
// Usage: bench_listing FOLDER [ROUNDS]
#include "toolkit/file_list.h"
#include "bench/bench_support.h"
#include "bench/proc_memory.h"
#include "player/player_window.h"

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
        double cpu = bench::threadCpuSeconds(), wall = bench::nowMs();
        list->setPath(folder);
        while (list->model()->rowCount() == 0) // a big folder is read past the short wait, on a worker
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCoreApplication::processEvents(); // the list lays itself out and paints
        const double oc = bench::threadCpuSeconds() - cpu, ow = bench::nowMs() - wall;
        if (i == 0)
            held = heldPerEntry(before, bench::readMemory(0), list->model()->rowCount());

        cpu = bench::threadCpuSeconds();
        wall = bench::nowMs();
        count = readdirCount(argv[1]);
        const double bc = bench::threadCpuSeconds() - cpu, bw = bench::nowMs() - wall;
        if (i > 0) {
            oursCpu.push_back(oc * 1000);
            oursWall.push_back(ow);
            bareCpu.push_back(bc * 1000);
            bareWall.push_back(bw);
        }
    }
    bench::report("files", double(count));
    bench::report("listed", list->model()->rowCount());
    bench::report("ours_cpu_ms", bench::median(oursCpu));
    bench::report("ours_wall_ms", bench::median(oursWall));
    bench::report("readdir_cpu_ms", bench::median(bareCpu));
    bench::report("readdir_wall_ms", bench::median(bareWall));
    bench::report("rss_bytes_per_entry", held.first);
    bench::report("uss_bytes_per_entry", held.second);
    return 0;
}
