#pragma once
// Qt 6.4's Wayland plugin tells a child window of its top-level's configures only from the second one on.
// A child shown inside a top-level not yet on screen (the video moving into the full-screen window, which
// the compositor configures once) is told it is not exposed and never hears otherwise, so nothing would be
// drawn into it. Once the top-level is exposed, this resizes the child by a pixel and back, which has the
// toolkit ask again.

#include <QObject>
#include <QPointer>

class QWindow;

class ExposeNudge : public QObject {
  public:
    explicit ExposeNudge(QWindow* child);

    // The child was told it is not exposed.
    void childUnexposed();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void stopWatching();

    QWindow* child_;
    QPointer<QWindow> top_; // the top-level watched for its exposure
};
