// The road from a picked URL to its plan (open_policy): made on a worker, since its reads may wait on a share
// that does not answer. A place that answers gives the plan within a moment and the pick goes on as if it had
// been made here; past that the pick waits, saying for what, and the window goes on.
#include "engine/media_engine.h"

#include "files/fs_call.h"
#include "opening/media_url.h"

#include <QFileInfo>

void MediaEngine::open(const QString& url) {
    if (url.isEmpty()) {
        open(url, {});
        return;
    }
    forgetFileChoices(); // a new pick; a replay keeps them
    planAndOpen(url, autoStart_);
}

// Every open goes through the plan, a replay included: the file may have been replaced since.
void MediaEngine::planAndOpen(const QString& url, bool playNow) {
    const uint64_t pick = ++pickSerial_;
    const QString path = QFileInfo(localPathOf(url)).absoluteFilePath();
    const auto follow = [this, url, pick, playNow](OpenPlan&& plan) {
        if (pick != pickSerial_)
            return; // another pick, a stop or a failure came since
        if (!plan.refusal.isEmpty()) {
            refuse(url, plan.refusal);
            return;
        }
        openInternal(url, plan.items, playNow);
        notice_ = plan.note;
    };
    switch (fsCall<OpenPlan>(
        path, [url] { return planOpen(url); }, this, follow)) {
    case FsOutcome::Answered:
        break;
    case FsOutcome::Pending:
        awaitPlan(url, playNow, fsPlaceOf(path));
        break;
    case FsOutcome::NotAnswering:
        refuse(url, QStringLiteral("%1 does not answer").arg(fsPlaceOf(path)));
        break;
    }
}

// What played before ends; the pick shows as opening, with the place it waits for, until its plan comes or
// the open bound gives it up (abandonOpen).
void MediaEngine::awaitPlan(const QString& url, bool playNow, const QString& place) {
    resetForOpen(url);
    items_.clear();
    loadWaiting_ = false;
    client_.command({"stop"});
    state_.open(playNow);
    waitingFor_ = place;
    publish();
    emit waitingForChanged();
    openWatch_.start();
}

void MediaEngine::endWait() {
    ++pickSerial_;
    if (waitingFor_.isEmpty())
        return;
    waitingFor_.clear();
    emit waitingForChanged();
}

// A refusal ends whatever played before, and the core never sees the file. Nothing of the file before stays
// to be played again or reported.
void MediaEngine::refuse(const QString& url, const QString& why) {
    url_ = url;
    items_.clear();
    ++loadSerial_; // answers to an earlier load change nothing now
    if (!mediaTitle_.isEmpty()) {
        mediaTitle_.clear();
        emit mediaTitleChanged(mediaTitle_);
    }
    failWith(FailureText::cannotPlay(url, why));
}

// A read that never returns (a hung network share) would keep the pick opening for ever: it is given up with
// a reason, and the core is told to stop.
void MediaEngine::abandonOpen() {
    if (!hasMedia() || state_.isLoaded())
        return;
    ++loadSerial_;
    failWith(FailureText::cannotPlay(
        url_, waitingFor_.isEmpty()
                  ? QStringLiteral("it did not open within %1 seconds").arg(kOpenTimeoutMs / 1000)
                  : QStringLiteral("%1 does not answer").arg(waitingFor_)));
}
