// Runs a program to its end and prints what it cost: its processor time (its own and its children's, from
// the kernel's accounting at exit, so this sampler's work is not in it), wall time, and the peak of its
// resident, proportional and unique memory, sampled from /proc/PID/smaps_rollup.
// Usage: bench_process_meter [--period-ms MS] -- COMMAND [ARGS...]
// Prints "cpu_s", "wall_s", "peak_rss_kib", "peak_pss_kib", "peak_uss_kib", "exit_status".
#include "bench/child_process.h"
#include "bench/proc_memory.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>

int main(int argc, char* argv[]) {
    int first = 1;
    int periodMs = 100;
    if (argc > 2 && std::strcmp(argv[first], "--period-ms") == 0) {
        periodMs = std::atoi(argv[first + 1]);
        first += 2;
    }
    if (first < argc && std::strcmp(argv[first], "--") == 0)
        ++first;
    if (first >= argc) {
        std::fprintf(stderr, "usage: %s [--period-ms MS] -- COMMAND [ARGS...]\n", argv[0]);
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = bench::spawn(argv + first);
    bench::Memory peak;
    int status = 0;
    rusage usage{};
    while (wait4(child, &status, WNOHANG, &usage) == 0) {
        bench::keepPeak(peak, bench::largestInTree(child));
        std::this_thread::sleep_for(std::chrono::milliseconds(periodMs));
    }
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
                       usage.ru_stime.tv_usec / 1e6;
    std::fflush(stdout); // the program's own lines, if it shares this standard output, come first
    std::printf("cpu_s %.3f\nwall_s %.3f\nexit_status %d\n", cpu, wall,
                WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
    bench::printMemory("peak", peak);
    return 0;
}
