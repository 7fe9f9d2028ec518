#pragma once
// The window that holds the component's video and control bar while in full screen. It covers one
// screen; the control bar and the pointer hide after a while without pointer movement.

#include <QPointer>
#include <QTimer>
#include <QWidget>

class QScreen;
class QVBoxLayout;

class FullScreenWindow : public QWidget {
    Q_OBJECT
  public:
    // owner: the component, so the window goes with it.
    explicit FullScreenWindow(QWidget* owner);
    ~FullScreenWindow() override;

    // Shows content over the whole screen; controls (inside content, may be null) hide while the pointer
    // rests.
    void present(QWidget* content, QWidget* controls, QScreen* screen);
    // Gives the content back (still shown) and hides the window.
    QWidget* takeContent();

    bool controlsHidden() const { return controlsHidden_; }
    void setIdleInterval(int milliseconds) { idle_.setInterval(milliseconds); }
    int idleInterval() const { return idle_.interval(); }

  signals:
    void leaveRequested();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void wake();
    void rest();

    QVBoxLayout* layout_;
    QPointer<QWidget> content_;
    QPointer<QWidget> controls_;
    QTimer idle_;
    bool controlsHidden_ = false;
};
