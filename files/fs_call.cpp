#include "files/fs_call.h"
#include "files/detached_worker.h"
#include "files/volumes.h"

#include <QCoreApplication>
#include <QHash>
#include <QPointer>
#include <QThread>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <utility>
#include <vector>

namespace {

// A place with this many calls out gets no more until one comes back; with a few, a slow but live share
// still serves a listing and a pick at once.
constexpr int kCallsPerPlace = 3;

struct Call {
    std::mutex lock;
    std::condition_variable finished;
    bool done = false;
    bool waitedFor = true; // the caller still waits: it delivers itself
    bool long_ = false;    // the work knows it takes longer than the short wait: the caller goes at once
    QString place;
    std::function<void()> run;
    std::function<void()> deliver;
    QPointer<const QObject> receiver; // read on the UI thread only
};

thread_local Call* workerCall = nullptr; // the call a file-system worker runs, for fsCallTakesLong

std::mutex placesLock;
QHash<QString, int>& callsOut() {
    static auto* out = new QHash<QString, int>; // never freed: a held thread may still count down at exit
    return *out;
}

// Lives on the UI thread for as long as the process: answers that come late are posted to it.
QObject* uiThreadPost() {
    static auto* post = [] {
        auto* object = new QObject;
        object->moveToThread(QCoreApplication::instance() ? QCoreApplication::instance()->thread()
                                                          : QThread::currentThread());
        return object;
    }();
    return post;
}

void deliverLate(const std::shared_ptr<Call>& call) {
    QMetaObject::invokeMethod(
        uiThreadPost(),
        [call] {
            if (call->receiver)
                call->deliver();
        },
        Qt::QueuedConnection);
}

// Late answers, on their way to the UI thread. A worker cannot post them itself: posting wakes the UI
// thread's event loop through a descriptor, which the worker's own table does not hold, so its answer would
// lie unseen until something else woke the loop (the give-up text, ten seconds on, for a big local folder).
// One thread that shares the process's table posts them; it only ever waits for the next answer, so the
// process's end takes it as it is. It is started by the first call, on the UI thread: started from a worker,
// it would share that worker's own table.
struct LateAnswers {
    std::mutex lock;
    std::condition_variable arrived;
    std::vector<std::shared_ptr<Call>> calls;
};

LateAnswers& lateAnswers() {
    static auto* answers = [] {
        auto* made = new LateAnswers; // never freed, like callsOut
        startDetachedWorker("tolvane-fs-post", [made] {
            std::unique_lock guard(made->lock);
            for (;;) {
                made->arrived.wait(guard, [made] { return !made->calls.empty(); });
                const std::vector<std::shared_ptr<Call>> calls = std::exchange(made->calls, {});
                guard.unlock();
                for (const std::shared_ptr<Call>& call : calls)
                    deliverLate(call);
                guard.lock();
            }
        });
        return made;
    }();
    return *answers;
}

void finish(const std::shared_ptr<Call>& call) {
    {
        const std::lock_guard guard(placesLock);
        if (--callsOut()[call->place] == 0)
            callsOut().remove(call->place);
    }
    std::unique_lock guard(call->lock);
    call->done = true;
    if (call->waitedFor) {
        call->finished.notify_all();
        return;
    }
    guard.unlock();
    LateAnswers& answers = lateAnswers();
    const std::lock_guard queued(answers.lock);
    answers.calls.push_back(call);
    answers.arrived.notify_one();
}

} // namespace

void fsCallTakesLong() {
    if (!workerCall)
        return;
    const std::lock_guard guard(workerCall->lock);
    workerCall->long_ = true;
    workerCall->finished.notify_all();
}

QString fsPlaceOf(const QString& path) {
    return mountPointOf(path);
}

int fsCallsInFlight() {
    const std::lock_guard guard(placesLock);
    int total = 0;
    for (int count : std::as_const(callsOut()))
        total += count;
    return total;
}

FsOutcome fs_call_detail::start(const QString& path, std::function<void()> run, const QObject* receiver,
                                std::function<void()> deliver, int waitMs) {
    auto call = std::make_shared<Call>();
    call->place = fsPlaceOf(path);
    call->run = std::move(run);
    call->deliver = std::move(deliver);
    call->receiver = receiver;
    uiThreadPost(); // both made here, on the UI thread: see LateAnswers
    lateAnswers();
    {
        const std::lock_guard guard(placesLock);
        int& out = callsOut()[call->place];
        if (out >= kCallsPerPlace)
            return FsOutcome::NotAnswering;
        if (out > 0) // a place still owing an answer is not waited for again: each click would cost the wait
            waitMs = 0;
        ++out;
    }
    startDetachedWorker(
        "tolvane-fs-call",
        [call] {
            workerCall = call.get();
            call->run();
            finish(call);
        },
        WorkerFiles::Own);
    std::unique_lock guard(call->lock);
    call->finished.wait_for(guard, std::chrono::milliseconds(waitMs),
                            [&] { return call->done || call->long_; });
    if (!call->done) {
        call->waitedFor = false;
        return FsOutcome::Pending;
    }
    guard.unlock();
    call->deliver();
    return FsOutcome::Answered;
}
