#pragma once
// The newest picture of the software path where the render thread cannot put it on the window itself
// (Wayland: the toolkit's connection and surfaces belong to the UI thread). The render thread posts; the
// UI thread takes it when the compositor is ready for the next frame. A picture not yet taken is replaced,
// not queued, so a busy UI thread or compositor costs dropped frames, never a backlog or a wait.

#include <QImage>
#include <functional>
#include <mutex>

class FrameMailbox {
  public:
    // `posted`: called on the render thread after each post, to wake the UI thread.
    explicit FrameMailbox(std::function<void()> posted) : posted_(std::move(posted)) {}

    void post(QImage picture);
    // The newest picture, once: null if none came since the last take.
    QImage take();
    // The UI side goes: from here nobody is woken.
    void close();

  private:
    std::mutex mutex_;
    QImage picture_;
    std::function<void()> posted_;
};
