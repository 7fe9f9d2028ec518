#pragma once
// org.mpris.MediaPlayer2: who the player is, for the desktop's media controls, and Raise.

#include <QDBusAbstractAdaptor>
#include <QStringList>
#include <functional>

class MprisRoot : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ canQuit)
    Q_PROPERTY(bool CanRaise READ canRaise)
    Q_PROPERTY(bool HasTrackList READ hasTrackList)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ supportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ supportedMimeTypes)

  public:
    // raise: shows the player window and brings it to the front.
    MprisRoot(QObject* object, std::function<void()> raise);

    bool canQuit() const { return false; }
    bool canRaise() const { return true; }
    bool hasTrackList() const { return false; }
    QString identity() const;
    QString desktopEntry() const;
    // Nothing is opened from outside: files are chosen in the player's own lists.
    QStringList supportedUriSchemes() const { return {}; }
    QStringList supportedMimeTypes() const { return {}; }

  public slots:
    void Raise();
    // CanQuit is false: the program ends only through its own windows.
    void Quit() {}

  private:
    std::function<void()> raise_;
};
