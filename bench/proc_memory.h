#pragma once
// A process's memory as the kernel counts it, from /proc/PID/smaps_rollup: resident (RSS), proportional
// (PSS: shared pages divided among the processes that map them) and unique (USS: pages no other process
// maps). RSS counts the toolkit's shared libraries in full for every program; PSS and USS do not.

#include <sys/types.h>

namespace bench {

struct Memory {
    long rssKib = -1;
    long pssKib = -1;
    long ussKib = -1;
};

// pid 0: this process. All -1 when the process is gone or unreadable.
Memory readMemory(pid_t pid);
// The process of pid's tree (pid and its descendants) with the most resident memory: the program measured
// may be started through a wrapper (setpriv, env).
Memory largestInTree(pid_t pid);
// Each figure of peak raised to now's where now's is higher.
void keepPeak(Memory& peak, const Memory& now);
// "PREFIX_rss_kib N", "PREFIX_pss_kib N", "PREFIX_uss_kib N", one a line, on standard output.
void printMemory(const char* prefix, const Memory& memory);

} // namespace bench
