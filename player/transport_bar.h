#pragma once
// The component's control bar (uiMode "full"): seek row, then buttons, status, time, mute, volume and
// full screen. Every control is an ordinary focusable widget with an accessible name and a tooltip;
// the icons are drawn here, in the program's dark grey with light-blue accents.

#include <QAbstractButton>
#include <QSlider>
#include <QWidget>

class MediaEngine;
class QLabel;

// A flat button that paints its own glyph.
class TransportButton : public QAbstractButton {
    Q_OBJECT
  public:
    enum class Glyph {
        Play,
        Pause,
        Stop,
        Previous,
        Next,
        FastReverse,
        FastForward,
        Speaker,
        Muted,
        FullScreen
    };

    TransportButton(Glyph glyph, const QString& name, const QString& toolTip, QWidget* parent = nullptr);
    void setGlyph(Glyph glyph);
    Glyph glyph() const { return glyph_; }
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    Glyph glyph_;
    bool hovered_ = false;
};

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
    explicit TransportBar(MediaEngine* engine, QWidget* parent = nullptr);

    void setStatusText(const QString& text);
    QString statusText() const;
    void setFullScreenChecked(bool on);
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

  signals:
    void fullScreenClicked();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void showState(int state);
    void showPosition(double seconds);
    void showDuration(double seconds);
    void showTime();

    MediaEngine* engine_;
    SeekSlider* seek_;
    TransportButton* playPause_;
    TransportButton* stop_;
    TransportButton* previous_;
    TransportButton* next_;
    TransportButton* fastReverse_;
    TransportButton* fastForward_;
    StatusText* status_;
    QLabel* time_;
    TransportButton* mute_;
    QSlider* volume_;
    TransportButton* fullScreen_;
    int shownQuarter_ = -1; // the seek bar moves in quarter seconds, the clock in seconds
    int shownSecond_ = -1;
};
