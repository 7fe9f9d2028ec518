#include "bench/child_process.h"

#include <chrono>
#include <csignal>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace bench {

pid_t spawn(char* const argv[]) {
    const pid_t child = fork();
    if (child == 0) {
        setpgid(0, 0); // its own group, so the whole program can be ended at once
        execvp(argv[0], argv);
        _exit(127);
    }
    return child;
}

void endGroup(pid_t child) {
    kill(-child, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (waitpid(child, nullptr, WNOHANG) == child)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(-child, SIGKILL);
    waitpid(child, nullptr, 0);
}

} // namespace bench
