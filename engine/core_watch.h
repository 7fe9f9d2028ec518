#pragma once
// Whether the core still answers, and what becomes of one that does not. A core held by a read that does not
// return (a share that died while a file played, or once its plan had passed) is not waited for: it goes, to
// end on another thread whenever the read returns, and a fresh core takes the pick. "Held" is what the core
// shows, not a guess: a load sent while a file was under way that neither ends that file nor starts the next
// within kHeldAfterMs, with every event the core had sent by then read.
//
// A retired core is handed to whoever draws from it (HeldCoreTaker), since its render context must be freed
// on the drawing thread first; with nobody drawing, it ends on a thread of its own.

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

class HeldCore;

// Whoever draws from the core: takes a retired one to its drawing thread, frees the render context there,
// then ends the core. False when it holds no render context of this core.
class HeldCoreTaker {
  public:
    virtual bool takeHeldCore(const std::shared_ptr<HeldCore>& core, bool replace) = 0;

  protected:
    ~HeldCoreTaker() = default;
};

class CoreWatch : public QObject {
    Q_OBJECT
  public:
    // A live core starts the next file within milliseconds.
    static constexpr int kHeldAfterMs = 300;
    // Held cores kept at most (each keeps its threads and memory until its read returns); past that a pick is
    // refused with the place that holds them.
    static constexpr int kMaxHeldCores = 2;
    // The program's end waits this long at most for the cores to end; a held one is left behind.
    static constexpr int kLeaveWaitMs = 500;

    explicit CoreWatch(QObject* parent = nullptr);

    // What the core does with files.
    void loadSent(); // watched while a file is under way
    void fileStarted(const QString& place);
    void fileEnded();
    // Where the core's current file lives: named when it holds the core.
    QString place() const { return place_; }
    // A load is still unanswered: read after held(), once the core's waiting events are in.
    bool waitsForAnswer() const { return waiting_; }
    // True when another held core may be kept.
    static bool roomForHeld();

    void setTaker(HeldCoreTaker* taker) { taker_ = taker; }
    HeldCoreTaker* taker() const { return taker_; }
    // The core goes: to the taker, or to a thread of its own. Null: there was none.
    void retire(std::shared_ptr<HeldCore> core, bool replace);
    // The program ends: no more watching, and the cores retired so far get kLeaveWaitMs to end.
    void leave(bool hadCore);

  signals:
    void held();

  private:
    bool busy_ = false;    // a file has started in the core and not ended
    bool waiting_ = false; // a load sent while busy_, neither file end nor start seen since
    QString place_;
    QTimer timer_;
    HeldCoreTaker* taker_ = nullptr;
};
