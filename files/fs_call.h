#pragma once
// Calls that may wait on a device (a network share that stopped answering, a disk spinning up, a pulled
// stick) run on threads of their own, never on the UI thread. The caller waits a short fixed time, which a
// place that answers always meets, so handlers keep their synchronous behaviour there; past it the answer
// comes later, on the UI thread, if the receiver still exists. A place (the mount that holds the path) with
// calls that have not come back gets only a few threads: past that it is reported as not answering at once,
// so a dead share holds a bounded number of threads whatever the user clicks; while it still owes an answer,
// a new call there is not waited for at all. Threads never block leaving.

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

enum class FsOutcome {
    Answered,     // the answer was delivered before fsCall returned
    Pending,      // it comes later, to the receiver, on the UI thread
    NotAnswering, // the place already holds its share of calls that never came back; nothing was started
};

namespace fs_call_detail {
// Starts run() on a worker for the place holding `path`; deliver() runs on the UI thread when it is done,
// at once if that is within waitMs, else later unless `receiver` is gone by then.
FsOutcome start(const QString& path, std::function<void()> run, const QObject* receiver,
                std::function<void()> deliver, int waitMs);
} // namespace fs_call_detail

// Well above what a local disk needs, well below what a person notices.
constexpr int kFsShortWaitMs = 150;

// Runs work() (which must not touch the receiver or other UI objects) on a worker thread and hands its
// result to answer() on the UI thread. The receiver must live on the UI thread.
template <typename Result>
FsOutcome fsCall(const QString& path, std::function<Result()> work, const QObject* receiver,
                 std::function<void(Result&&)> answer, int waitMs = kFsShortWaitMs) {
    auto result = std::make_shared<std::optional<Result>>();
    return fs_call_detail::start(
        path, [work = std::move(work), result] { result->emplace(work()); }, receiver,
        [answer = std::move(answer), result] { answer(std::move(**result)); }, waitMs);
}

// Called by work() on its worker once it knows it takes longer than the short wait (a folder of a million
// files): the caller stops waiting at once, and the answer comes later. Does nothing off a worker.
void fsCallTakesLong();

// The mount point fsCall counts a path's calls against: the place named in "Waiting for …" texts.
QString fsPlaceOf(const QString& path);
// Calls started and not yet come back, over all places: for the tests' bound on threads.
int fsCallsInFlight();
