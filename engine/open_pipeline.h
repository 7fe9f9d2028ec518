#pragma once
// The road of a pick to the core, as an explicit state machine. Two parts move on it, each with its own
// stage:
//
//   the pick:  None -> Planning (the plan is made on a worker; the file before plays on meanwhile)
//                   -> Waiting (the plan is late: the file before stops, the pick shows the place it waits
//                   on)
//                   -> None (the plan came and was followed, or the pick was given up)
//   the load:  Idle -> WaitingForTarget (the plan's items wait for somewhere to draw)
//                   -> Loading (handed to the core in batches) -> Opened (the core has loaded the file)
//                   -> Idle (stopped, failed, closed)
//
// It also keeps what the road needs to decide: whether there is somewhere to draw (or no OpenGL at all, when
// loads go on without), a failure waiting for the core's log lines that explain it, and the bound on how
// long a pick may take to open. It decides; MediaEngine acts on the core and the play state. No libmpv.

#include "engine/engine_events.h"
#include "engine/reply_ids.h"
#include "opening/open_policy.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <optional>

class OpenPipeline : public QObject {
    Q_OBJECT
  public:
    enum class Pick { None, Planning, Waiting };
    enum class Load { Idle, WaitingForTarget, Loading, Opened };
    // What a render target's arrival asks for.
    enum class OnTarget { Nothing, Load, Reopen };

    // Items [first, end) of items() to hand to the core with one reply id; the first of a load replaces what
    // the core holds, starting at `start` seconds when that is not negative.
    struct Batch {
        qsizetype first = 0;
        qsizetype end = 0;
        double start = -1;
        uint64_t reply = 0;
        bool isEmpty() const { return first >= end; }
    };
    // A failure told once the core's log lines that explain it are in.
    struct Failure {
        OpenError error = OpenError::Other;
        QString text;
        bool videoRefused = false; // the core could not show the video: there is no render context
    };

    // Long enough for a slow disk or a large file's index, short enough that a user still waits.
    static constexpr int kOpenTimeoutMs = 10000;
    // The core queues at most 1000 events for us, answers included: a long list goes in batches.
    static constexpr qsizetype kBatch = 250;

    explicit OpenPipeline(QObject* parent = nullptr);

    Pick pick() const { return pick_; }
    Load load() const { return load_; }
    const QList<OpenItem>& items() const { return items_; }
    QString waitingFor() const { return waitingFor_; }
    bool boundRunning() const { return bound_.isActive(); }
    int boundLeftMs() const { return bound_.remainingTime(); }

    // ---- the pick
    // A new pick: the number its plan must bring back to be followed.
    uint64_t startPick();
    bool isCurrent(uint64_t pick) const { return pick_ != Pick::None && pick == pickSerial_; }
    // The plan is late: the load before is dropped, the pick waits for `place`, and the bound starts.
    void planLate(const QString& place);
    // The pick ends (its plan followed, or given up); a plan still on its way is not followed. True when
    // waitingFor() changed.
    bool endPick();

    // ---- the load
    // The plan's items wait for somewhere to draw; true when there is somewhere already.
    bool begin(const QList<OpenItem>& items);
    // The same items again, on a fresh core: true when the load may go at once (somewhere to draw, or no
    // OpenGL at all). The bound runs on from the first load: the user has waited since.
    bool again();
    // The load goes: its first batch. Nothing when there are no items.
    Batch startLoad(double start);
    // The next batch of a long list, once the answers to the one before have been taken; empty when all
    // went, or no load is under way.
    Batch nextBatch();
    bool isOurReply(uint64_t reply) const { return reply == replyId::kLoadBase + loadSerial_; }
    // Answers to the loads sent so far change nothing from here on.
    void dropAnswers() { ++loadSerial_; }
    // The core started an entry of ours that has not loaded: after the first, each gets the same time to open
    // as the first.
    void entryStarted();
    void fileLoaded();
    // The first frame is out: the open is over. Until then the bound runs, also past the load: a sound
    // server that stopped answering holds the core in opening its output, after the file has loaded.
    void firstFrame();
    // Stopped, failed or closed: nothing goes to the core any more, the bound stops, and a failure waiting
    // for its explanation is not told.
    void close();
    // A refusal: the same, and nothing of the file before stays to be loaded again.
    void forget();

    // ---- somewhere to draw
    bool hasTarget() const { return targets_ > 0; }
    bool hasNoTarget() const { return noTarget_; }
    // A render context came; `hasMedia`: a file is open, to be reopened if its video went with the last one.
    OnTarget targetArrived(bool hasMedia);
    // A render context went; `videoOpen`: a video was shown, and goes with it (the file is opened again once
    // one comes back).
    void targetLost(bool videoOpen);
    // No OpenGL here: true when a load that waited goes on without.
    bool targetUnavailable();
    // The core went, with whatever drew from it.
    void targetsGone() { targets_ = 0; }

    // ---- a failure waiting for its explanation
    void noteFailure(OpenError error, const QString& text);
    void noteVideoRefused();
    bool failurePending() const { return failure_.has_value(); }
    std::optional<Failure> takeFailure();
    void clearFailure() { failure_.reset(); }

  signals:
    // The bound passed before the file opened: it is given up, naming waitingFor() if it waits for a place.
    void timedOut();

  private:
    Pick pick_ = Pick::None;
    Load load_ = Load::Idle;
    uint64_t pickSerial_ = 0;
    uint64_t loadSerial_ = 0;
    QString waitingFor_;
    QList<OpenItem> items_;
    qsizetype nextLoad_ = 0; // the first of items_ not yet handed to the core
    int targets_ = 0;
    bool noTarget_ = false;
    bool retried_ = false;   // the next load is again(): the bound already runs
    int entriesStarted_ = 0; // since the load
    bool reopen_ = false;    // the render target went while a video was open
    std::optional<Failure> failure_;
    QTimer bound_;
};
