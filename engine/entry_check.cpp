#include "engine/entry_check.h"

#include "engine/mpv_client.h"
#include "engine/reply_ids.h"
#include "files/fs_call.h"
#include "opening/open_policy.h"

EntryCheck::EntryCheck(MpvClient& client) : client_(client) {
    connect(&client_, &MpvClient::fileReached, this, &EntryCheck::reached);
    connect(&client_, &MpvClient::commandAnswered, this, [this](uint64_t reply) {
        if (reply == replyId::kRefusedStop)
            client_.continueOpening(refusedHook_);
    });
}

void EntryCheck::reached(uint64_t hook, const QString& path) {
    if (!active_ || path.isEmpty()) {
        client_.continueOpening(hook);
        return;
    }
    // Never waited for here: the answer comes as a queued call, whatever the place.
    const FsOutcome outcome = fsCall<QString>(
        path, [path] { return entryRefusal(path); }, this,
        [this, hook, path](QString&& reason) { judged(hook, path, reason); }, 0);
    if (outcome == FsOutcome::NotAnswering)
        judged(hook, path, QStringLiteral("%1 does not answer").arg(fsPlaceOf(path)));
}

void EntryCheck::judged(uint64_t hook, const QString& path, const QString& reason) {
    if (reason.isEmpty()) {
        client_.continueOpening(hook);
        return;
    }
    emit refused(path, reason);
    // The core opens nothing once it has taken a stop; only then is its hook let go.
    refusedHook_ = hook;
    client_.command({"stop"}, replyId::kRefusedStop);
}
