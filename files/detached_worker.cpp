#include "files/detached_worker.h"

#include <linux/close_range.h>
#include <pthread.h>
#include <thread>
#include <unistd.h>

void startDetachedWorker(const char* name, std::function<void()> work, WorkerFiles files) {
    std::thread([name, files, work = std::move(work)] {
        pthread_setname_np(pthread_self(), name);
        if (files == WorkerFiles::Own)
            ::close_range(3, ~0U, CLOSE_RANGE_UNSHARE);
        work();
    }).detach();
}
