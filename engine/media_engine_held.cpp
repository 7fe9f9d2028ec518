// A core held by a read that does not return (a share that died while a file played, or once its plan had
// passed) is not waited for: it goes, with whatever draws from it, to end on a thread of its own whenever
// the read returns, and a fresh core takes the pick. "Held" is what the core shows, not a guess: a load sent
// while a file was under way that neither ends that file nor starts the next within kHeldAfterMs.
#include "engine/media_engine.h"

#include "engine/mpv_held_core.h"

#include <thread>

namespace {
// The program's end waits this long at most for the cores to end; a held one is left behind.
constexpr int kLeaveWaitMs = 500;
} // namespace

void MediaEngine::watchCore() {
    if (coreBusy_)
        heldWatch_.start();
}

void MediaEngine::onCoreHeld() {
    if (!client_.isRunning() || !hasMedia())
        return;
    if (HeldCore::alive() >= kMaxHeldCores) {
        failWith(FailureText::cannotPlay(
            url_, QStringLiteral("the media engine is held by %1, which does not answer").arg(corePlace_)));
        return;
    }
    retire(true);
    if (!client_.start(settingOptions())) {
        failWith(FailureText::cannotPlay(
            url_, QStringLiteral("the media engine could not be started (%1)").arg(client_.error())));
        return;
    }
    // The same pick on the fresh core, once it has somewhere to draw.
    state_.reopenKeepingState();
    loadWaiting_ = true;
    if (hasRenderTarget() || noRenderTarget_)
        loadNow();
    else
        emit renderTargetNeeded();
}

// The render context goes with the core: it can only be freed once the core answers, on the thread whose
// OpenGL context made it.
void MediaEngine::retire(bool replace) {
    std::shared_ptr<HeldCore> core = client_.giveUpCore();
    if (!core)
        return;
    coreBusy_ = false;
    renderTargets_ = 0;
    bool taken = false;
    emit coreGivenUp(core, replace, &taken);
    if (!taken)
        std::thread([core = std::move(core)] {
            core->awaitAnswer();
            core->end();
        }).detach();
}

void MediaEngine::shutdown() {
    reverseTimer_.stop();
    heldWatch_.stop();
    openWatch_.stop();
    ++pickSerial_;
    const bool hadCore = client_.isRunning();
    retire(false);
    client_.shutdown(); // no core after this
    if (hadCore)
        HeldCore::waitAllEnded(kLeaveWaitMs);
}
