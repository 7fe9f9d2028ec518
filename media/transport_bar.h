#pragma once
// The component's control bar (uiMode "full"): seek row, then buttons, status, time, mute, volume and
// full screen. Every control is an ordinary focusable widget with an accessible name and a tooltip. The
// buttons are the component's actions (MediaActions) in another form: they trigger them and show their
// enabled state, label and check mark.

#include "media/transport_button.h"

#include <QSlider>
#include <QWidget>

class MediaActions;
class MediaEngine;
class QAction;
class QLabel;

// A slider that jumps to where it is clicked and then follows the drag.
class SeekSlider : public QSlider {
    Q_OBJECT
  public:
    explicit SeekSlider(QWidget* parent = nullptr);

  signals:
    void seekRequested(int value);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
};

// The status area: one line, elided to fit, the whole text in its tooltip.
class StatusText : public QWidget {
    Q_OBJECT
  public:
    explicit StatusText(QWidget* parent = nullptr);
    void setText(const QString& text);
    QString text() const { return text_; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString text_;
};

class TransportBar : public QWidget {
    Q_OBJECT
  public:
    TransportBar(MediaEngine* engine, MediaActions* actions, QWidget* parent = nullptr);

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
    void connectEngine();
    void bind(TransportButton* button, QAction* action);
    void showState();
    void showPosition(double seconds);
    void showDuration(double seconds);
    void showTime();

    MediaEngine* engine_;
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
