#pragma once
// Starting a program under measurement and ending it with everything it started.

#include <sys/types.h>

namespace bench {

// Starts argv[0] (searched in PATH) with its arguments in a process group of its own; returns its pid.
pid_t spawn(char* const argv[]);
// Asks the child's whole group to end, then ends it by force after two seconds; reaps the child.
void endGroup(pid_t child);

} // namespace bench
