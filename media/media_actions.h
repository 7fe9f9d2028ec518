#pragma once
// The component's commands as QActions: play/pause, stop, previous and next, fast forward and reverse, the
// speeds, mute, volume up and down, full screen, and the track menus. The keys, the context menu, the
// control bar's buttons and the desktop's media controls all trigger these same actions, which take their
// enabled state and their labels from the engine's play state, so they can never disagree about what a
// press will do. Each action's tooltip names its key: the one place the keys are written. The sliders'
// commands (a position, a volume) are here too, so no widget holds the engine.

#include <QObject>
#include <array>
#include <utility>

class MediaEngine;
class Playback;
class QAction;
class QActionGroup;
class QKeyEvent;
class QMenu;
class QWidget;

class MediaActions : public QObject {
    Q_OBJECT
  public:
    // keyScope: the widget whose focus (it or any child) makes the keys act.
    MediaActions(MediaEngine* engine, const Playback* playback, QWidget* keyScope);

    // The component's own `enabled` setting: off, none of them acts.
    void setEnabled(bool on);
    // Whether play/pause pauses now (and reads "Pause"); otherwise it plays.
    bool showsPause() const;
    // The context menu: the actions themselves, in the component's order, with the file's tracks.
    void fillMenu(QMenu* menu) const;
    // "Volume (F8, F9)": the volume slider's tooltip, from the actions' keys.
    QString volumeToolTip() const;
    // Space, Left and Right are keys a control inside may want first (a button takes Space, a slider the
    // arrows), so they are no shortcuts: the component hands over what no control took.
    bool takeUnclaimedKey(const QKeyEvent* event) const;

    // The sliders' commands.
    void seekTo(double seconds);
    // The seek bar's preview: the frame at `seconds`, `width` pixels wide; release gives its memory back.
    void askPreview(double seconds, int width);
    void releasePreview();
    void scrubTo(double seconds); // while dragging: keyframes, one seek in flight; seekTo() where let go
    void setVolume(int volume);

    // The play speeds offered (Slow, Normal, Fast): the slowest and fastest also bound what may be asked.
    static constexpr double kSpeeds[] = {0.5, 1.0, 1.4};

    QAction* const playPause;
    QAction* const stop;
    QAction* const previous;
    QAction* const next;
    QAction* const nextFrame; // pausing first
    QAction* const previousFrame;
    QAction* const fastForward;
    QAction* const fastReverse;
    QAction* const seekBack;    // 5 s, Left
    QAction* const seekForward; // 5 s, Right
    QAction* const mute;
    QAction* const volumeUp;
    QAction* const volumeDown;
    QAction* const fullScreen; // checked while in full screen; whoever owns full screen acts on triggered()
    QAction* const cycleAudio;
    QAction* const cycleSubtitle;
    QAction* const subtitlesShown; // checkable: the chosen subtitle shows
    QActionGroup* const speeds;    // Slow, Normal, Fast; the one matching the speed is checked

  private:
    std::array<std::pair<int, QAction*>, 3> unclaimedKeys() const;
    QAction* make(const QString& text, QWidget* keyScope);
    void makeSpeeds();
    void refresh();
    void showRate(double rate);
    void stepVolume(int delta);
    void fillTracks(QMenu* menu, bool subtitle) const;

    MediaEngine* engine_;
    const Playback* playback_;
    bool enabled_ = true;
};
