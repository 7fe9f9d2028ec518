#pragma once
// What the program offers the desktop it runs on: the screen stays awake while a video is watched, and
// the media keys and the desktop's media controls reach the player (MPRIS 2 on the session bus). Without a
// session bus only the X11 screen-saver hold remains; no bus is started to get one.

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <optional>

class MprisService;
class PlayerLink;
class ScreenSaverInhibitor;

class DesktopServices : public QObject {
    Q_OBJECT
  public:
    explicit DesktopServices(QObject* parent = nullptr);
    ~DesktopServices() override;

    ScreenSaverInhibitor* screenSaver() const { return screenSaver_; }
    // Null without a session bus, and until it answers.
    MprisService* mpris() const { return mpris_; }

  signals:
    // The session bus answered: MPRIS is offered and the desktop is asked to keep the screen awake.
    void busConnected();

  private:
    PlayerLink* link_;
    ScreenSaverInhibitor* screenSaver_;
    std::optional<QDBusConnection> bus_;
    MprisService* mpris_ = nullptr;
};

// Call once the player window is shown. The services follow the player window of the window registry and
// end with the application (before its display connection closes). Returns them, for tests.
DesktopServices* installDesktopServices();
