#pragma once
// Each file judged again as the core reaches it, by the rules the plan judged it by (open_policy): the
// entries of a playlist open one after another, minutes after the plan, and one may have been swapped
// meanwhile for a pipe, a device or a list. The core waits in its hook before opening anything; the look
// is taken on a worker, and a refused file is stopped before the core lets go of it.

#include <QObject>
#include <QString>
#include <cstdint>

class MpvClient;

class EntryCheck : public QObject {
    Q_OBJECT
  public:
    explicit EntryCheck(MpvClient& client);

    // On for picks made through the plan; off for those handed to the engine past it, which meet only the
    // engine's own doors.
    void setActive(bool on) { active_ = on; }

  signals:
    // The file is not opened; the pick ends with this reason.
    void refused(const QString& path, const QString& reason);

  private:
    void reached(uint64_t hook, const QString& path);
    void judged(uint64_t hook, const QString& path, const QString& reason);

    MpvClient& client_;
    bool active_ = false;
    uint64_t refusedHook_ = 0; // let go once the stop before it has been taken
};
