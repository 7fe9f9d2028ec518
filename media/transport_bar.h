#pragma once
// The component's control bar (uiMode "full"): seek row, then buttons, status, time, mute, volume and
// full screen. Every control is an ordinary focusable widget with an accessible name and a tooltip. The
// buttons are the component's actions (MediaActions) in another form: they trigger them and show their
// enabled state, label and check mark.

#include "media/seek_slider.h"
#include "media/transport_button.h"

#include <QWidget>

class MediaActions;
class Playback;
class QAction;
class QLabel;
class QSlider;
class StatusText;

class TransportBar : public QWidget {
    Q_OBJECT
  public:
    TransportBar(const Playback* playback, MediaActions* actions, QWidget* parent = nullptr);

    void setStatusText(const QString& text);
    QString statusText() const;
    // uiMode "mini": the scan and track buttons are left out.
    void setCompact(bool compact);

    TransportButton* playPauseButton() const { return playPause_; }
    TransportButton* stopButton() const { return stop_; }
    TransportButton* previousButton() const { return previous_; }
    TransportButton* nextButton() const { return next_; }
    TransportButton* fastReverseButton() const { return fastReverse_; }
    TransportButton* fastForwardButton() const { return fastForward_; }
    TransportButton* muteButton() const { return mute_; }
    TransportButton* fullScreenButton() const { return fullScreen_; }
    SeekSlider* seekSlider() const { return seek_; }
    QSlider* volumeSlider() const { return volume_; }
    QLabel* timeLabel() const { return time_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void makeButtons();
    void makeSliders();
    void layOut();
    void connectPlayback();
    void bind(TransportButton* button, QAction* action);
    void showState();
    void showPosition(double seconds);
    void showDuration(double seconds);
    void showChapters();
    void showTime();

    const Playback* playback_;
    MediaActions* actions_;
    SeekSlider* seek_ = nullptr;
    TransportButton* playPause_ = nullptr;
    TransportButton* stop_ = nullptr;
    TransportButton* previous_ = nullptr;
    TransportButton* next_ = nullptr;
    TransportButton* fastReverse_ = nullptr;
    TransportButton* fastForward_ = nullptr;
    StatusText* status_ = nullptr;
    QLabel* time_ = nullptr;
    TransportButton* mute_ = nullptr;
    QSlider* volume_ = nullptr;
    TransportButton* fullScreen_ = nullptr;
    int shownQuarter_ = -1; // the seek bar moves in quarter seconds, the clock in seconds
    int shownSecond_ = -1;
};
