#pragma once
// org.mpris.MediaPlayer2.Player: the media keys and the desktop's media controls. Every call goes through
// the component's own operations, exactly as a click on its control bar does; every change the user makes
// there is announced with PropertiesChanged (and Seeked for jumps in position).

#include "desktop/mpris_track.h"
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QElapsedTimer>
#include <QVariantMap>

class MediaPlayer;
class PlayerLink;

class MprisPlayer : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(double Rate READ rate WRITE setRate)
    Q_PROPERTY(double MinimumRate READ minimumRate)
    Q_PROPERTY(double MaximumRate READ maximumRate)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ volume WRITE setVolume)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(bool CanGoNext READ canGoNext)
    Q_PROPERTY(bool CanGoPrevious READ canGoPrevious)
    Q_PROPERTY(bool CanPlay READ loaded)
    Q_PROPERTY(bool CanPause READ loaded)
    Q_PROPERTY(bool CanSeek READ loaded)
    Q_PROPERTY(bool CanControl READ yes)

  public:
    // object: the object registered at /org/mpris/MediaPlayer2.
    MprisPlayer(QObject* object, PlayerLink* link, const QDBusConnection& bus);

    QString playbackStatus() const;
    // The player's speed, within the slowest and fastest it offers; 0 pauses, as the interface asks.
    double rate() const;
    void setRate(double rate);
    double minimumRate() const;
    double maximumRate() const;
    bool canGoNext() const;
    bool canGoPrevious() const;
    QVariantMap metadata() const;
    double volume() const;
    void setVolume(double volume);
    qlonglong position() const;
    bool loaded() const;
    bool yes() const { return true; }

  public slots:
    void Next();
    void Previous();
    void Play();
    void Pause();
    void PlayPause();
    void Stop();
    void Seek(qlonglong offset);
    void SetPosition(const QDBusObjectPath& trackId, qlonglong position);
    // Refused with NotSupported: the program opens only what is chosen in its own lists.
    void OpenUri(const QString& uri, const QDBusMessage& message);

  signals:
    void Seeked(qlonglong position);

  private:
    MediaPlayer* player() const;
    void follow(MediaPlayer* player);
    void announceChanges();
    void watchPosition(double seconds);
    void seekTo(double seconds);

    PlayerLink* link_;
    QDBusConnection bus_;
    MprisTrack track_;
    QVariantMap announced_; // the properties as last announced
    QString status_ = QStringLiteral("Stopped");
    double lastPosition_ = 0;
    QString positionUrl_;
    double seekTarget_ = -1; // where a seek asked over the bus goes, until the position gets there
    bool seeking_ = false;
    QElapsedTimer sinceLastPosition_;
};
