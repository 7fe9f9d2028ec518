#include "engine/mpv_held_core.h"

#include "engine/mpv_library.h"
#include "engine/mpv_render_context.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {
constexpr uint64_t kStopReply = 0x5707; // MpvClient's own replies never reach this core any more

std::mutex aliveLock;
std::condition_variable aliveChanged;
int aliveCount = 0;
} // namespace

HeldCore::HeldCore(const MpvLibrary& lib, mpv_handle* core) : lib_(lib), core_(core) {
    const std::lock_guard guard(aliveLock);
    ++aliveCount;
}

HeldCore::~HeldCore() {
    end();
}

void HeldCore::awaitAnswer() {
    if (!core_)
        return;
    const char* stop[] = {"stop", nullptr};
    lib_.command_async(core_, kStopReply, stop);
    for (;;) {
        const mpv_event* event = lib_.wait_event(core_, -1);
        if (event->event_id == MPV_EVENT_SHUTDOWN ||
            (event->event_id == MPV_EVENT_COMMAND_REPLY && event->reply_userdata == kStopReply))
            return;
    }
}

void HeldCore::freeRenderContext(RenderContext* context) {
    delete context; // waits until the core has let go of its video output
}

void HeldCore::end() {
    if (!core_)
        return;
    lib_.terminate_destroy(core_);
    core_ = nullptr;
    const std::lock_guard guard(aliveLock);
    --aliveCount;
    aliveChanged.notify_all();
}

int HeldCore::alive() {
    const std::lock_guard guard(aliveLock);
    return aliveCount;
}

bool HeldCore::waitAllEnded(int timeoutMs) {
    std::unique_lock guard(aliveLock);
    return aliveChanged.wait_for(guard, std::chrono::milliseconds(timeoutMs), [] { return aliveCount == 0; });
}
