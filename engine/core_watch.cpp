#include "engine/core_watch.h"

#include "engine/mpv_held_core.h"

#include "files/detached_worker.h"

CoreWatch::CoreWatch(QObject* parent) : QObject(parent) {
    timer_.setSingleShot(true);
    timer_.setInterval(kHeldAfterMs);
    connect(&timer_, &QTimer::timeout, this, &CoreWatch::held);
}

void CoreWatch::loadSent() {
    if (!busy_)
        return;
    waiting_ = true;
    timer_.start();
}

void CoreWatch::fileStarted(const QString& place) {
    busy_ = true;
    waiting_ = false;
    timer_.stop();
    if (!place.isEmpty())
        place_ = place;
}

void CoreWatch::fileEnded() {
    busy_ = false;
    waiting_ = false;
    timer_.stop();
}

bool CoreWatch::roomForHeld() {
    return HeldCore::alive() < kMaxHeldCores;
}

void CoreWatch::retire(std::shared_ptr<HeldCore> core, bool replace) {
    if (!core)
        return;
    busy_ = false;
    waiting_ = false;
    timer_.stop();
    if (taker_ && taker_->takeHeldCore(core, replace))
        return;
    // It may wait on the held read for as long as the share takes, the program's end included.
    startDetachedWorker("tolvane-held", [core = std::move(core)] {
        core->awaitAnswer();
        core->end();
    });
}

void CoreWatch::leave(bool hadCore) {
    timer_.stop();
    if (hadCore)
        HeldCore::waitAllEnded(kLeaveWaitMs);
}
