#pragma once
// A core that stopped answering (a read on a share that died never returns), taken from the engine so that
// the next pick gets a fresh one instead of waiting on it. It is ended on a thread of its own once it answers
// again: its render context first, with the OpenGL context current, then the core. Nothing waits for that
// but the thread doing it; until then the core counts against a small bound (MediaEngine).

#include <atomic>
#include <cstdint>

struct MpvLibrary;
struct mpv_handle;
class RenderContext;

class HeldCore {
  public:
    HeldCore(const MpvLibrary& lib, mpv_handle* core);
    ~HeldCore(); // ends the core if end() was not called: blocks until it does
    HeldCore(const HeldCore&) = delete;
    HeldCore& operator=(const HeldCore&) = delete;

    // Blocks until the core answers a stop: after that it lets go of its video output when asked.
    void awaitAnswer();
    // With its OpenGL context current: frees the render context made on this core (null: none).
    void freeRenderContext(RenderContext* context);
    // Ends the core; blocks until it has. Once only.
    void end();

    // Cores taken and not yet ended, over the process: for the bound and the tests.
    static int alive();
    // Waits up to timeoutMs for every taken core to end: for the program's end, which never waits longer.
    static bool waitAllEnded(int timeoutMs);

  private:
    const MpvLibrary& lib_;
    mpv_handle* core_;
};
