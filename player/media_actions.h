#pragma once
// The component's commands as QActions: play/pause, stop, fast forward and reverse, mute, volume up and
// down, full screen. The keys, the context menu and the control bar's buttons all trigger these same
// actions, which take their enabled state and their labels from the engine's play state, so the three can
// never disagree about what a press will do.

#include <QObject>

class MediaEngine;
class QAction;
class QMenu;
class QWidget;

class MediaActions : public QObject {
    Q_OBJECT
  public:
    // keyScope: the widget whose focus (it or any child) makes the keys act.
    MediaActions(MediaEngine* engine, QWidget* keyScope);

    // The component's own `enabled` setting: off, none of them acts.
    void setEnabled(bool on);
    // Whether play/pause pauses now (and reads "Pause"); otherwise it plays.
    bool showsPause() const { return showsPause_; }
    // The context menu: the actions themselves, in the component's order.
    void fillMenu(QMenu* menu) const;

    QAction* const playPause;
    QAction* const stop;
    QAction* const fastForward;
    QAction* const fastReverse;
    QAction* const mute;
    QAction* const volumeUp;
    QAction* const volumeDown;
    QAction* const fullScreen; // checked while in full screen; whoever owns full screen acts on triggered()

  private:
    QAction* make(const QString& text, QWidget* keyScope);
    void refresh();
    void stepVolume(int delta);

    MediaEngine* engine_;
    bool enabled_ = true;
    bool showsPause_ = false;
};
