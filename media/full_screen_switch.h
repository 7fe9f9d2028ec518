#pragma once
// Moves the component's content (its video and control bar) into a window of its own over the whole screen,
// and back into the component. The move waits for the next turn of the event loop: callers are often
// pointer-event handlers of the very video that moves, and several writes in one handler settle on the last.

#include <QObject>
#include <QPointer>
#include <QTimer>

class FullScreenWindow;
class QBoxLayout;
class QWidget;

class FullScreenSwitch : public QObject {
    Q_OBJECT
  public:
    struct Parts {
        QWidget* owner;    // the component: the window goes with it, its screen is the one covered
        QBoxLayout* home;  // where the content lives when not in full screen
        QWidget* content;  // what moves
        QWidget* controls; // inside content: hides while the pointer rests, unless hidden already
        QWidget* video;    // inside content: takes the focus in full screen
    };
    FullScreenSwitch(const Parts& parts, QObject* parent);
    ~FullScreenSwitch() override;

    bool isOn() const { return on_; }
    void set(bool on);
    // Made on the first switch; null before.
    FullScreenWindow* window() const;

  signals:
    void turned(bool on); // at once, on every write
    void fillsScreen(bool on);

  private:
    void apply();
    void enter();
    void leave();

    Parts parts_;
    bool on_ = false;
    QPointer<FullScreenWindow> window_;
    QPointer<QWidget> focusBefore_; // the host window's focus, given back when full screen ends
    QTimer switch_;                 // single shot, 0 ms
};
