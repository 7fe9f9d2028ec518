#include "engine/open_pipeline.h"

#include <algorithm>
#include <utility>

OpenPipeline::OpenPipeline(QObject* parent) : QObject(parent) {
    bound_.setSingleShot(true);
    bound_.setTimerType(Qt::PreciseTimer); // "within 10 seconds", said to the user, holds
    bound_.setInterval(kOpenTimeoutMs);
    connect(&bound_, &QTimer::timeout, this, &OpenPipeline::timedOut);
}

uint64_t OpenPipeline::startPick() {
    pick_ = Pick::Planning;
    return ++pickSerial_;
}

void OpenPipeline::planLate(const QString& place) {
    pick_ = Pick::Waiting;
    load_ = Load::Idle;
    items_.clear();
    failure_.reset();
    waitingFor_ = place;
    bound_.start(); // a read that never returns would keep the pick waiting for ever
}

bool OpenPipeline::endPick() {
    pick_ = Pick::None;
    ++pickSerial_;
    return !std::exchange(waitingFor_, QString()).isEmpty();
}

bool OpenPipeline::begin(const QList<OpenItem>& items) {
    bound_.stop();
    retried_ = false;
    failure_.reset();
    items_ = items;
    load_ = Load::WaitingForTarget;
    return hasTarget();
}

bool OpenPipeline::again() {
    load_ = Load::WaitingForTarget;
    retried_ = bound_.isActive();
    return hasTarget() || noTarget_;
}

OpenPipeline::Batch OpenPipeline::startLoad(double start) {
    load_ = Load::Loading;
    ++loadSerial_;
    nextLoad_ = 0;
    entriesStarted_ = 0;
    if (!std::exchange(retried_, false))
        bound_.start();
    Batch batch = nextBatch();
    batch.start = start;
    return batch;
}

OpenPipeline::Batch OpenPipeline::nextBatch() {
    if (load_ != Load::Loading && load_ != Load::Opened)
        return {};
    Batch batch{nextLoad_, std::min(items_.size(), nextLoad_ + kBatch), -1, replyId::kLoadBase + loadSerial_};
    nextLoad_ = batch.end;
    return batch;
}

void OpenPipeline::entryStarted() {
    if (load_ == Load::Opened)
        load_ = Load::Loading;
    if (entriesStarted_++ > 0) // the first runs on the load's bound
        bound_.start();
}

void OpenPipeline::fileLoaded() {
    if (load_ == Load::Loading)
        load_ = Load::Opened;
}

void OpenPipeline::firstFrame() {
    bound_.stop();
}

void OpenPipeline::close() {
    bound_.stop();
    retried_ = false;
    load_ = Load::Idle;
    failure_.reset();
}

void OpenPipeline::forget() {
    close();
    items_.clear();
    dropAnswers();
}

OpenPipeline::OnTarget OpenPipeline::targetArrived(bool hasMedia) {
    ++targets_;
    noTarget_ = false;
    const bool reopen = std::exchange(reopen_, false);
    if (load_ == Load::WaitingForTarget)
        return OnTarget::Load;
    return reopen && hasMedia ? OnTarget::Reopen : OnTarget::Nothing;
}

void OpenPipeline::targetLost(bool videoOpen) {
    targets_ = std::max(0, targets_ - 1);
    reopen_ = reopen_ || videoOpen;
}

bool OpenPipeline::targetUnavailable() {
    noTarget_ = true;
    return load_ == Load::WaitingForTarget;
}

void OpenPipeline::noteFailure(OpenError error, const QString& text) {
    const bool refused = failure_ && failure_->videoRefused;
    failure_ = Failure{error, text, refused};
}

void OpenPipeline::noteVideoRefused() {
    if (!failure_)
        failure_ = Failure{};
    failure_->videoRefused = true;
}

std::optional<OpenPipeline::Failure> OpenPipeline::takeFailure() {
    return std::exchange(failure_, std::nullopt);
}
