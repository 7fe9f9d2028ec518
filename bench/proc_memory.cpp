#include "bench/proc_memory.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace bench {

namespace {

std::string procPath(pid_t pid, const std::string& leaf) {
    return "/proc/" + (pid == 0 ? std::string("self") : std::to_string(pid)) + "/" + leaf;
}

long kib(const std::string& line, const char* key) {
    const std::string prefix = std::string(key) + ":";
    return line.rfind(prefix, 0) == 0 ? std::atol(line.c_str() + prefix.size()) : -1;
}

} // namespace

Memory readMemory(pid_t pid) {
    std::ifstream rollup(procPath(pid, "smaps_rollup"));
    Memory memory;
    long privateKib = 0;
    bool seen = false;
    for (std::string line; std::getline(rollup, line);) {
        if (long v = kib(line, "Rss"); v >= 0)
            memory.rssKib = v;
        else if (long v = kib(line, "Pss"); v >= 0)
            memory.pssKib = v;
        else if (long v = std::max(kib(line, "Private_Clean"), kib(line, "Private_Dirty")); v >= 0) {
            privateKib += v;
            seen = true;
        }
    }
    if (seen)
        memory.ussKib = privateKib;
    return memory;
}

Memory largestInTree(pid_t pid) {
    Memory best = readMemory(pid);
    std::ifstream children(procPath(pid, "task/" + std::to_string(pid) + "/children"));
    for (pid_t child; children >> child;) {
        const Memory candidate = largestInTree(child);
        if (candidate.rssKib > best.rssKib)
            best = candidate;
    }
    return best;
}

void keepPeak(Memory& peak, const Memory& now) {
    peak.rssKib = std::max(peak.rssKib, now.rssKib);
    peak.pssKib = std::max(peak.pssKib, now.pssKib);
    peak.ussKib = std::max(peak.ussKib, now.ussKib);
}

void printMemory(const char* prefix, const Memory& memory) {
    std::printf("%s_rss_kib %ld\n%s_pss_kib %ld\n%s_uss_kib %ld\n", prefix, memory.rssKib, prefix,
                memory.pssKib, prefix, memory.ussKib);
    std::fflush(stdout);
}

} // namespace bench
