#pragma once
// The player's MPRIS 2 presence on the session bus: the object /org/mpris/MediaPlayer2 with its two
// interfaces, under the name org.mpris.MediaPlayer2.tolvane_player (".instance<pid>" appended when another
// copy of the program holds that name already).

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <functional>

class PlayerLink;

class MprisService : public QObject {
    Q_OBJECT
  public:
    // raise: shows the player window and brings it to the front.
    MprisService(const QDBusConnection& bus, PlayerLink* link, std::function<void()> raise,
                 QObject* parent = nullptr);
    ~MprisService() override;

    // The name taken on the bus; empty if none could be taken.
    QString busName() const { return busName_; }

  private:
    void requestName(const QString& name, bool first);

    QDBusConnection bus_;
    QString busName_;
};
