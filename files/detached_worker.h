#pragma once
// Work that may wait for good on something outside the process (a share that stopped answering, a stopped
// bus daemon, an engine core held by either) runs on a detached worker: nothing joins it, so it never holds
// up the program's end. It owns by value all it touches and reports back only by posting to the UI thread.
// Every such thread starts here, named, so each shows for what it is in a debugger or `top -H`.

#include <functional>

enum class WorkerFiles {
    Shared, // the process's descriptors, as any thread
    // A table of its own without the process's descriptors: a call the kernel cannot give up (a FUSE request
    // its server has taken) outlives even the process's end, and must not keep the display connection, and
    // so the windows, open after the program has ended. Such a worker cannot post to the UI thread itself
    // (the event loop's wake-up descriptor is not in its table): it hands its answer to a thread that can.
    Own,
};

// `name` is at most 15 characters (the kernel's limit for a thread's name).
void startDetachedWorker(const char* name, std::function<void()> work,
                         WorkerFiles files = WorkerFiles::Shared);
