#pragma once
// The picture above the seek bar while the pointer rests on or moves over it: the frame at that time, the
// time, and the chapter's title. Only for a video the engine may preview; drawn by the preview core, this
// only paints the finished picture. A decoration: no focus, no pointer events. A few seconds after the
// pointer leaves the bar, the preview core's memory is given back.

#include <QImage>
#include <QTimer>
#include <QWidget>

class MediaActions;
class Playback;
class SeekSlider;

class SeekPreview : public QWidget {
    Q_OBJECT
  public:
    // Logical pixels: scaled with the screen's DPI like everything else.
    static constexpr int kWidth = 160;
    static constexpr int kGiveBackMs = 3000;

    SeekPreview(SeekSlider* slider, const Playback* playback, MediaActions* actions);

    const QImage& picture() const { return picture_; }
    QString caption() const { return caption_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void hover(int ms);
    void leave();
    void take(double seconds, const QImage& picture);
    void place();
    int pictureHeight() const;

    SeekSlider* slider_;
    const Playback* playback_;
    MediaActions* actions_;
    QImage picture_;
    QString caption_;
    int at_ = 0; // the value under the pointer
    QTimer giveBack_;
};
