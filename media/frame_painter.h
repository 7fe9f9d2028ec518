#pragma once
// Paints the software path's pictures on a window through the toolkit's backing store, on the UI thread:
// on Wayland, memory shared with the compositor. Paints are paced by the compositor's calls for the next
// frame (QWindow::requestUpdate), so a compositor that stops answering stops the painting, not the UI
// thread.

#include <QImage>
#include <memory>

class FrameMailbox;
class QBackingStore;
class QWindow;

class FramePainter {
  public:
    FramePainter(QWindow* window, std::shared_ptr<FrameMailbox> mailbox);
    ~FramePainter();
    FramePainter(const FramePainter&) = delete;
    FramePainter& operator=(const FramePainter&) = delete;

    // A picture waits in the mailbox.
    void pictureWaiting();
    // The compositor is ready for the next frame (the window's update request).
    void paintWaiting();
    // The window is no longer exposed: the next picture is painted at once (see pictureWaiting).
    void unexposed() { shownOnSurface_ = false; }
    // The window's surface goes (hidden, or its platform window destroyed): the backing store goes with
    // it, and is made again when needed.
    void reset();

  private:
    // The picture (device pixels) over the whole window.
    void paint(const QImage& picture);

    QWindow* window_;
    std::shared_ptr<FrameMailbox> mailbox_;
    std::unique_ptr<QBackingStore> store_;
    bool shownOnSurface_ = false; // a picture was committed since the surface was made or last exposed
};
