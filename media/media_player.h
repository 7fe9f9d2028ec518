#pragma once
// The embedded media player component (the control `WindowsMediaPlayer1`): its settings, operations and
// events over the libmpv engine, with its own video area, control bar, keys, context menu and full screen.

#include <QMenu>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <memory>

#include "media/stored_settings.h"

class FullScreenSwitch;
class FullScreenWindow;
class MediaActions;
class MediaControls;
class MediaEngine;
class Playback;

class QMouseEvent;
class QVBoxLayout;
class TransportBar;
class VideoView;

class MediaPlayer : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString URL READ URL WRITE setURL)
    Q_PROPERTY(int playState READ playState)
    Q_PROPERTY(bool fullScreen READ fullScreen WRITE setFullScreen)
    Q_PROPERTY(double currentPosition READ currentPosition WRITE setCurrentPosition)
    Q_PROPERTY(double rate READ rate WRITE setRate)
    Q_PROPERTY(int balance READ balance WRITE setBalance)
    Q_PROPERTY(int playCount READ playCount WRITE setPlayCount)
    Q_PROPERTY(bool autoStart READ autoStart WRITE setAutoStart)
    Q_PROPERTY(int volume READ volume WRITE setVolume)
    Q_PROPERTY(bool mute READ mute WRITE setMute)
    Q_PROPERTY(QString uiMode READ uiMode WRITE setUiMode)
    Q_PROPERTY(bool stretchToFit READ stretchToFit WRITE setStretchToFit)
    Q_PROPERTY(bool windowlessVideo READ windowlessVideo WRITE setWindowlessVideo)
    Q_PROPERTY(bool enabled READ enabled WRITE setEnabled)
    Q_PROPERTY(bool enableContextMenu READ enableContextMenu WRITE setEnableContextMenu)
    Q_PROPERTY(bool enableErrorDialogs READ enableErrorDialogs WRITE setEnableErrorDialogs)
    Q_PROPERTY(bool invokeURLs READ invokeURLs WRITE setInvokeURLs)
    Q_PROPERTY(QString baseURL READ baseURL WRITE setBaseURL)
    Q_PROPERTY(QString defaultFrame READ defaultFrame WRITE setDefaultFrame)
    Q_PROPERTY(QString SAMIStyle READ SAMIStyle WRITE setSAMIStyle)
    Q_PROPERTY(QString SAMILang READ SAMILang WRITE setSAMILang)
    Q_PROPERTY(QString SAMIFilename READ SAMIFilename WRITE setSAMIFilename)
    Q_PROPERTY(QString captioningID READ captioningID WRITE setCaptioningID)
    Q_PROPERTY(int currentMarker READ currentMarker WRITE setCurrentMarker)
    Q_PROPERTY(QString statusText READ statusText)

  public:
    explicit MediaPlayer(QWidget* parent = nullptr);
    ~MediaPlayer() override;

    // Opens the file and, autoStart being true, plays it, replacing what played. Never blocks and never
    // throws: a file that cannot be played leaves playState at 10 and the reason in statusText().
    QString URL() const;
    void setURL(const QString& url);
    // A file is about to be picked (the pointer or the focus came to the list of files): the engine and the
    // video area get ready, so that the file only has to be loaded.
    void prepare();

    MediaControls* controls() const { return controls_; }
    // The host's files around this one: past the ends of the file and its list, Previous and Next ask for
    // them (neighbourWanted) and are offered while there is one.
    void setNeighbours(bool before, bool after);
    int playState() const;
    QString statusText() const { return statusText_; }
    // What the desktop reads of the file: its length in seconds (0 while unknown), its title (the tag's,
    // else the file name; empty until known), whether it has a picture, and why it could not be played.
    double duration() const;
    QString mediaTitle() const;
    bool hasVideo() const;
    QString failureReason() const;

    bool fullScreen() const;
    void setFullScreen(bool on);
    double currentPosition() const;
    void setCurrentPosition(double seconds);

    // The rate setting, which every new file starts at; rate() reads the speed now, which setSpeed() (the
    // menu's and the desktop's choice) changes for the file playing only.
    double rate() const;
    void setRate(double rate);
    void setSpeed(double rate);
    int balance() const;
    void setBalance(int balance);
    int playCount() const;
    void setPlayCount(int count);
    bool autoStart() const;
    void setAutoStart(bool on);
    int volume() const;
    void setVolume(int volume);
    bool mute() const;
    void setMute(bool on);
    QString uiMode() const { return uiMode_; }
    void setUiMode(const QString& mode);
    bool stretchToFit() const;
    void setStretchToFit(bool on);
    bool windowlessVideo() const { return stored_.windowlessVideo; }
    void setWindowlessVideo(bool on) { stored_.windowlessVideo = on; }
    // The component's own setting: false disables its control bar, keys and menu; the video still plays.
    bool enabled() const { return enabled_; }
    void setEnabled(bool on);
    bool enableContextMenu() const { return enableContextMenu_; }
    void setEnableContextMenu(bool on) { enableContextMenu_ = on; }
    bool enableErrorDialogs() const { return enableErrorDialogs_; }
    void setEnableErrorDialogs(bool on) { enableErrorDialogs_ = on; }
    bool invokeURLs() const { return stored_.invokeURLs; }
    void setInvokeURLs(bool on) { stored_.invokeURLs = on; }
    QString baseURL() const { return stored_.baseURL; }
    void setBaseURL(const QString& url) { stored_.baseURL = url; }
    QString defaultFrame() const { return stored_.defaultFrame; }
    void setDefaultFrame(const QString& frame) { stored_.defaultFrame = frame; }
    QString SAMIStyle() const { return stored_.samiStyle; }
    void setSAMIStyle(const QString& style) { stored_.samiStyle = style; }
    QString SAMILang() const { return stored_.samiLang; }
    void setSAMILang(const QString& lang) { stored_.samiLang = lang; }
    QString SAMIFilename() const { return stored_.samiFilename; }
    void setSAMIFilename(const QString& name) { stored_.samiFilename = name; }
    QString captioningID() const { return stored_.captioningID; }
    void setCaptioningID(const QString& id) { stored_.captioningID = id; }
    int currentMarker() const { return stored_.currentMarker; }
    void setCurrentMarker(int marker) { stored_.currentMarker = marker; }

    // Parts, for tests and for the window that hosts the component. The engine is for tests only: the rest
    // of the program speaks to the component through its own interface.
    MediaEngine* engine() const { return engine_.get(); }
    VideoView* videoView() const { return video_; }
    TransportBar* transportBar() const { return bar_; }
    FullScreenWindow* fullScreenWindow() const;
    QMenu* contextMenu() const { return menu_; }
    // Play/pause, stop, previous and next, the scans, the speeds, mute, volume, full screen and the tracks:
    // what the keys, the menu, the bar and the desktop's media controls use.
    MediaActions* actions() const { return actions_; }

  signals:
    void Click(short button, short shiftState, int x, int y);
    void DoubleClick(short button, short shiftState, int x, int y);
    void MouseDown(short button, short shiftState, int x, int y);
    void MouseMove(short button, short shiftState, int x, int y);
    void MouseUp(short button, short shiftState, int x, int y);
    void PlayStateChange(int newState);
    void MediaError(const QString& reason);
    // For the desktop's media controls.
    void positionChanged(double seconds);
    void durationChanged(double seconds);
    void volumeChanged(int volume);
    void rateChanged(double rate);
    void hasVideoChanged(bool hasVideo);
    void mediaTitleChanged(const QString& title);
    // Previous (-1) or Next (1) went past the ends: the host plays its file before or after.
    void neighbourWanted(int step);

  private:
    void onPointer(QMouseEvent* event);
    void onStateChanged(int state);
    void onFailed(const QString& reason);
    void updateStatus();
    void applyUiMode();
    void showContextMenu(const QPoint& globalPosition);
    void shutdown();
    friend class MediaFrame;
    bool handleKey(QKeyEvent* event);

    std::unique_ptr<MediaEngine> engine_; // outlives the view: the view frees its render context first
    Playback* playback_ = nullptr;        // what the widgets read
    MediaControls* controls_ = nullptr;
    MediaActions* actions_ = nullptr;
    QVBoxLayout* layout_ = nullptr;
    QWidget* content_ = nullptr; // video and bar; moves to the full-screen window and back
    VideoView* video_ = nullptr;
    TransportBar* bar_ = nullptr;
    FullScreenSwitch* fullScreen_ = nullptr;
    QPointer<QMenu> menu_;
    QString statusText_;

    bool pressHeld_ = false; // a press went out and its release has not come yet
    bool afterDoubleClick_ = false;

    QString uiMode_ = QStringLiteral("full");
    bool enabled_ = true;
    bool enableContextMenu_ = true;
    bool enableErrorDialogs_ = false;
    StoredSettings stored_;
};
