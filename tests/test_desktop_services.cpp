// The program on a desktop: the screen saver stays off while a video is watched and comes back as soon as
// it is not (the X server's own saver at 3 s, and a desktop's org.freedesktop.ScreenSaver or portal on a
// private session bus); MPRIS 2 on that bus, read and driven by playerctl, a real MPRIS client.
#include "app/window_registry.h"
#include "desktop/desktop_services.h"
#include "desktop/mpris_service.h"
#include "desktop/mpris_values.h"
#include "desktop/screen_saver_inhibitor.h"
#include "engine/media_engine.h"
#include "files/fs_names.h"
#include "media/media_controls.h"
#include "media/media_player.h"
#include "player/player_window.h"
#include "support/child_process.h"
#include "support/private_bus.h"
#include "support/session.h"
#include "support/test_main.h"
#include "support/test_media.h"
#include "support/x_screen_saver.h"
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QElapsedTimer>
#include <QMenuBar>
#include <QSet>
#include <QtTest>
#include <csignal>

namespace {

constexpr qint64 saverSeconds = 3;
const QString mprisPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString playerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

// What a desktop's screen-saver service and its portal are asked, in the order asked.
class DesktopSide : public QObject {
    Q_OBJECT
  public:
    QStringList calls;
    QSet<QString> held;
    uint nextCookie = 0;
};

class FakeScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
  public:
    explicit FakeScreenSaver(DesktopSide* side) : side_(side) {}
  public slots:
    uint Inhibit(const QString& application, const QString&) {
        const uint cookie = ++side_->nextCookie;
        side_->calls << QStringLiteral("Inhibit %1 -> %2").arg(application).arg(cookie);
        side_->held.insert(QString::number(cookie));
        return cookie;
    }
    void UnInhibit(uint cookie) {
        side_->calls << QStringLiteral("UnInhibit %1").arg(cookie);
        side_->held.remove(QString::number(cookie));
    }

  private:
    DesktopSide* side_;
};

class FakePortalRequest : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Request")
  public:
    FakePortalRequest(DesktopSide* side, const QString& path) : side_(side), path_(path) {}
  public slots:
    void Close() {
        side_->calls << QStringLiteral("Close %1").arg(path_);
        side_->held.remove(path_);
    }

  private:
    DesktopSide* side_;
    QString path_;
};

class FakePortal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Inhibit")
  public:
    FakePortal(DesktopSide* side, const QDBusConnection& bus) : side_(side), bus_(bus) {}
  public slots:
    QDBusObjectPath Inhibit(const QString& window, uint flags, const QVariantMap& options) {
        const QString path =
            QStringLiteral("/org/freedesktop/portal/desktop/request/1_1/t%1").arg(++side_->nextCookie);
        bus_.registerObject(path, new FakePortalRequest(side_, path), QDBusConnection::ExportAllSlots);
        side_->calls << QStringLiteral("Inhibit %1 flags %2 reason %3 -> %4")
                            .arg(window.left(4))
                            .arg(flags)
                            .arg(options.value(QStringLiteral("reason")).toString(), path);
        side_->held.insert(path);
        return QDBusObjectPath(path);
    }

  private:
    DesktopSide* side_;
    QDBusConnection bus_;
};

// A call from this process to the program in this process: answered while the event loop turns.
QDBusMessage callAndWait(const QDBusConnection& bus, const QDBusMessage& call) {
    QDBusPendingCall pending = bus.asyncCall(call);
    if (!QTest::qWaitFor([&] { return pending.isFinished(); }, 10000))
        qWarning("no answer to %s", qPrintable(call.member()));
    return pending.reply();
}

QVariantMap allProperties(const QDBusConnection& bus, const QString& service, const QString& interface) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        service, mprisPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("GetAll"));
    call << interface;
    const QDBusMessage reply = callAndWait(bus, call);
    return reply.arguments().isEmpty() ? QVariantMap() : qdbus_cast<QVariantMap>(reply.arguments().first());
}

// Watches the X saver for twice its time: how long into that it came on, or -1 if it stayed off.
qint64 saverCameOnWithin() {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 2000 * saverSeconds) {
        if (screenSaverActive())
            return clock.elapsed();
        QTest::qWait(100);
    }
    return -1;
}

// The same clip with a title in its tags.
QString titledCopy(const QString& source, const QString& target, const QString& title) {
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), {"-nostdin", "-loglevel", "error", "-y", "-i", source, "-c",
                                            "copy", "-metadata", QStringLiteral("title=") + title, target});
    return ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0 ? target : QString();
}

} // namespace

class DesktopServicesTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void init();
    void cleanup();
    void screenSaverFollowsWhatIsWatched_data();
    void screenSaverFollowsWhatIsWatched();
    void noHoldBeforeHalfASecondOfVideo();
    void minimisedVideoKeepsPlaying_data();
    void minimisedVideoKeepsPlaying();
    void followsAPlayerWindowBuiltAfresh();
    void desktopInhibitFollowsPlayback_data();
    void desktopInhibitFollowsPlayback();
    void mprisDescribesThePlayer_data();
    void mprisDescribesThePlayer();
    void mprisDrivesThePlayer();
    void mprisValues_data();
    void mprisValues();
    void mprisMovesThroughAListAndSetsTheRate();
    void playerctlDrivesTheProgram();
    void noSessionBusNoBusAndNoHelper();
    void aStoppedBusHoldsNothingUp();
    void aStoppedBusHoldsUpNoOtherBus();

  private:
    MediaPlayer* player() { return session::player()->WindowsMediaPlayer1; }
    bool playing() { return player()->playState() == MediaEngine::Playing; }

    TestMedia media_;
    QString longVideo_, shortVideo_, audio_;
    DesktopServices* services_ = nullptr;
};

void DesktopServicesTest::initTestCase() {
    QVERIFY(media_.isValid());
    longVideo_ = media_.video(30.0);
    shortVideo_ = media_.video(2.0);
    audio_ = media_.mp3(30.0);
    qunsetenv("DBUS_SESSION_BUS_ADDRESS"); // each test brings its own bus, or none
    setScreenSaverTimes(int(saverSeconds), int(saverSeconds));
    showWindow(windows().frm);
    QVERIFY(QTest::qWaitForWindowExposed(session::player()));
}

void DesktopServicesTest::init() {
    resetScreenSaver();
}

void DesktopServicesTest::cleanup() {
    delete services_;
    services_ = nullptr;
    showWindow(windows().frm);
    if (session::player()->isMinimized())
        session::player()->showNormal();
    player()->setURL(QString());
    QTRY_VERIFY(!player()->engine()->hasMedia());
}

// ---- the X server's screen saver
// ------------------------------------------------------------------------------

void DesktopServicesTest::screenSaverFollowsWhatIsWatched_data() {
    QTest::addColumn<QString>("clip");
    QTest::addColumn<QString>("then");
    QTest::addColumn<bool>("held");
    QTest::newRow("video playing") << "video"
                                   << "nothing" << true;
    QTest::newRow("video paused") << "video"
                                  << "pause" << false;
    QTest::newRow("video stopped") << "video"
                                   << "stop" << false;
    QTest::newRow("video ended") << "short video"
                                 << "end" << false;
    QTest::newRow("window minimised") << "video"
                                      << "minimise" << false;
    QTest::newRow("window hidden") << "video"
                                   << "hide" << false;
    QTest::newRow("audio only") << "audio"
                                << "nothing" << false;
}

void DesktopServicesTest::screenSaverFollowsWhatIsWatched() {
    QFETCH(QString, clip);
    QFETCH(QString, then);
    QFETCH(bool, held);
    services_ = installDesktopServices(); // no session bus: the X extension alone
    QVERIFY(!services_->mpris());
    player()->setURL(clip == "audio" ? audio_ : clip == "short video" ? shortVideo_ : longVideo_);
    QTRY_VERIFY_WITH_TIMEOUT(playing(), 20000);
    resetScreenSaver(); // the saver's count starts with the playback
    QElapsedTimer clock;
    clock.start();
    if (then == "pause")
        player()->controls()->pause();
    else if (then == "stop")
        player()->controls()->stop();
    else if (then == "minimise")
        session::player()->showMinimized();
    else if (then == "hide")
        hideWindow(windows().frm);
    else if (then == "end")
        QTRY_VERIFY_WITH_TIMEOUT(player()->playState() == MediaEngine::Stopped, 20000);

    if (held) {
        const qint64 on = saverCameOnWithin();
        QVERIFY2(on < 0, qPrintable(QStringLiteral("the saver came on %1 ms into playback").arg(on)));
        QVERIFY(playing());
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(screenSaverActive(), 20000);
        qInfo("saver on %.1f s after: %s", clock.elapsed() / 1000.0, qPrintable(QTest::currentDataTag()));
    }
}

// A new file counts as video until the engine finds it has none: the hold waits until a video has played for
// half a second. (Load can only make it later.)
void DesktopServicesTest::noHoldBeforeHalfASecondOfVideo() {
    services_ = installDesktopServices();
    QElapsedTimer sincePlaying;
    connect(player(), &MediaPlayer::PlayStateChange, services_, [&](int state) {
        if (state == MediaEngine::Playing && !sincePlaying.isValid())
            sincePlaying.start();
    });
    player()->setURL(longVideo_);
    QTRY_VERIFY_WITH_TIMEOUT(services_->screenSaver()->isHeld(), 20000);
    QVERIFY2(sincePlaying.elapsed() >= 450, qPrintable(QString::number(sincePlaying.elapsed())));
}

void DesktopServicesTest::minimisedVideoKeepsPlaying_data() {
    QTest::addColumn<QString>("then");
    QTest::newRow("window minimised") << "minimise";
    QTest::newRow("window hidden") << "hide";
}

// A video off screen keeps its pace, and its frames are still taken from the core as they fall due: were
// one left waiting for the drawer, the core would hold it back and then drop it, and the picture would lag
// when the window is back. (Under a window manager a minimised window is unmapped; without one it is not.)
void DesktopServicesTest::minimisedVideoKeepsPlaying() {
    QFETCH(QString, then);
    if (then == "minimise" && qEnvironmentVariableIsEmpty("TEST_WM"))
        QSKIP("needs a window manager (TEST_WM): without one a minimised window stays mapped");
    player()->setURL(longVideo_);
    QTRY_VERIFY_WITH_TIMEOUT(playing(), 20000);
    if (then == "minimise")
        session::player()->showMinimized();
    else
        hideWindow(windows().frm);
    QTRY_VERIFY(!session::player()->windowHandle()->isExposed());
    const auto late = [this] {
        return player()->engine()->coreProperty("frame-drop-count").toInt() +
               player()->engine()->coreProperty("vo-delayed-frame-count").toInt();
    };
    const int lateBefore = late();
    const double from = player()->currentPosition();
    QElapsedTimer clock;
    clock.start();
    QTest::qWait(2000);
    const double advanced = player()->currentPosition() - from, elapsed = clock.elapsed() / 1000.0;
    showWindow(windows().frm);
    session::player()->showNormal();
    QVERIFY(QTest::qWaitForWindowExposed(session::player()));
    const int frames = int(advanced * 25), lateFrames = late() - lateBefore;
    qInfo("%.2f s of video in %.2f s off screen, %d of its %d frames dropped or delayed", advanced, elapsed,
          lateFrames, frames);
    QVERIFY2(playing() && advanced > elapsed / 2, qPrintable(QString::number(advanced)));
    QVERIFY2(lateFrames < frames / 4, qPrintable(QString::number(lateFrames))); // a core kept waiting: most
}

// The player window closed (another window still open) and built again: the services follow the new one.
void DesktopServicesTest::followsAPlayerWindowBuiltAfresh() {
    services_ = installDesktopServices();
    player()->setURL(longVideo_);
    QTRY_VERIFY_WITH_TIMEOUT(services_->screenSaver()->isHeld(), 20000);
    QPointer<QWidget> old = session::player();
    old->close();
    QTRY_VERIFY(old.isNull());
    QVERIFY(!services_->screenSaver()->isHeld()); // the window went while playing: the screen is free
    showWindow(windows().frm);
    QVERIFY(QTest::qWaitForWindowExposed(session::player()));
    player()->setURL(longVideo_);
    QTRY_VERIFY_WITH_TIMEOUT(playing(), 20000);
    QTRY_VERIFY(services_->screenSaver()->isHeld());
    resetScreenSaver();
    QCOMPARE(saverCameOnWithin(), -1);
}

// ---- the desktop's inhibit over the session bus
// --------------------------------------------------------------

void DesktopServicesTest::desktopInhibitFollowsPlayback_data() {
    QTest::addColumn<QString>("offered");
    QTest::newRow("org.freedesktop.ScreenSaver") << "screensaver";
    QTest::newRow("portal only") << "portal";
    QTest::newRow("neither") << "none";
}

void DesktopServicesTest::desktopInhibitFollowsPlayback() {
    QFETCH(QString, offered);
    PrivateSessionBus bus;
    QVERIFY(bus.isValid());
    QDBusConnection desktop = QDBusConnection::connectToBus(bus.address(), QStringLiteral("fake-desktop"));
    const auto closeDesktop =
        qScopeGuard([] { QDBusConnection::disconnectFromBus(QStringLiteral("fake-desktop")); });
    DesktopSide side;
    FakeScreenSaver saver(&side);
    FakePortal portal(&side, desktop);
    if (offered == "screensaver") {
        QVERIFY(
            desktop.registerObject("/org/freedesktop/ScreenSaver", &saver, QDBusConnection::ExportAllSlots));
        QVERIFY(desktop.registerService("org.freedesktop.ScreenSaver"));
    } else if (offered == "portal") {
        QVERIFY(desktop.registerObject("/org/freedesktop/portal/desktop", &portal,
                                       QDBusConnection::ExportAllSlots));
        QVERIFY(desktop.registerService("org.freedesktop.portal.Desktop"));
    }
    const int holds = offered == "none" ? 0 : 1;
    services_ = installDesktopServices();

    player()->setURL(longVideo_);
    QTRY_VERIFY_WITH_TIMEOUT(playing(), 20000);
    QTRY_VERIFY(services_->screenSaver()->isHeld());
    QTRY_COMPARE(side.held.size(), holds);
    player()->controls()->pause();
    QTRY_COMPARE(side.held.size(), 0);
    QVERIFY(!services_->screenSaver()->isHeld());
    player()->controls()->play();
    QTRY_COMPARE(side.held.size(), holds);
    player()->setURL(audio_);
    QTRY_VERIFY_WITH_TIMEOUT(playing() && !player()->engine()->hasVideo(), 20000);
    QTRY_COMPARE(side.held.size(), 0);
    player()->setURL(longVideo_);
    QTRY_VERIFY_WITH_TIMEOUT(playing(), 20000);
    QTRY_COMPARE(side.held.size(), holds);
    delete services_; // as at program end
    services_ = nullptr;
    QTRY_COMPARE(side.held.size(), 0);

    if (offered == "screensaver")
        QCOMPARE(side.calls.first(), QStringLiteral("Inhibit Tolvane URL Media Player -> 1"));
    if (offered == "portal")
        QVERIFY2(side.calls.first().startsWith("Inhibit x11: flags 8 reason Playing a video"),
                 qPrintable(side.calls.first()));
    QVERIFY2(side.calls.size() == qsizetype(6) * holds,
             qPrintable(side.calls.join(", "))); // three holds, each given back
}

// ---- MPRIS 2
// ----------------------------------------------------------------------------------------------------

namespace {

// The change signals of the player's MPRIS object, as a client receives them.
class MprisSignals : public QObject {
    Q_OBJECT
  public:
    QList<QVariantMap> changes;
    QList<qlonglong> seeks;
    QVariant lastChange(const QString& property) const {
        for (auto it = changes.crbegin(); it != changes.crend(); ++it)
            if (it->contains(property))
                return it->value(property);
        return {};
    }
  public slots:
    void propertiesChanged(const QString&, const QVariantMap& changed, const QStringList&) {
        changes << changed;
    }
    void seeked(qlonglong position) { seeks << position; }
};

} // namespace

// The session bus, the program's MPRIS object on it, and a client connection that hears its signals.
struct MprisSession {
    PrivateSessionBus bus;
    QDBusConnection client{QStringLiteral("mpris-client")};
    QString name;
    MprisSignals heard;

    ~MprisSession() { QDBusConnection::disconnectFromBus(QStringLiteral("mpris-client")); }
    bool open(const DesktopServices* services) {
        // The services connect on a thread of their own, and take the name once the bus has answered.
        if (!bus.isValid() ||
            !QTest::qWaitFor([&] { return services->mpris() && !services->mpris()->busName().isEmpty(); },
                             10000))
            return false;
        name = services->mpris()->busName();
        client = QDBusConnection::connectToBus(bus.address(), QStringLiteral("mpris-client"));
        return client.connect(name, mprisPath, "org.freedesktop.DBus.Properties", "PropertiesChanged", &heard,
                              SLOT(propertiesChanged(QString, QVariantMap, QStringList))) &&
               client.connect(name, mprisPath, playerInterface, "Seeked", &heard, SLOT(seeked(qlonglong)));
    }
    QDBusMessage call(const QString& method, const QVariantList& arguments = {},
                      const QString& interface = playerInterface) {
        QDBusMessage message = QDBusMessage::createMethodCall(name, mprisPath, interface, method);
        message.setArguments(arguments);
        return callAndWait(client, message);
    }
};

void DesktopServicesTest::mprisDescribesThePlayer_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("title"); // empty: no file loaded
    QTest::newRow("video with a title tag")
        << titledCopy(longVideo_, media_.folder() + "/titled.mp4", "Northern Lights") << "Northern Lights";
    QTest::newRow("audio without tags") << audio_ << "tone 30.00 s.mp3";
    QTest::newRow("not a media file") << media_.textFile() << "";
}

void DesktopServicesTest::mprisDescribesThePlayer() {
    QFETCH(QString, file);
    QFETCH(QString, title);
    MprisSession mpris;
    services_ = installDesktopServices();
    QVERIFY(mpris.open(services_));
    QCOMPARE(mpris.name, QStringLiteral("org.mpris.MediaPlayer2.tolvane_player"));
    const QVariantMap root = allProperties(mpris.client, mpris.name, "org.mpris.MediaPlayer2");
    QCOMPARE(root.value("Identity").toString(), QStringLiteral("Tolvane URL Media Player"));
    QCOMPARE(root.value("DesktopEntry").toString(), QStringLiteral("org.tolvane.Player"));
    QCOMPARE(root.value("CanQuit"), QVariant(false));
    QCOMPARE(root.value("CanRaise"), QVariant(true));
    QCOMPARE(root.value("HasTrackList"), QVariant(false));

    player()->setURL(file);
    QVERIFY(session::waitSettled(player(), 20000));
    const QVariantMap state = allProperties(mpris.client, mpris.name, playerInterface);
    QCOMPARE(state.value("CanControl"), QVariant(true));
    QCOMPARE(state.value("CanGoNext"), QVariant(false));
    QCOMPARE(state.value("CanPlay"), QVariant(!title.isEmpty()));
    QCOMPARE(state.value("CanSeek"), QVariant(!title.isEmpty()));
    QCOMPARE(mpris.call("OpenUri", {QUrl::fromLocalFile(file).toString()}).errorName(),
             QStringLiteral("org.freedesktop.DBus.Error.NotSupported"));
    const QVariantMap metadata = qdbus_cast<QVariantMap>(state.value("Metadata"));
    if (title.isEmpty()) {
        QVERIFY(metadata.isEmpty());
        mpris.call("Play");
        QCOMPARE(player()->playState(), int(MediaEngine::Ready));
        return;
    }
    QCOMPARE(state.value("PlaybackStatus").toString(), QStringLiteral("Playing"));
    QCOMPARE(metadata.value("xesam:title").toString(), title);
    QCOMPARE(metadata.value("xesam:url").toString(), QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded));
    QVERIFY(qAbs(metadata.value("mpris:length").toLongLong() - 30'000'000) < 500'000);
    QVERIFY(qdbus_cast<QDBusObjectPath>(metadata.value("mpris:trackid")).path().startsWith('/'));
}

void DesktopServicesTest::mprisDrivesThePlayer() {
    MprisSession mpris;
    services_ = installDesktopServices();
    QVERIFY(mpris.open(services_));
    player()->setURL(longVideo_);
    QTRY_VERIFY_WITH_TIMEOUT(playing(), 20000);
    const QVariantMap metadata =
        qdbus_cast<QVariantMap>(allProperties(mpris.client, mpris.name, playerInterface).value("Metadata"));
    const QDBusObjectPath track = qdbus_cast<QDBusObjectPath>(metadata.value("mpris:trackid"));

    mpris.call("Pause");
    QCOMPARE(player()->playState(), int(MediaEngine::Paused));
    QTRY_COMPARE(mpris.heard.lastChange("PlaybackStatus").toString(), QStringLiteral("Paused"));
    mpris.call("PlayPause");
    QTRY_VERIFY(playing());
    QTRY_COMPARE(mpris.heard.lastChange("PlaybackStatus").toString(), QStringLiteral("Playing"));

    // A position for a track no longer playing changes nothing, and no seek is announced.
    mpris.call("SetPosition",
               {QVariant::fromValue(QDBusObjectPath("/org/tolvane/track/stale")), qlonglong(20'000'000)});
    QTest::qWait(500);
    QVERIFY(player()->currentPosition() < 15);
    QCOMPARE(mpris.heard.seeks.size(), 0);
    mpris.call("SetPosition", {QVariant::fromValue(track), qlonglong(20'000'000)});
    QTRY_VERIFY_WITH_TIMEOUT(player()->currentPosition() >= 19.5, 10000);
    mpris.call("Seek", {qlonglong(-10'000'000)});
    QTRY_VERIFY_WITH_TIMEOUT(player()->currentPosition() < 15, 10000);
    QVERIFY(player()->currentPosition() >= 9.5);
    QTRY_VERIFY(mpris.heard.seeks.size() >= 2);
    QTest::qWait(500); // no further Seeked from the position reports on the way
    QCOMPARE(mpris.heard.seeks.size(), 2);
    QVERIFY(qAbs(mpris.heard.seeks.last() - 10'000'000) < 1'000'000);

    mpris.call("Set", {playerInterface, "Volume", QVariant::fromValue(QDBusVariant(0.3))},
               "org.freedesktop.DBus.Properties");
    QTRY_COMPARE(player()->volume(), 30);
    QTRY_COMPARE(mpris.heard.lastChange("Volume").toDouble(), 0.3);
    player()->setVolume(50);

    // One file following another: the desktop never sees "Stopped" on the way.
    mpris.heard.changes.clear();
    player()->setURL(shortVideo_);
    QTRY_VERIFY_WITH_TIMEOUT(playing() && player()->engine()->duration() < 5, 20000);
    QTest::qWait(300);
    for (const QVariantMap& change : std::as_const(mpris.heard.changes))
        QVERIFY(change.value("PlaybackStatus").toString() != QStringLiteral("Stopped"));

    mpris.call("Stop");
    QTRY_COMPARE(player()->playState(), int(MediaEngine::Stopped));
    QTRY_COMPARE(mpris.heard.lastChange("PlaybackStatus").toString(), QStringLiteral("Stopped"));

    session::player()->showMinimized();
    mpris.call("Raise", {}, "org.mpris.MediaPlayer2");
    QTRY_VERIFY(!session::player()->isMinimized() && session::player()->isActiveWindow());
}

// Times and addresses as MPRIS carries them, at their edges.
void DesktopServicesTest::mprisValues_data() {
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QString>("path"); // as the program names the file: fsDecodeName of its bytes
    QTest::addColumn<QString>("expected");
    const double inf = std::numeric_limits<double>::infinity();
    const QString most = QString::number(std::numeric_limits<qint64>::max());
    QTest::newRow("1.5 s") << 1.5 << ""
                           << "1500000";
    QTest::newRow("zero") << 0.0 << ""
                          << "0";
    QTest::newRow("negative") << -2.0 << ""
                              << "0";
    QTest::newRow("NaN") << std::nan("") << ""
                         << "0";
    QTest::newRow("infinite") << inf << "" << most;
    QTest::newRow("Matroska's 1e300") << 1e300 << "" << most;
    QTest::newRow("just past int64") << 9.3e12 << "" << most;
    QTest::newRow("just within int64") << 9.2e12 << ""
                                       << "9200000000000000000";
    QTest::newRow("plain name") << 0.0 << "/media/a b.mp4"
                                << "file:///media/a%20b.mp4";
    QTest::newRow("UTF-8 name") << 0.0 << "/media/caf\u00e9.mp4"
                                << "file:///media/caf%C3%A9.mp4";
    QTest::newRow("Latin-1 bytes") << 0.0 << fsDecodeName("/media/caf\xe9 \xff.mp4")
                                   << "file:///media/caf%E9%20%FF.mp4";
    QTest::newRow("characters URLs reserve") << 0.0 << "/media/100% #1?.mp4"
                                             << "file:///media/100%25%20%231%3F.mp4";
}

void DesktopServicesTest::mprisValues() {
    QFETCH(double, seconds);
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QCOMPARE(path.isEmpty() ? QString::number(mprisMicroseconds(seconds)) : mprisUrl(path), expected);
}

// Next and Previous from playerctl move through a playlist file, then the folder's files, as the bar's
// buttons do, CanGoNext and CanGoPrevious follow, and the Rate property sets the speed within the bounds it
// announces.
void DesktopServicesTest::mprisMovesThroughAListAndSetsTheRate() {
    MprisSession mpris;
    services_ = installDesktopServices();
    QVERIFY(mpris.open(services_));
    player()->setURL(media_.colourList());
    QTRY_VERIFY_WITH_TIMEOUT(playing(), 20000);
    mpris.call("Pause"); // the clips stay where they are sent
    const auto playerctl = [](const QString& command) {
        return runTool("playerctl", {"--player=tolvane_player", command}).value_or("(failed)");
    };
    const auto entry = [this] { return player()->engine()->coreProperty("playlist-pos"); };
    const auto can = [&] {
        const QVariantMap state = allProperties(mpris.client, mpris.name, playerInterface);
        const auto word = [&](const char* name) { return state.value(name).toBool() ? "true" : "false"; };
        return QStringLiteral("%1 %2").arg(QLatin1String(word("CanGoPrevious")),
                                           QLatin1String(word("CanGoNext")));
    };
    const QStringList steps{"", "next", "next", "previous", "previous"};
    const QStringList entries{"0", "1", "2", "1", "0"};
    const QStringList cans{"false true", "true true", "true false", "true true", "false true"};
    for (qsizetype i = 0; i < steps.size(); ++i) {
        if (!steps[i].isEmpty())
            QCOMPARE(playerctl(steps[i]), QString());
        QTRY_COMPARE_WITH_TIMEOUT(entry(), entries[i], 10000);
        QTRY_COMPARE(can(), cans[i]);
        QTRY_COMPARE(mpris.heard.lastChange("CanGoNext").toBool(), cans[i].endsWith("true"));
    }
    const QVariantMap state = allProperties(mpris.client, mpris.name, playerInterface);
    QCOMPARE(state.value("MinimumRate").toDouble(), 0.5);
    QCOMPARE(state.value("MaximumRate").toDouble(), 1.4);
    const auto setRate = [&](double rate) {
        mpris.call("Set", {playerInterface, "Rate", QVariant::fromValue(QDBusVariant(rate))},
                   "org.freedesktop.DBus.Properties");
    };
    setRate(1.4);
    QTRY_COMPARE(player()->engine()->coreProperty("speed").toDouble(), 1.4);
    QTRY_COMPARE(mpris.heard.lastChange("Rate").toDouble(), 1.4);
    setRate(9.0); // beyond the bounds: the nearest
    QTest::qWait(200);
    QCOMPARE(player()->rate(), 1.4);
    setRate(0.1);
    QTRY_COMPARE(player()->rate(), 0.5);
    QTRY_COMPARE(player()->engine()->coreProperty("speed").toDouble(), 0.5);

    // The same file opened again announces its title again, and plays at the normal rate.
    const QString titled = titledCopy(shortVideo_, media_.folder() + "/again.mp4", "Once More");
    const auto heardTitle = [&] {
        return qdbus_cast<QVariantMap>(mpris.heard.lastChange("Metadata")).value("xesam:title").toString();
    };
    for (int i = 0; i < 2; ++i) {
        player()->setURL(titled);
        QTRY_COMPARE_WITH_TIMEOUT(heardTitle(), QStringLiteral("Once More"), 10000);
        mpris.heard.changes.clear();
    }
    QCOMPARE(allProperties(mpris.client, mpris.name, playerInterface).value("Rate").toDouble(), 1.0);

    // Past the ends of the list, the files of the player's folder, as its file list has them.
    QTemporaryDir folder;
    for (const char* name : {"a.mp4", "b.mp4"})
        QVERIFY(QFile::copy(shortVideo_, folder.filePath(name)));
    frm* window = session::player();
    window->Dir1->setPath(folder.path());
    QTRY_COMPARE(session::rowOf(window->File1, "b.mp4"), 1);
    QVERIFY(session::clickFile(window->File1, "a.mp4"));
    const QStringList fileSteps{"", "next", "next", "previous"};
    const QStringList files{"a.mp4", "b.mp4", "b.mp4", "a.mp4"};
    const QStringList fileCans{"false true", "true false", "true false", "false true"};
    for (qsizetype i = 0; i < fileSteps.size(); ++i) {
        // At the end playerctl itself refuses, CanGoNext being false.
        if (!fileSteps[i].isEmpty())
            QCOMPARE(playerctl(fileSteps[i]), i == 2 ? QStringLiteral("(failed)") : QString());
        QTRY_COMPARE_WITH_TIMEOUT(window->File1->FileName(), files[i], 10000);
        QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(player()->URL()).fileName(), files[i], 10000);
        QTRY_COMPARE(can(), fileCans[i]);
    }
}

// The built program, on a private bus, as playerctl sees and drives it.
void DesktopServicesTest::playerctlDrivesTheProgram() {
    PrivateSessionBus bus;
    QVERIFY(bus.isValid());
    QTemporaryDir folder;
    QVERIFY(!titledCopy(longVideo_, folder.filePath("clip.mp4"), "Northern Lights").isEmpty());
    // Where the clip's row stands in the player window, measured on a twin in this process.
    const QString saved = QDir::currentPath();
    QVERIFY(QDir::setCurrent(folder.path()));
    QPoint row;
    {
        frm twin;
        twin.show();
        QVERIFY(QTest::qWaitForWindowExposed(&twin));
        const int index = session::rowOf(twin.File1, "clip.mp4");
        QVERIFY(index >= 0);
        const QRect rect = twin.File1->visualRect(twin.File1->model()->index(index, 0));
        row = twin.File1->viewport()->mapTo(&twin, rect.center());
    }
    hideWindow(windows().frm); // only the program's window has the title now
    auto program = std::make_unique<PlayerProcess>();
    QVERIFY2(program->start(), qPrintable(program->errorOutput()));
    QDir::setCurrent(saved);
    const quint64 window = program->waitForWindow("Tolvane URL Media Player");
    program->click(program->geometry(window).topLeft() + row);

    const auto playerctl = [](const QStringList& arguments) {
        return runTool("playerctl", QStringList{"--player=tolvane_player"} + arguments).value_or("(failed)");
    };
    QTRY_COMPARE_WITH_TIMEOUT(playerctl({"status"}), QStringLiteral("Playing"), 20000);
    QVERIFY(runTool("playerctl", {"--list-all"}).value_or("").split('\n').contains("tolvane_player"));
    QCOMPARE(playerctl({"metadata", "xesam:title"}), QStringLiteral("Northern Lights"));

    resetScreenSaver(); // while it plays, the screen stays on
    QCOMPARE(saverCameOnWithin(), -1);

    QCOMPARE(playerctl({"pause"}), QString());
    QTRY_COMPARE(playerctl({"status"}), QStringLiteral("Paused"));
    const double pausedAt = playerctl({"position"}).toDouble();
    QTest::qWait(1000);
    QCOMPARE(playerctl({"position"}).toDouble(), pausedAt); // the picture stands still
    QTRY_VERIFY_WITH_TIMEOUT(screenSaverActive(), 20000);

    QCOMPARE(playerctl({"play"}), QString());
    QTRY_COMPARE(playerctl({"status"}), QStringLiteral("Playing"));
    QTRY_VERIFY(playerctl({"position"}).toDouble() > pausedAt + 0.5);
    QCOMPARE(playerctl({"position", "20"}), QString());
    QTRY_VERIFY(playerctl({"position"}).toDouble() >= 19.5);
    QCOMPARE(playerctl({"position", "10-"}), QString());
    QTRY_VERIFY(playerctl({"position"}).toDouble() < 15);

    // A second copy takes a name of its own.
    PlayerProcess second;
    QVERIFY(second.start());
    QTRY_VERIFY(runTool("playerctl", {"--list-all"}).value_or("").contains("tolvane_player.instance"));

    // The program gone: its hold on the screen goes with it.
    resetScreenSaver();
    program.reset();
    QTRY_VERIFY_WITH_TIMEOUT(screenSaverActive(), 20000);
    showWindow(windows().frm);
}

// No session bus: the program connects to none and starts no helper to get one.
void DesktopServicesTest::noSessionBusNoBusAndNoHelper() {
    QTemporaryDir folder;
    const QString log = folder.filePath("trace");
    hideWindow(windows().frm);
    QProcess traced;
    traced.start("strace", {"-f", "-qq", "-e", "trace=execve,connect", "-o", log, TOLVANE_PLAYER_EXE});
    QVERIFY(traced.waitForStarted());
    QString window;
    QTRY_VERIFY_WITH_TIMEOUT(
        !(window = xdotool({"search", "--onlyvisible", "--name", "^Tolvane URL Media Player$"})).isEmpty(),
        30000);
    QTest::qWait(1000); // the desktop services are in place once the window shows
    const QString pid = xdotool({"getwindowpid", window.split('\n').first()});
    QVERIFY(!pid.isEmpty());
    QCOMPARE(runTool("kill", {pid}).value_or("(failed)"), QString());
    QTRY_VERIFY_WITH_TIMEOUT(traced.state() == QProcess::NotRunning, 20000);
    showWindow(windows().frm);
    QFile trace(log);
    QVERIFY(trace.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = trace.readAll().split('\n');
    int started = 0;
    for (const QByteArray& line : lines) {
        started += line.contains("execve(");
        QVERIFY2(!(line.contains("connect(") && (line.contains("dbus") || line.contains("/bus\""))),
                 line.constData());
    }
    QCOMPARE(started, 1); // the program itself, and nothing it started
}

// A bus daemon that has stopped answering (SIGSTOP): the window shows and its menus answer, File > Exit
// ends the program, and MPRIS comes up once the bus answers again.
void DesktopServicesTest::aStoppedBusHoldsNothingUp() {
    PrivateSessionBus bus;
    QVERIFY(bus.isValid());
    const auto daemon = pid_t(QDBusConnection::connectToBus(bus.address(), "pid-probe")
                                  .interface()
                                  ->servicePid("org.freedesktop.DBus"));
    QDBusConnection::disconnectFromBus("pid-probe");
    QVERIFY(daemon > 0);
    const auto resume = qScopeGuard([daemon] { ::kill(daemon, SIGCONT); });
    QPoint fileMenu;
    {
        frm twin;
        twin.show();
        QVERIFY(QTest::qWaitForWindowExposed(&twin));
        fileMenu =
            twin.menuBar()->mapTo(&twin, twin.menuBar()->actionGeometry(twin.mnfile->menuAction()).center());
    }
    hideWindow(windows().frm);
    const auto exitThroughMenu = [fileMenu](PlayerProcess& program) {
        const quint64 window = program.waitForWindow("Tolvane URL Media Player");
        program.click(program.geometry(window).topLeft() + fileMenu);
        QTest::qWait(400);
        xdotool({"key", "Down", "Return"});
        const quint64 farewell = program.waitForWindow("Arvid");
        QElapsedTimer clock;
        clock.start();
        program.click(program.geometry(farewell).center());
        const bool ended = program.waitForExit(10000);
        qInfo("ended %lld ms after the farewell click", clock.elapsed());
        return farewell != 0 && ended;
    };

    QVERIFY(::kill(daemon, SIGSTOP) == 0);
    QElapsedTimer clock;
    clock.start();
    PlayerProcess first;
    QVERIFY2(first.start(), "no window while the bus does not answer");
    qInfo("window shown %lld ms after the start, the bus stopped", clock.elapsed());
    QVERIFY2(exitThroughMenu(first), "File > Exit did not end the program");

    PlayerProcess second;
    QVERIFY(second.start());
    QVERIFY(::kill(daemon, SIGCONT) == 0);
    QTRY_VERIFY_WITH_TIMEOUT(runTool("playerctl", {"--list-all"}).value_or("").contains("tolvane_player"),
                             20000);
    QVERIFY(::kill(daemon, SIGSTOP) == 0); // stopped again, with the program on it
    QVERIFY2(exitThroughMenu(second), "File > Exit did not end the program");
    showWindow(windows().frm);
}

// A session bus whose daemon has stopped answering holds up no other bus connection of the process: the
// program's own connection waits for that daemon before Qt's bus machinery, which all connections share, is
// asked for it.
void DesktopServicesTest::aStoppedBusHoldsUpNoOtherBus() {
    PrivateSessionBus other, session; // the one made last is the session bus the environment names
    QVERIFY(other.isValid() && session.isValid());
    QDBusConnection elsewhere = QDBusConnection::connectToBus(other.address(), QStringLiteral("elsewhere"));
    QVERIFY(elsewhere.isConnected());
    QVERIFY(::kill(session.daemon(), SIGSTOP) == 0);
    const auto resume = qScopeGuard([&] {
        ::kill(session.daemon(), SIGCONT);
        QDBusConnection::disconnectFromBus(QStringLiteral("elsewhere"));
    });
    services_ = installDesktopServices();
    // The program has knocked on the stopped daemon: its connection waits in the socket's backlog (Recv-Q).
    const QString socket = session.address().section("path=", 1).section(',', 0, 0);
    const auto knocked = [&] {
        return runTool("ss", {"-xlH", "src", socket}).value_or("").simplified().section(' ', 2, 2).toInt() >
               0;
    };
    QTRY_VERIFY(knocked());
    QElapsedTimer clock;
    clock.start();
    const QDBusMessage reply =
        callAndWait(elsewhere, QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                              "org.freedesktop.DBus.Peer", "Ping"));
    qInfo("the other bus answered in %lld ms", clock.elapsed());
    QVERIFY2(reply.type() == QDBusMessage::ReplyMessage && clock.elapsed() < 10000,
             "the other bus's answer waited for the stopped one");
}

TOLVANE_TEST_MAIN(DesktopServicesTest)
#include "test_desktop_services.moc"
