#pragma once
// Keeps the screen awake exactly while a video is watched (VideoActivity), through every route the session
// offers: the X screen-saver extension on X11, and the desktop's own inhibit over the session bus.

#include "desktop/x11_screen_saver.h"
#include <QDBusConnection>
#include <QObject>
#include <QString>

class BusIdleInhibitor;
class MediaPlayer;
class VideoActivity;

class ScreenSaverInhibitor : public QObject {
    Q_OBJECT
  public:
    explicit ScreenSaverInhibitor(QObject* parent = nullptr);
    // The session bus, once connected: the desktop is asked too from then on.
    void setBus(const QDBusConnection& bus);
    ~ScreenSaverInhibitor() override;

    void setPlayer(MediaPlayer* player);
    bool isHeld() const { return held_; }

  private:
    void setHeld(bool held);

    VideoActivity* activity_;
    X11ScreenSaver x11_;
    BusIdleInhibitor* bus_ = nullptr;
    QString windowId_; // the portal's parent-window text
    bool held_ = false;
};
