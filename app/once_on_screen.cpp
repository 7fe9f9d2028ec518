#include "app/once_on_screen.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace {

// Lives on the native window, so that it goes with it.
class ExposureWatch : public QObject {
  public:
    ExposureWatch(QWindow* window, std::function<void()> work)
        : QObject(window), window_(window), work_(std::move(work)) {
        later_.setSingleShot(true);
        connect(&later_, &QTimer::timeout, this, &ExposureWatch::run);
        window->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::Expose && window_->isExposed()) {
            window_->removeEventFilter(this);
            later_.start(0); // the window draws itself while this event is handled; the work comes after
        }
        return false;
    }

  private:
    void run() {
        work_();
        deleteLater();
    }

    QWindow* window_;
    std::function<void()> work_;
    QTimer later_;
};

} // namespace

void onceOnScreen(QWidget* window, std::function<void()> work) {
    window->winId(); // the native window exists from show() on; this makes sure of it
    new ExposureWatch(window->windowHandle(), std::move(work));
}
