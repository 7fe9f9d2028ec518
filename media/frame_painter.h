#pragma once
// Paints the software path's pictures on a window through the toolkit's backing store, on the UI thread:
// on Wayland, memory shared with the compositor. Each paint waits for the compositor's call for the next
// frame (QWindow::requestUpdate), so a compositor that stops answering stops the painting, not the UI
// thread.

#include <QImage>
#include <memory>

class QBackingStore;
class QWindow;

class FramePainter {
  public:
    explicit FramePainter(QWindow* window);
    ~FramePainter();
    FramePainter(const FramePainter&) = delete;
    FramePainter& operator=(const FramePainter&) = delete;

    // The picture (device pixels) over the whole window.
    void paint(const QImage& picture);
    // The window's platform surface goes: the backing store goes with it, and is made again when needed.
    void reset();

  private:
    QWindow* window_;
    std::unique_ptr<QBackingStore> store_;
};
