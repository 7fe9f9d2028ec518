#pragma once
// What the core reports of the file playing, as the component shows it: the position, the length, whether
// there is a picture, and the title. Each value is told when it changes; the engine also sets them where
// it knows better than the core for a moment (a seek sent, a file about to open).

#include "engine/engine_events.h"

#include <QObject>
#include <QString>
#include <functional>

class MpvClient;

class PlaybackReport : public QObject {
    Q_OBJECT
  public:
    // A length past this (a broken header's 1e300) is taken as unknown.
    static constexpr double kLongestLength = 2'000'000; // seconds: 23 days, in the seek bar's int of ms

    // fileOpen: while it says so, an unknown position (for a moment, while seeking or loading) keeps the
    // last.
    PlaybackReport(MpvClient& client, std::function<bool()> fileOpen);

    double position() const { return position_; }
    void setPosition(double seconds);
    double duration() const { return duration_; } // 0 while unknown
    void setDuration(double seconds);
    bool hasVideo() const { return hasVideo_; }
    void setHasVideo(bool present);
    QString mediaTitle() const { return mediaTitle_; } // the tag's title, else the file name
    void setMediaTitle(const QString& title);
    const MediaChapters& chapters() const { return chapters_; } // in the order of the file
    void setChapters(const MediaChapters& chapters);

  signals:
    void positionChanged(double seconds);
    void durationChanged(double seconds);
    void hasVideoChanged(bool hasVideo);
    void mediaTitleChanged(const QString& title);
    void chaptersChanged();

  private:
    double position_ = 0;
    std::function<bool()> fileOpen_;
    double duration_ = 0;
    bool hasVideo_ = false;
    QString mediaTitle_;
    MediaChapters chapters_;
};
