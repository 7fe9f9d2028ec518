#pragma once
// Keeps the screen awake exactly while a video is watched (VideoActivity), through every route the session
// offers: the X screen-saver extension on X11, and the desktop's own inhibit over the session bus.

#include "desktop/x11_screen_saver.h"
#include <QDBusConnection>
#include <QObject>
#include <optional>

class BusIdleInhibitor;
class MediaPlayer;
class VideoActivity;

class ScreenSaverInhibitor : public QObject {
    Q_OBJECT
  public:
    // bus: the session bus, if there is one.
    explicit ScreenSaverInhibitor(const std::optional<QDBusConnection>& bus, QObject* parent = nullptr);
    ~ScreenSaverInhibitor() override;

    void setPlayer(MediaPlayer* player);
    bool isHeld() const { return held_; }

  private:
    void setHeld(bool held);

    VideoActivity* activity_;
    X11ScreenSaver x11_;
    BusIdleInhibitor* bus_ = nullptr;
    bool held_ = false;
};
