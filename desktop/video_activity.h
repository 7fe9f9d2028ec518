#pragma once
// Whether someone is watching a video: the player plays (or scans), the file has a picture, and the
// player's window is shown and not minimised. That is when the screen must not blank.

#include <QObject>
#include <QPointer>
#include <QTimer>

class MediaPlayer;
class QWidget;

class VideoActivity : public QObject {
    Q_OBJECT
  public:
    explicit VideoActivity(QObject* parent = nullptr);

    // The player to watch; null: none (the answer is then false).
    void setPlayer(MediaPlayer* player);
    bool isActive() const { return active_; }

  signals:
    void activeChanged(bool active);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void update();
    bool computeActive() const;

    QPointer<MediaPlayer> player_;
    QPointer<QWidget> window_;
    bool active_ = false;
    QTimer settle_;
};
