// The media player component with real libmpv, real generated media and real windows.
//
// Play-state order the component reports (what these tests pin down):
//   URL write: 9 (transitioning) at once, then 3 (playing) once the first frame is out;
//   end of media: 8 (media ended) then, at once, 1 (stopped);
//   a file that cannot be played: 9, then 10 (ready) with the reason in the status text;
//   controls.pause: 2 at once; stop: 1 at once.

#include "engine/media_engine.h"
#include "media/full_screen_window.h"
#include "media/media_actions.h"
#include "media/media_controls.h"
#include "media/media_player.h"
#include "media/seek_preview.h"
#include "media/seek_slider.h"
#include "media/transport_bar.h"
#include "media/video_view.h"
#include "support/pixels.h"
#include "support/play_states.h"
#include "support/real_pointer.h"
#include "support/test_main.h"
#include "support/test_media.h"

#include <QAccessible>
#include <QActionGroup>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryFile>
#include <QWindow>
#include <memory>
#include <unistd.h>

namespace {

constexpr int kStartTimeout = 10000;

// Pointer events as "Down 1 0" lines, in order.
struct PointerLog {
    QStringList lines;
    void attach(MediaPlayer* player) {
        auto note = [this](const char* name) {
            return [this, name](short button, short shift, int, int) {
                lines << QStringLiteral("%1 %2 %3").arg(QLatin1String(name)).arg(button).arg(shift);
            };
        };
        QObject::connect(player, &MediaPlayer::MouseDown, player, note("Down"));
        QObject::connect(player, &MediaPlayer::MouseUp, player, note("Up"));
        QObject::connect(player, &MediaPlayer::Click, player, note("Click"));
        QObject::connect(player, &MediaPlayer::DoubleClick, player, note("DoubleClick"));
    }
};

// The bar's controls as text: what play/pause says ("-" when off), then the other buttons that are on. A
// control whose isAvailable() disagrees is marked with "!".
QString barControls(MediaPlayer* player) {
    TransportBar* bar = player->transportBar();
    QStringList on{bar->playPauseButton()->isEnabled() ? bar->playPauseButton()->accessibleName() : "-"};
    const std::pair<QWidget*, const char*> buttons[] = {{bar->stopButton(), "stop"},
                                                        {bar->previousButton(), "previous"},
                                                        {bar->nextButton(), "next"},
                                                        {bar->fastForwardButton(), "scan"}};
    for (const auto& [button, name] : buttons) {
        if (button->isEnabled())
            on << QLatin1String(name);
        if (button->isEnabled() != player->controls()->isAvailable(
                                       QLatin1String(name == QLatin1String("scan") ? "fastForward" : name)))
            on << QStringLiteral("!");
    }
    return on.join(QLatin1Char(' '));
}

// The main colour of a picture's middle: "red", "green", "blue", or "" for none.
QString colourOf(const QImage& image) {
    const QRgb c = image.convertToFormat(QImage::Format_RGB32).pixel(image.width() / 2, image.height() / 2);
    const int top = std::max({qRed(c), qGreen(c), qBlue(c)});
    if (top < 80)
        return {};
    return top == qRed(c) ? "red" : top == qGreen(c) ? "green" : "blue";
}

int whitePixels(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    int white = 0;
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x)
            white += qGray(rgb.pixel(x, y)) > 200 ? 1 : 0;
    return white;
}

// An item of the context menu, by its path ("Audio/fra").
QAction* menuItem(QMenu* menu, const QString& path) {
    for (const QString& name : path.split(QLatin1Char('/'))) {
        QAction* found = nullptr;
        for (QAction* action : menu ? menu->actions() : QList<QAction*>{})
            if (action->text() == name || action->text().endsWith(QStringLiteral(": ") + name)) // a track
                found = action;
        if (!found || !found->menu())
            return found;
        menu = found->menu();
    }
    return nullptr;
}

} // namespace

class MediaPlayerTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void init();
    void cleanup();

    void initialSettings();
    void playsVideoToPlayingState();
    void urlBeforeTheVideoAreaExistsWaits();
    void settingsBeforeTheFirstFileReachTheCore_data();
    void settingsBeforeTheFirstFileReachTheCore();
    void playbackPrintsNothing();
    void pauseGivesPausedAndHolds();
    void pauseBeforeAnyFileIsAccepted();
    void secondUrlReplacesTheFirst();
    void endOfMediaGivesEndedThenStopped();
    void playlistFilePlaysEachEntry_data();
    void playlistFilePlaysEachEntry();
    void stopStopsAPlaylistEntry();
    void unplayableFileLeavesItReady_data();
    void unplayableFileLeavesItReady();
    void failedFileLeavesTheVideoAreaEmpty();
    void audioOnlyPlaysWithoutSoundDevice();
    void autoStartOffWaitsForPlay();
    void settingsActOnTheEngine();
    void pointerEventsComeFromTheVideoArea();
    void pointerMoveWithoutButton();
    void controlBarClicksRaiseNoPointerEvents();
    void contextMenuOffersItsActions();
    void playPauseSaysWhatItDoes_data();
    void playPauseSaysWhatItDoes();
    void controlBarButtonsAct();
    void keysAct();
    void fullScreenOnOffAndEscape();
    void fullScreenHidesControlsWhenIdle();
    void videoIsNotBlackAfterFullScreen();
    void playerWindowHandlersSwitchFullScreen();
    void destroyWhilePlayingThenPlayAgain();
    void controlsAfterEachStep_data();
    void controlsAfterEachStep();
    void previousAndNext_data();
    void previousAndNext();
    void frameSteps_data();
    void frameSteps();
    void seekBarMarksChaptersAndReadsAsTime();
    void dragShowsFramesAndLandsExactly();
    void previewsOnVideosOnly_data();
    void previewsOnVideosOnly();
    void tracksFromTheMenuAndKeys();
    void speedFromTheMenu();
    void menuPaintsOverPausedVideo();

  private:
    MediaPlayer* makePlayer();
    void playAndWait(const QString& path);
    QAction* fromMenu(const QString& path);

    TestMedia media_;
    std::unique_ptr<QWidget> host_;
    MediaPlayer* player_ = nullptr;
};

void MediaPlayerTest::initTestCase() {
    QVERIFY2(media_.isValid(), "ffmpeg is needed to make the test media");
    // Make the clips before timing anything.
    QVERIFY(QFileInfo(media_.video(2)).size() > 0);
    QVERIFY(QFileInfo(media_.video(1)).size() > 0);
    QVERIFY(QFileInfo(media_.silentVideo(6)).size() > 0);
    QVERIFY(QFileInfo(media_.mp3(2)).size() > 0);
    QVERIFY(QFileInfo(media_.wav(1)).size() > 0);
}

// The player window's rectangle for the component: 8292 x 4332 twips, 553 x 289 pixels at 96 DPI.
MediaPlayer* MediaPlayerTest::makePlayer() {
    host_ = std::make_unique<QWidget>();
    host_->setWindowTitle(QStringLiteral("Tolvane URL Media Player"));
    host_->setGeometry(40, 40, 592, 504);
    auto* player = new MediaPlayer(host_.get());
    player->setObjectName(QStringLiteral("WindowsMediaPlayer1"));
    player->setGeometry(12, 12, 553, 289);
    host_->show();
    host_->activateWindow();
    if (!QTest::qWaitForWindowExposed(host_.get()))
        qWarning("host window not exposed");
    return player;
}

void MediaPlayerTest::init() {
    player_ = makePlayer();
}

void MediaPlayerTest::cleanup() {
    host_.reset();
    player_ = nullptr;
}

void MediaPlayerTest::playAndWait(const QString& path) {
    player_->setURL(path);
    QTRY_COMPARE_WITH_TIMEOUT(player_->playState(), 3, kStartTimeout);
}

void MediaPlayerTest::initialSettings() {
    MediaPlayer* p = player_;
    QCOMPARE(p->URL(), QString());
    QCOMPARE(p->rate(), 1.0);
    QCOMPARE(p->balance(), 0);
    QCOMPARE(p->currentPosition(), 0.0);
    QCOMPARE(p->defaultFrame(), QString());
    QCOMPARE(p->playCount(), 1);
    QCOMPARE(p->autoStart(), true);
    QCOMPARE(p->currentMarker(), 0);
    QCOMPARE(p->invokeURLs(), true);
    QCOMPARE(p->baseURL(), QString());
    QCOMPARE(p->volume(), 50);
    QCOMPARE(p->mute(), false);
    QCOMPARE(p->uiMode(), QStringLiteral("full"));
    QCOMPARE(p->stretchToFit(), false);
    QCOMPARE(p->windowlessVideo(), false);
    QCOMPARE(p->enabled(), true);
    QCOMPARE(p->enableContextMenu(), true);
    QCOMPARE(p->fullScreen(), false);
    QCOMPARE(p->SAMIStyle(), QString());
    QCOMPARE(p->SAMILang(), QString());
    QCOMPARE(p->SAMIFilename(), QString());
    QCOMPARE(p->captioningID(), QString());
    QCOMPARE(p->enableErrorDialogs(), false);
    QCOMPARE(p->playState(), 0);
    QCOMPARE(p->accessibleName(), QStringLiteral("Media player"));
    QVERIFY(p->controls());
    // The engine was set up as the design says, and the video area gets most of the rectangle.
    QCOMPARE(p->engine()->coreProperty("volume").toDouble(), 50.0);
    QCOMPARE(p->engine()->coreProperty("video-unscaled"), QStringLiteral("downscale-big"));
    QVERIFY(p->engine()->coreProperty("ao").endsWith(QStringLiteral("null")));
    QVERIFY(p->transportBar()->height() <= 56);
    QVERIFY(p->videoView()->height() >= 289 - 56);
    // No OpenGL before there is something to show: the window stays a plain raster window.
    QTest::qWait(100);
    QVERIFY(!p->videoView()->hasRenderContext());
    QVERIFY(!p->videoView()->hasOpenGL());
    QCOMPARE(p->window()->windowHandle()->surfaceType(), QSurface::RasterSurface);
}

void MediaPlayerTest::playsVideoToPlayingState() {
    QSignalSpy changes(player_, &MediaPlayer::PlayStateChange);
    const QString path = media_.video(2);
    player_->setURL(path);
    QCOMPARE(player_->URL(), path);
    QCOMPARE(player_->playState(), 9); // at once, without waiting for the file
    QTRY_COMPARE_WITH_TIMEOUT(player_->playState(), 3, kStartTimeout);
    QCOMPARE(states(changes).first(), 9);
    QCOMPARE(states(changes).last(), 3);
    QCOMPARE(player_->statusText(), QStringLiteral("Playing"));
    QTRY_VERIFY(player_->currentPosition() > 0.2);
    QTRY_VERIFY(litShare(player_->videoView()->grabFramebuffer()) > 0.05);
}

void MediaPlayerTest::urlBeforeTheVideoAreaExistsWaits() {
    MediaPlayer hidden;                         // never shown yet: no OpenGL context, so no render context
    const QString path = media_.silentVideo(6); // long enough to still play when a loaded machine looks
    hidden.setURL(path);
    QCOMPARE(hidden.URL(), path);
    QCOMPARE(hidden.playState(), 9);
    QTest::qWait(300);
    QVERIFY(!hidden.videoView()->hasRenderContext());
    QCOMPARE(hidden.engine()->coreProperty("path"), QString()); // nothing loaded yet
    QCOMPARE(hidden.playState(), 9);
    hidden.resize(553, 289);
    hidden.show(); // as soon as it can draw, the file opens
    QTRY_COMPARE_WITH_TIMEOUT(hidden.playState(), 3, kStartTimeout);
    QTRY_VERIFY(litShare(hidden.videoView()->grabFramebuffer()) > 0.05);
}

// The core is made with the first file, or before it once the player sits idle on screen; either way, what
// was set before the first file must be what it plays with.
void MediaPlayerTest::settingsBeforeTheFirstFileReachTheCore_data() {
    QTest::addColumn<bool>("shownFirst");
    QTest::newRow("core made with the first file") << false;
    QTest::newRow("core made while idle on screen") << true;
}

void MediaPlayerTest::settingsBeforeTheFirstFileReachTheCore() {
    QFETCH(bool, shownFirst);
    MediaPlayer fresh;
    QVERIFY(!fresh.engine()->hasCore()); // no core before a file, or before it shows
    if (shownFirst) {
        fresh.resize(553, 289);
        fresh.show();
        QTRY_VERIFY(fresh.engine()->hasCore());
        QVERIFY(!fresh.videoView()->hasOpenGL()); // no OpenGL until a file comes near
    }
    fresh.setVolume(30);
    fresh.setMute(true);
    fresh.setRate(1.5);
    fresh.setPlayCount(3);
    fresh.setBalance(-40);
    fresh.setStretchToFit(true);
    QCOMPARE(fresh.engine()->hasCore(), shownFirst);
    fresh.resize(553, 289);
    fresh.show();
    fresh.setURL(media_.video(1));
    QVERIFY(fresh.engine()->hasCore());
    QCOMPARE(fresh.engine()->coreProperty("volume").toDouble(), 30.0);
    QCOMPARE(fresh.engine()->coreProperty("mute"), QStringLiteral("yes"));
    QCOMPARE(fresh.engine()->coreProperty("speed").toDouble(), 1.5);
    QCOMPARE(fresh.engine()->coreProperty("loop-file"), QStringLiteral("2"));
    QVERIFY(fresh.engine()->coreProperty("af").contains(QStringLiteral("balance_out=-0.40")));
    QCOMPARE(fresh.engine()->coreProperty("video-unscaled"), QStringLiteral("no"));
    QTRY_COMPARE_WITH_TIMEOUT(fresh.playState(), 3, kStartTimeout);
}

// Normal playback writes nothing on the terminal: libmpv's messages go to a logging category.
void MediaPlayerTest::playbackPrintsNothing() {
    QTemporaryFile capture;
    QVERIFY(capture.open());
    fflush(stderr);
    fflush(stdout);
    const int savedErr = dup(2), savedOut = dup(1);
    dup2(capture.handle(), 2);
    dup2(capture.handle(), 1);
    player_->setURL(media_.video(1));
    const bool played = QTest::qWaitFor([this] { return player_->playState() == 1; }, kStartTimeout);
    player_->setURL(media_.mp3(2));
    const bool playedSound = QTest::qWaitFor([this] { return player_->playState() == 3; }, kStartTimeout);
    player_->controls()->pause();
    player_->controls()->stop();
    QTest::qWait(100);
    fflush(stderr);
    fflush(stdout);
    dup2(savedErr, 2);
    dup2(savedOut, 1);
    close(savedErr);
    close(savedOut);
    QVERIFY(played && playedSound);
    capture.seek(0);
    const QByteArray printed = capture.readAll();
    QVERIFY2(printed.isEmpty(), printed.constData());
}

void MediaPlayerTest::pauseGivesPausedAndHolds() {
    playAndWait(media_.video(2));
    MediaControls* controls = player_->controls();
    QVERIFY(controls->isAvailable(QStringLiteral("pause")));
    QVERIFY(controls->isAvailable(QStringLiteral("Stop")));
    QVERIFY(!controls->isAvailable(QStringLiteral("play")));
    QVERIFY(!controls->isAvailable(QStringLiteral("next")));
    QVERIFY(!controls->isAvailable(QStringLiteral("no such thing")));
    player_->controls()->pause();
    QCOMPARE(player_->playState(), 2);
    QTest::qWait(150);
    const double position = player_->currentPosition();
    QTest::qWait(500);
    QCOMPARE(player_->playState(), 2);
    QCOMPARE(player_->statusText(), QStringLiteral("Paused"));
    QVERIFY(qAbs(player_->currentPosition() - position) < 0.05);
    player_->controls()->pause(); // while paused it stays paused
    QTest::qWait(100);
    QCOMPARE(player_->playState(), 2);
    QVERIFY(player_->controls()->isAvailable(QStringLiteral("play")));
    player_->controls()->play();
    QTRY_COMPARE(player_->playState(), 3);
}

void MediaPlayerTest::pauseBeforeAnyFileIsAccepted() {
    player_->controls()->pause();
    QCOMPARE(player_->playState(), 0);
    player_->controls()->stop();
    player_->controls()->play();
    QCOMPARE(player_->playState(), 0);
    playAndWait(media_.video(1)); // and a later URL still starts at once
}

void MediaPlayerTest::secondUrlReplacesTheFirst() {
    playAndWait(media_.video(2));
    QSignalSpy changes(player_, &MediaPlayer::PlayStateChange);
    const QString second = media_.silentVideo(6);
    player_->setURL(second);
    QCOMPARE(player_->URL(), second);
    QTRY_COMPARE_WITH_TIMEOUT(player_->playState(), 3, kStartTimeout);
    QTest::qWait(300);
    QCOMPARE(states(changes), QList<int>({9, 3})); // the first file's end is not reported
    QTRY_COMPARE(player_->engine()->coreProperty("path"), second);
    QVERIFY(player_->engine()->duration() > 5);
}

void MediaPlayerTest::endOfMediaGivesEndedThenStopped() {
    QSignalSpy changes(player_, &MediaPlayer::PlayStateChange);
    player_->setURL(media_.video(1));
    QTRY_COMPARE_WITH_TIMEOUT(player_->playState(), 1, kStartTimeout);
    QCOMPARE(states(changes), QList<int>({9, 3, 8, 1}));
    QCOMPARE(player_->statusText(), QStringLiteral("Stopped"));
    QCOMPARE(player_->currentPosition(), 0.0);
    // Play after the end opens the same file again.
    player_->controls()->play();
    QTRY_COMPARE_WITH_TIMEOUT(player_->playState(), 3, kStartTimeout);
}

void MediaPlayerTest::playlistFilePlaysEachEntry_data() {
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("two clips") << QStringList{media_.video(1), media_.wav(1)}
                               << QList<int>{9, 3, 8, 1, 9, 3, 8, 1};
    // What plays is what shows: no failure for the missing entry while the next one plays.
    QTest::newRow("first entry missing")
        << QStringList{media_.missingFile(), media_.video(1)} << QList<int>{9, 3, 8, 1};
}

void MediaPlayerTest::playlistFilePlaysEachEntry() {
    QFETCH(QStringList, entries);
    QFETCH(QList<int>, expected);
    const QString list = QDir(media_.folder()).filePath(QStringLiteral("list.m3u"));
    QFile file(list);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write((entries.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
    file.close();
    QSignalSpy changes(player_, &MediaPlayer::PlayStateChange);
    QSignalSpy errors(player_, &MediaPlayer::MediaError);
    player_->setURL(list);
    QTRY_COMPARE_WITH_TIMEOUT(states(changes).count(), expected.count(), 2 * kStartTimeout);
    QCOMPARE(states(changes), expected);
    QCOMPARE(errors.count(), 0);
    QCOMPARE(player_->URL(), list);
}

// Stop stops whatever the core plays, a playlist's later entry too.
void MediaPlayerTest::stopStopsAPlaylistEntry() {
    const QString list = QDir(media_.folder()).filePath(QStringLiteral("stop.m3u"));
    QFile file(list);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(
        (media_.missingFile() + QLatin1Char('\n') + media_.silentVideo(6) + QLatin1Char('\n')).toUtf8());
    file.close();
    playAndWait(list);
    QVERIFY(player_->controls()->isAvailable(QStringLiteral("stop")));
    player_->controls()->stop();
    QCOMPARE(player_->playState(), 1);
    QTRY_COMPARE(player_->engine()->coreProperty("idle-active"), QStringLiteral("yes"));
}

void MediaPlayerTest::unplayableFileLeavesItReady_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("text file") << "text"
                               << "unrecognized file format";
    QTest::newRow("zero-byte file") << "empty"
                                    << "unrecognized file format";
    QTest::newRow("truncated video") << "truncated"
                                     << "moov atom not found";
    QTest::newRow("missing path") << "missing"
                                  << "No such file or directory";
}

void MediaPlayerTest::unplayableFileLeavesItReady() {
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    const QString path = kind == "text"        ? media_.textFile()
                         : kind == "empty"     ? media_.emptyFile()
                         : kind == "truncated" ? media_.truncatedVideo()
                                               : media_.missingFile();
    QSignalSpy errors(player_, &MediaPlayer::MediaError);
    player_->setURL(path); // returns at once, raises nothing
    QCOMPARE(player_->URL(), path);
    QTRY_COMPARE_WITH_TIMEOUT(player_->playState(), 10, kStartTimeout);
    QVERIFY2(player_->statusText().startsWith(QStringLiteral("Cannot play ")),
             qPrintable(player_->statusText()));
    QVERIFY2(player_->statusText().contains(reason), qPrintable(player_->statusText()));
    QCOMPARE(player_->transportBar()->statusText(), player_->statusText());
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.first().at(0).toString(), player_->statusText());
    for (QWidget* w : QApplication::topLevelWidgets())
        QVERIFY2(!(qobject_cast<QMessageBox*>(w) && w->isVisible()), "no dialog of its own");
    player_->controls()->pause(); // still accepted
    QCOMPARE(player_->playState(), 10);
    playAndWait(media_.video(1)); // and it still plays the next file
}

// After a clip, a file that cannot be played leaves the video area black, on screen too, not the clip's
// last picture.
void MediaPlayerTest::failedFileLeavesTheVideoAreaEmpty() {
    playAndWait(media_.silentVideo(6));
    VideoView* video = player_->videoView();
    QTRY_VERIFY(litShare(onScreen(video)) > 0.05);
    player_->setURL(media_.textFile());
    QTRY_COMPARE_WITH_TIMEOUT(player_->playState(), 10, kStartTimeout);
    QTRY_VERIFY(litShare(onScreen(video), 16) < 0.01);
    QVERIFY(litShare(video->grabFramebuffer(), 16) < 0.01);
    playAndWait(media_.silentVideo(6)); // and the next clip shows again
    QTRY_VERIFY(litShare(onScreen(video)) > 0.05);
}

void MediaPlayerTest::audioOnlyPlaysWithoutSoundDevice() {
    const QString mp3 = media_.mp3(2);
    playAndWait(mp3);
    QTRY_VERIFY(!player_->engine()->hasVideo());
    QCOMPARE(player_->videoView()->caption(), QFileInfo(mp3).fileName());
    QCOMPARE(player_->engine()->coreProperty("current-ao").isEmpty(), false);
    QTRY_VERIFY(player_->currentPosition() > 0.3); // time runs, silently if need be
    // A quiet picture instead of a black box.
    const QImage picture = player_->videoView()->grabFramebuffer();
    picture.save(QDir::temp().filePath(QStringLiteral("tolvane-audio-only.png")));
    QVERIFY(litShare(picture, 16) > 0.9);
    playAndWait(media_.wav(1));
    QTRY_COMPARE_WITH_TIMEOUT(player_->playState(), 1, kStartTimeout);
}

void MediaPlayerTest::autoStartOffWaitsForPlay() {
    player_->setAutoStart(false);
    player_->setURL(media_.video(2));
    QTRY_COMPARE_WITH_TIMEOUT(player_->playState(), 10, kStartTimeout);
    QCOMPARE(player_->statusText(), QStringLiteral("Ready"));
    QTest::qWait(300);
    QCOMPARE(player_->playState(), 10);
    player_->controls()->play();
    QTRY_COMPARE_WITH_TIMEOUT(player_->playState(), 3, kStartTimeout);
}

void MediaPlayerTest::settingsActOnTheEngine() {
    MediaEngine* engine = player_->engine();
    player_->setVolume(30);
    player_->setMute(true);
    player_->setRate(1.5);
    player_->setBalance(-100);
    player_->setPlayCount(3);
    player_->setStretchToFit(true);
    QTRY_COMPARE(engine->coreProperty("volume").toDouble(), 30.0);
    QTRY_COMPARE(engine->coreProperty("mute"), QStringLiteral("yes"));
    QTRY_COMPARE(engine->coreProperty("speed").toDouble(), 1.5);
    QTRY_VERIFY(engine->coreProperty("af").contains(QStringLiteral("balance_out=-1")));
    QTRY_COMPARE(engine->coreProperty("loop-file"), QStringLiteral("2"));
    QTRY_COMPARE(engine->coreProperty("video-unscaled"), QStringLiteral("no"));
    QCOMPARE(player_->volume(), 30);
    QCOMPARE(player_->mute(), true);
    QCOMPARE(player_->rate(), 1.5);
    QCOMPARE(player_->balance(), -100);
    QCOMPARE(player_->playCount(), 3);
    playAndWait(media_.video(1)); // plays with the balance filter in place
    player_->setBalance(0);
    player_->setPlayCount(1);
    player_->setStretchToFit(false);
    QTRY_COMPARE(engine->coreProperty("af"), QString());
    QTRY_COMPARE(engine->coreProperty("loop-file"), QStringLiteral("no"));
    QTRY_COMPARE(engine->coreProperty("video-unscaled"), QStringLiteral("downscale-big"));
    // The bar follows settings made from outside.
    QCOMPARE(player_->transportBar()->volumeSlider()->value(), 30);
    QVERIFY(player_->transportBar()->muteButton()->isChecked());
    player_->setUiMode(QStringLiteral("none"));
    QVERIFY(player_->transportBar()->isHidden());
    player_->setUiMode(QStringLiteral("full"));
    QVERIFY(!player_->transportBar()->isHidden());
}

void MediaPlayerTest::pointerEventsComeFromTheVideoArea() {
    player_->setEnableContextMenu(false);
    PointerLog log;
    log.attach(player_);
    VideoView* video = player_->videoView();
    const QPoint at(40, 30);

    QTest::mouseClick(video, Qt::LeftButton, Qt::ShiftModifier, at);
    QCOMPARE(log.lines, QStringList({"Down 1 1", "Up 1 1", "Click 1 1"}));

    // A double click as Qt delivers it: press, release, double-click, release.
    log.lines.clear();
    QTest::mousePress(video, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(video, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(video, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(video, Qt::LeftButton, Qt::NoModifier, at);
    QCOMPARE(log.lines,
             QStringList({"Down 1 0", "Up 1 0", "Click 1 0", "Down 1 0", "DoubleClick 1 0", "Up 1 0"}));

    log.lines.clear();
    QTest::mouseClick(video, Qt::RightButton, Qt::ControlModifier, at);
    QTest::mouseClick(video, Qt::MiddleButton, Qt::AltModifier, at);
    QCOMPARE(log.lines, QStringList({"Down 2 2", "Up 2 2", "Click 2 2", "Down 4 4", "Up 4 4", "Click 4 4"}));

    // Coordinates are the video area's own.
    QSignalSpy down(player_, &MediaPlayer::MouseDown);
    QTest::mousePress(video, Qt::LeftButton, Qt::NoModifier, QPoint(17, 23));
    QTest::mouseRelease(video, Qt::LeftButton, Qt::NoModifier, QPoint(17, 23));
    QCOMPARE(down.count(), 1);
    QCOMPARE(down.first().at(2).toInt(), 17);
    QCOMPARE(down.first().at(3).toInt(), 23);
}

void MediaPlayerTest::pointerMoveWithoutButton() {
    QSignalSpy moves(player_, &MediaPlayer::MouseMove);
    VideoView* video = player_->videoView();
    QTest::mouseMove(video, QPoint(50, 40));
    QTest::mouseMove(video, QPoint(60, 45));
    QTRY_VERIFY(!moves.isEmpty() && moves.last().at(2).toInt() == 60);
    QCOMPARE(moves.last().at(0).toInt(), 0); // no button held
    QCOMPARE(moves.last().at(3).toInt(), 45);
}

void MediaPlayerTest::controlBarClicksRaiseNoPointerEvents() {
    playAndWait(media_.silentVideo(6));
    PointerLog log;
    log.attach(player_);
    QSignalSpy moves(player_, &MediaPlayer::MouseMove);
    TransportBar* bar = player_->transportBar();
    QTest::mouseClick(bar->playPauseButton(), Qt::LeftButton);
    QCOMPARE(player_->playState(), 2);
    QTest::mouseClick(bar->seekSlider(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(bar->seekSlider()->width() / 2, 8));
    QTest::mouseClick(bar->muteButton(), Qt::LeftButton);
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, QPoint(bar->width() / 2, bar->height() - 3));
    QTest::mouseMove(bar->stopButton());
    QTest::qWait(50);
    QCOMPARE(log.lines, QStringList());
    QCOMPARE(moves.count(), 0);
}

void MediaPlayerTest::contextMenuOffersItsActions() {
    playAndWait(media_.silentVideo(6));
    QTest::mouseClick(player_->videoView(), Qt::RightButton, Qt::NoModifier, QPoint(30, 30));
    QTRY_VERIFY(player_->contextMenu() && player_->contextMenu()->isVisible());
    QStringList texts;
    for (QAction* action : player_->contextMenu()->actions())
        if (!action->isSeparator())
            texts << action->text();
    QCOMPARE(texts,
             QStringList({"Pause", "Stop", "Previous", "Next", "Previous Frame", "Next Frame", "Audio",
                          "Subtitles", "Play Speed", "Full Screen", "Mute", "Volume Up", "Volume Down"}));
    QMenu* menu = player_->contextMenu();
    menu->actions().at(0)->trigger();
    QCOMPARE(player_->playState(), 2);
    for (QAction* action : menu->actions())
        if (action->text() == QStringLiteral("Volume Up"))
            action->trigger();
    QCOMPARE(player_->volume(), 60);
    menu->close();
    QTRY_VERIFY(!player_->contextMenu());

    player_->setEnableContextMenu(false);
    QTest::mouseClick(player_->videoView(), Qt::RightButton, Qt::NoModifier, QPoint(30, 30));
    QTest::qWait(50);
    QVERIFY(!player_->contextMenu());
}

// While a file opens, the menu and the bar name what a press does, and it does that: pause while it opens to
// play, play while it opens with autoStart off.
void MediaPlayerTest::playPauseSaysWhatItDoes_data() {
    QTest::addColumn<bool>("autoStart");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("after");
    QTest::newRow("opening to play") << true << "Pause" << 2;
    QTest::newRow("autoStart off") << false << "Play" << 3;
}

void MediaPlayerTest::playPauseSaysWhatItDoes() {
    QFETCH(bool, autoStart);
    QFETCH(QString, label);
    QFETCH(int, after);
    player_->setAutoStart(autoStart);
    player_->setURL(media_.silentVideo(6));
    QCOMPARE(player_->playState(), 9);
    QTest::mouseClick(player_->videoView(), Qt::RightButton, Qt::NoModifier, QPoint(30, 30));
    QTRY_VERIFY(player_->contextMenu() && player_->contextMenu()->isVisible());
    QAction* first = player_->contextMenu()->actions().at(0);
    QCOMPARE(first->text(), label);
    QCOMPARE(player_->transportBar()->playPauseButton()->accessibleName(), label);
    first->trigger();
    player_->contextMenu()->close();
    QTRY_COMPARE_WITH_TIMEOUT(player_->playState(), after, kStartTimeout);
    QTest::qWait(300);
    QCOMPARE(player_->playState(), after);
}

void MediaPlayerTest::controlBarButtonsAct() {
    playAndWait(media_.silentVideo(6));
    TransportBar* bar = player_->transportBar();
    QCOMPARE(bar->playPauseButton()->accessibleName(), QStringLiteral("Pause"));
    QTest::mouseClick(bar->playPauseButton(), Qt::LeftButton);
    QCOMPARE(player_->playState(), 2);
    QCOMPARE(bar->playPauseButton()->accessibleName(), QStringLiteral("Play"));
    QTest::mouseClick(bar->playPauseButton(), Qt::LeftButton);
    QTRY_COMPARE(player_->playState(), 3);

    // A click three quarters along the seek bar moves the position there.
    SeekSlider* seek = bar->seekSlider();
    QTRY_VERIFY(seek->isEnabled());
    QTest::mouseClick(seek, Qt::LeftButton, Qt::NoModifier,
                      QPoint(seek->width() * 3 / 4, seek->height() / 2));
    const double duration = player_->engine()->duration();
    QVERIFY2(qAbs(player_->currentPosition() - 0.75 * duration) < 0.6,
             qPrintable(QString::number(player_->currentPosition())));
    QTRY_VERIFY(qAbs(player_->engine()->coreProperty("time-pos").toDouble() - 0.75 * duration) < 1.0);

    QTest::mouseClick(bar->muteButton(), Qt::LeftButton);
    QCOMPARE(player_->mute(), true);
    QTRY_COMPARE(player_->engine()->coreProperty("mute"), QStringLiteral("yes"));
    QTest::mouseClick(bar->muteButton(), Qt::LeftButton);
    QCOMPARE(player_->mute(), false);

    bar->volumeSlider()->setFocus();
    QTest::keyClick(bar->volumeSlider(), Qt::Key_Left);
    QCOMPARE(player_->volume(), 45);
    QTRY_COMPARE(player_->engine()->coreProperty("volume").toDouble(), 45.0);

    // The scans report their own states; the play button ends them.
    QTest::mouseClick(bar->fastReverseButton(), Qt::LeftButton);
    QCOMPARE(player_->playState(), 5);
    QTest::mouseClick(bar->fastForwardButton(), Qt::LeftButton);
    QCOMPARE(player_->playState(), 4);
    QTest::mouseClick(bar->playPauseButton(), Qt::LeftButton);
    QCOMPARE(player_->playState(), 3);

    // One file without chapters: nothing after it; before it only its own start, once past the first 3 s.
    QVERIFY(!bar->nextButton()->isEnabled());
    QCOMPARE(bar->previousButton()->isEnabled(),
             player_->controls()->isAvailable(QStringLiteral("previous")));
    QTest::mouseClick(bar->stopButton(), Qt::LeftButton);
    QCOMPARE(player_->playState(), 1);
    QCOMPARE(player_->statusText(), QStringLiteral("Stopped"));

    // Every control is an ordinary focusable widget with a name and a tooltip.
    for (QWidget* control : std::initializer_list<QWidget*>{
             bar->playPauseButton(), bar->stopButton(), bar->previousButton(), bar->nextButton(),
             bar->fastReverseButton(), bar->fastForwardButton(), bar->seekSlider(), bar->muteButton(),
             bar->volumeSlider(), bar->fullScreenButton()}) {
        QVERIFY(!control->accessibleName().isEmpty());
        QVERIFY(!control->toolTip().isEmpty());
        QVERIFY(control->focusPolicy() & Qt::TabFocus);
    }
}

void MediaPlayerTest::keysAct() {
    playAndWait(media_.silentVideo(6));
    VideoView* video = player_->videoView();
    video->setFocus();
    QTRY_VERIFY(video->hasFocus());
    QTest::keyClick(video, Qt::Key_Space);
    QCOMPARE(player_->playState(), 2);
    QTest::keyClick(video, Qt::Key_Space);
    QTRY_COMPARE(player_->playState(), 3);
    QTest::keyClick(video, Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(player_->playState(), 2);

    const double before = player_->currentPosition();
    QTest::keyClick(video, Qt::Key_Right);
    QVERIFY(qAbs(player_->currentPosition() - std::min(before + 5, player_->engine()->duration())) < 0.1);
    QTRY_VERIFY(player_->engine()->coreProperty("time-pos").toDouble() > before + 3);
    QTest::keyClick(video, Qt::Key_Left);
    QVERIFY(player_->currentPosition() < before + 1.5);

    QTest::keyClick(video, Qt::Key_F7);
    QCOMPARE(player_->mute(), true);
    QTest::keyClick(video, Qt::Key_F7);
    QCOMPARE(player_->mute(), false);
    QTest::keyClick(video, Qt::Key_F9);
    QCOMPARE(player_->volume(), 60);
    QTest::keyClick(video, Qt::Key_F8);
    QTest::keyClick(video, Qt::Key_F8);
    QCOMPARE(player_->volume(), 40);
    QTRY_COMPARE(player_->engine()->coreProperty("volume").toDouble(), 40.0);

    QTest::keyClick(video, Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(player_->playState(), 4);
    QTRY_COMPARE(player_->engine()->coreProperty("speed").toDouble(), 5.0);
    QTest::keyClick(video, Qt::Key_B, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(player_->playState(), 5);
    QTRY_COMPARE(player_->engine()->coreProperty("speed").toDouble(), 1.0);
    QTest::keyClick(video, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(player_->playState(), 1);
    QTRY_COMPARE(player_->engine()->coreProperty("speed").toDouble(), 1.0);
}

void MediaPlayerTest::fullScreenOnOffAndEscape() {
    playAndWait(media_.silentVideo(6));
    QWidget* window = host_.get();
    const QRect frameBefore = window->frameGeometry();
    const QRect geometryBefore = window->geometry();
    const QRect playerBefore = player_->geometry();

    player_->setFullScreen(true);
    QCOMPARE(player_->fullScreen(), true);
    QTRY_VERIFY(player_->fullScreenWindow() && player_->fullScreenWindow()->isVisible());
    FullScreenWindow* full = player_->fullScreenWindow();
    QCOMPARE(player_->videoView()->window(), full);
    QCOMPARE(player_->transportBar()->window(), full);
    QTRY_COMPARE(full->geometry(), window->screen()->geometry());
    QVERIFY(player_->transportBar()->fullScreenButton()->isChecked());
    QTRY_COMPARE(player_->engine()->coreProperty("video-unscaled"), QStringLiteral("no")); // fills the screen

    player_->setFullScreen(false);
    QTRY_COMPARE(player_->videoView()->window(), window);
    QVERIFY(!full->isVisible());
    QTRY_COMPARE(player_->engine()->coreProperty("video-unscaled"), QStringLiteral("downscale-big"));
    QCOMPARE(window->geometry(), geometryBefore);
    QCOMPARE(window->frameGeometry(), frameBefore);
    QCOMPARE(player_->geometry(), playerBefore);
    QVERIFY(window->isVisible());

    // Esc leaves; the button and F11 enter.
    QTest::mouseClick(player_->transportBar()->fullScreenButton(), Qt::LeftButton);
    QTRY_COMPARE(player_->videoView()->window(), full);
    QTRY_VERIFY(full->isActiveWindow());
    QTest::keyClick(player_->videoView(), Qt::Key_Escape);
    QCOMPARE(player_->fullScreen(), false);
    QTRY_COMPARE(player_->videoView()->window(), window);
    QTRY_VERIFY(window->isActiveWindow()); // as above: keys go to the active window
    player_->videoView()->setFocus();
    QTest::keyClick(player_->videoView(), Qt::Key_F11);
    QTRY_COMPARE(player_->videoView()->window(), full);
    QTRY_VERIFY(full->isActiveWindow()); // keys go to the active window
    QTest::keyClick(player_->videoView(), Qt::Key_F11);
    QTRY_COMPARE(player_->videoView()->window(), window);
    QCOMPARE(window->geometry(), geometryBefore);

    // Writes in one handler settle on the last, as the full-screen-follow handler relies on.
    player_->setFullScreen(false);
    player_->setFullScreen(true);
    player_->setFullScreen(false);
    QTest::qWait(50);
    QCOMPARE(player_->videoView()->window(), window);
    QCOMPARE(player_->playState(), 3);
}

void MediaPlayerTest::fullScreenHidesControlsWhenIdle() {
    playAndWait(media_.silentVideo(6));
    player_->setFullScreen(true);
    QTRY_VERIFY(player_->fullScreenWindow() && player_->fullScreenWindow()->isVisible());
    FullScreenWindow* full = player_->fullScreenWindow();
    QCOMPARE(full->idleInterval(), 3000);
    full->setIdleInterval(200);
    player_->videoView()->setFocus();
    QTest::mouseMove(player_->videoView(), QPoint(100, 100));
    QTRY_VERIFY(full->controlsHidden());
    QVERIFY(player_->transportBar()->isHidden());
    QCOMPARE(full->cursor().shape(), Qt::BlankCursor);
    QTest::mouseMove(player_->videoView(), QPoint(140, 120));
    QTRY_VERIFY(!full->controlsHidden());
    QVERIFY(player_->transportBar()->isVisible());
    full->setIdleInterval(3000);
    player_->setFullScreen(false);
    QTRY_COMPARE(player_->videoView()->window(), host_.get());
    QVERIFY(player_->transportBar()->isVisible());
}

void MediaPlayerTest::videoIsNotBlackAfterFullScreen() {
    playAndWait(media_.silentVideo(6));
    VideoView* video = player_->videoView();
    QTRY_VERIFY(litShare(video->grabFramebuffer()) > 0.05);
    for (int round = 0; round < 2; ++round) {
        player_->setFullScreen(true);
        QTRY_COMPARE(video->window(), player_->fullScreenWindow());
        QTest::qWait(300);
        QVERIFY(litShare(video->grabFramebuffer()) > 0.05);
        player_->setFullScreen(false);
        QTRY_COMPARE(video->window(), host_.get());
        QTest::qWait(300);
        QTRY_VERIFY(litShare(video->grabFramebuffer()) > 0.05);
        QTRY_VERIFY(litShare(onScreen(video)) > 0.05); // what the screen shows there, too
        player_->controls()->pause();                  // the second round goes while paused
    }
    QCOMPARE(player_->playState(), 2);
}

// The full-screen handlers as the player window wires them: button up sets fullScreen to (playState == 3),
// double-click sets it false. Both run inside the video's own pointer events.
void MediaPlayerTest::playerWindowHandlersSwitchFullScreen() {
    MediaPlayer* p = player_;
    connect(p, &MediaPlayer::MouseUp, p, [p] { p->setFullScreen(p->playState() == 3); });
    connect(p, &MediaPlayer::DoubleClick, p, [p] { p->setFullScreen(false); });
    VideoView* video = p->videoView();
    QTest::mouseClick(video, Qt::LeftButton); // not playing: stays in its rectangle
    QTest::qWait(50);
    QCOMPARE(video->window(), host_.get());

    playAndWait(media_.silentVideo(6));
    QTest::mouseClick(video, Qt::LeftButton);
    QVERIFY(p->fullScreen());
    QTRY_VERIFY(p->fullScreenWindow() && video->window() == p->fullScreenWindow());
    QTest::mouseClick(video, Qt::LeftButton); // still playing: stays full
    QTest::qWait(50);
    QCOMPARE(video->window(), p->fullScreenWindow());

    p->controls()->pause();
    QTest::mouseClick(video, Qt::LeftButton); // paused: back into its rectangle
    QTRY_COMPARE(video->window(), host_.get());
    QTest::mousePress(video, Qt::LeftButton);
    QTest::mouseRelease(video, Qt::LeftButton);
    QTest::mouseDClick(video, Qt::LeftButton);
    QTest::mouseRelease(video, Qt::LeftButton);
    QTest::qWait(50);
    QCOMPARE(video->window(), host_.get());
    QCOMPARE(p->fullScreen(), false);
    QCOMPARE(p->playState(), 2);
}

void MediaPlayerTest::destroyWhilePlayingThenPlayAgain() {
    playAndWait(media_.video(2));
    host_.reset(); // the window, the component, its view and its core, while playing
    player_ = makePlayer();
    playAndWait(media_.video(2));
    player_->setFullScreen(true);
    QTRY_VERIFY(player_->fullScreenWindow() && player_->fullScreenWindow()->isVisible());
    host_.reset(); // and while in full screen
    player_ = makePlayer();
    playAndWait(media_.video(1));
}

// Right-clicks the video and finds the item in the menu that opens.
QAction* MediaPlayerTest::fromMenu(const QString& path) {
    QTest::mouseClick(player_->videoView(), Qt::RightButton, Qt::NoModifier, QPoint(30, 30));
    if (!QTest::qWaitFor([this] { return player_->contextMenu() && player_->contextMenu()->isVisible(); }))
        return nullptr;
    return menuItem(player_->contextMenu(), path);
}

// The controls after every step of a script, not only after the last: "open" sets the URL, "press" clicks
// play/pause on the bar, "stop" the stop button, "await N" waits for play state N. "*": not looked at.
void MediaPlayerTest::controlsAfterEachStep_data() {
    QTest::addColumn<bool>("autoStart");
    QTest::addColumn<QString>("clip");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("controls");
    const QString on = "Pause stop scan", off = "Play stop scan";
    QTest::newRow("pause while opening")
        << true << "video" << QStringList{"open", "press", "await 2", "press", "await 3"}
        << QStringList{on, off, off, on, on};
    QTest::newRow("play after stop") << true << "video"
                                     << QStringList{"open", "await 3", "stop", "press", "await 3"}
                                     << QStringList{on, on, "Play", on, on};
    QTest::newRow("play after stop, autoStart off")
        << false << "video" << QStringList{"open", "await 10", "press", "await 3", "stop", "press", "await 3"}
        << QStringList{off, off, on, on, "Play", on, on};
    QTest::newRow("play after the end")
        << true << "short" << QStringList{"open", "await 3", "await 1", "press", "await 3"}
        << QStringList{on, on, "Play", on, on};
    QTest::newRow("play after the end, autoStart off")
        << false << "short" << QStringList{"open", "await 10", "press", "await 1", "press", "await 3"}
        << QStringList{off, off, on, "Play", on, on};
    QTest::newRow("failure") << true << "missing" << QStringList{"open", "await 10", "press", "await 10"}
                             << QStringList{"*", "Play", "*", "Play"};
}

void MediaPlayerTest::controlsAfterEachStep() {
    QFETCH(bool, autoStart);
    QFETCH(QString, clip);
    QFETCH(QStringList, steps);
    QFETCH(QStringList, controls);
    const QString path = clip == "video"   ? media_.silentVideo(6)
                         : clip == "short" ? media_.video(1)
                                           : media_.missingFile();
    player_->setAutoStart(autoStart);
    TransportBar* bar = player_->transportBar();
    for (qsizetype i = 0; i < steps.size(); ++i) {
        const QString& step = steps[i];
        if (step == "open")
            player_->setURL(path);
        else if (step == "press")
            QTest::mouseClick(bar->playPauseButton(), Qt::LeftButton);
        else if (step == "stop")
            QTest::mouseClick(bar->stopButton(), Qt::LeftButton);
        else
            QTRY_COMPARE_WITH_TIMEOUT(player_->playState(), step.mid(6).toInt(), kStartTimeout);
        if (controls[i] != "*")
            QCOMPARE(barControls(player_) + " after " + step, controls[i] + " after " + step);
    }
}

// Over chapters and over the entries of a playlist file, paused so that nothing moves by itself. Each
// expectation: the chapter or entry, then where it stands ("@4": at 4 s) or what it shows, then whether
// Previous and Next are on.
void MediaPlayerTest::previousAndNext_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("expected"); // "ENTRY:CHAPTER [@SECONDS] [COLOUR] [previous] [next]"
    QTest::newRow("chapters") << "chapters" << QStringList{"",         "next",     "next",    "previous",
                                                           "seek 7.5", "previous", "previous"}
                              << QStringList{"0:0 next",          "0:1 @4 previous next",
                                             "0:2 @8 previous",   "0:1 @4 previous next",
                                             "0:1 previous next", "0:1 @4 previous next",
                                             "0:0 @0 next"};
    QTest::newRow("playlist file") << "colours" << QStringList{"", "next", "next", "previous", "previous"}
                                   << QStringList{"0: red next", "1: green previous next", "2: blue previous",
                                                  "1: green previous next", "0: red next"};
    // Next at the last chapter goes on to the next entry; Previous at its start comes back to the first.
    QTest::newRow("chapters, then a clip")
        << "both" << QStringList{"", "next", "next", "next", "previous"}
        << QStringList{"0:0 next", "0:1 previous next", "0:2 previous next", "1: red previous", "0:0 next"};
    // The host has files around this one: past the last chapter and before the first, it is asked for them.
    QTest::newRow("chapters, then the host's files")
        << "chapters" << QStringList{"", "host", "next", "next", "next", "previous", "previous", "previous"}
        << QStringList{"0:0 next",
                       "0:0 previous next",
                       "0:1 @4 previous next",
                       "0:2 @8 previous next",
                       "0:2 @8 previous next asked 1",
                       "0:1 @4 previous next",
                       "0:0 @0 previous next",
                       "0:0 @0 previous next asked -1"};
}

void MediaPlayerTest::previousAndNext() {
    QFETCH(QString, file);
    QFETCH(QStringList, steps);
    QFETCH(QStringList, expected);
    QString path = file == "chapters" ? media_.chapters() : media_.colourList();
    if (file == "both") {
        path = QDir(media_.folder()).filePath(QStringLiteral("both.m3u"));
        QFile list(path);
        QVERIFY(list.open(QIODevice::WriteOnly | QIODevice::Truncate));
        list.write(
            (media_.chapters() + '\n' + QFileInfo(media_.colourList()).dir().filePath("red.mp4") + '\n')
                .toUtf8());
    }
    playAndWait(path);
    player_->controls()->pause();
    MediaActions* actions = player_->actions();
    MediaEngine* engine = player_->engine();
    QSignalSpy asked(player_, &MediaPlayer::neighbourWanted);
    const auto now = [&](const QString& want) {
        QStringList parts{engine->coreProperty("playlist-pos") + ':' + engine->coreProperty("chapter")};
        if (want.contains('@'))
            parts << "@" + QString::number(qRound(engine->coreProperty("time-pos").toDouble()));
        if (want.contains(QRegularExpression("red|green|blue")))
            parts << colourOf(player_->videoView()->grabFramebuffer());
        if (actions->previous->isEnabled())
            parts << "previous";
        if (actions->next->isEnabled())
            parts << "next";
        if (!asked.isEmpty())
            parts << "asked " + asked.last().first().toString();
        return parts.join(' ');
    };
    for (qsizetype i = 0; i < steps.size(); ++i) {
        asked.clear();
        if (steps[i] == "host")
            player_->setNeighbours(true, true);
        if (steps[i] == "next" || steps[i] == "previous") {
            QAction* action = steps[i] == "next" ? actions->next : actions->previous;
            // The menu's item is the same action; Next is clicked on the bar, Previous is its key.
            QVERIFY(fromMenu(action->text()) == action);
            player_->contextMenu()->close();
            QTRY_VERIFY(!player_->contextMenu());
            if (action == actions->next) {
                QTest::mouseClick(player_->transportBar()->nextButton(), Qt::LeftButton);
            } else {
                player_->videoView()->setFocus();
                QTest::keyClick(player_->videoView(), Qt::Key_PageUp);
            }
        } else if (steps[i].startsWith("seek")) {
            player_->setCurrentPosition(steps[i].mid(5).toDouble());
        }
        QTRY_COMPARE_WITH_TIMEOUT(now(expected[i]) + " after " + steps[i], expected[i] + " after " + steps[i],
                                  kStartTimeout);
        QTRY_COMPARE(player_->playState(), 2);
    }
}

// "." shows the next frame, pausing first, "," the one before; both from the keys and the menu, named with
// their keys in the tooltips; a song has no frames to step.
void MediaPlayerTest::frameSteps_data() {
    QTest::addColumn<bool>("video");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QList<int>>("frames"); // frames from where the first step started, after each step
    QTest::newRow("video") << true << QStringList{".", ".", "Previous Frame", ",", "Next Frame"}
                           << QList<int>{1, 2, 1, 0, 1};
    QTest::newRow("song") << false << QStringList{".", ","} << QList<int>{0, 0};
}

void MediaPlayerTest::frameSteps() {
    QFETCH(bool, video);
    QFETCH(QStringList, steps);
    QFETCH(QList<int>, frames);
    player_->setPlayCount(20);
    playAndWait(video ? media_.silentVideo(6) : media_.mp3(2));
    MediaActions* actions = player_->actions();
    QCOMPARE(actions->nextFrame->toolTip(), QStringLiteral("Next Frame (.)"));
    QCOMPARE(actions->previousFrame->toolTip(), QStringLiteral("Previous Frame (,)"));
    QTRY_COMPARE(actions->nextFrame->isEnabled(), video);
    QTest::qWait(500); // playing on: the first step pauses it
    player_->videoView()->setFocus();
    QTRY_VERIFY(player_->videoView()->hasFocus());
    const auto frame = [&] { return qRound(player_->engine()->coreProperty("time-pos").toDouble() * 25); };
    int start = -1;
    QSignalSpy states(player_, &MediaPlayer::PlayStateChange);
    for (qsizetype i = 0; i < steps.size(); ++i) {
        if (steps[i].size() == 1) {
            QTest::keyClick(player_->videoView(), steps[i].at(0).toLatin1());
        } else {
            fromMenu(steps[i])->trigger();
            player_->contextMenu()->close();
        }
        if (!video) {
            QTest::qWait(300);
            QCOMPARE(player_->playState(), 3);
            continue;
        }
        QTRY_COMPARE(player_->playState(), 2);
        if (start < 0) {
            QTRY_VERIFY(player_->engine()->coreProperty("pause") == "yes");
            QTest::qWait(300);
            start = frame() - 1;
            states.clear();
        }
        QTRY_COMPARE_WITH_TIMEOUT(frame() - start, frames[i], kStartTimeout);
        QTest::qWait(200);
    }
    QVERIFY(!states.contains(QVariantList{3})); // the step's own play for one frame is no play
}

// A thin tick at each chapter's start but the first, and a value read as the time.
void MediaPlayerTest::seekBarMarksChaptersAndReadsAsTime() {
    playAndWait(media_.chapters());
    player_->controls()->pause();
    player_->setCurrentPosition(5);
    SeekSlider* seek = player_->transportBar()->seekSlider();
    QTRY_COMPARE(seek->marks(), (QList<int>{0, 4000, 8000}));
    QTRY_COMPARE(seek->valueText(), QStringLiteral("0:05 of 0:12"));
    QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(seek);
    QCOMPARE(reader->text(QAccessible::Value), QStringLiteral("0:05 of 0:12"));
    QCOMPARE(reader->valueInterface()->currentValue().toDouble(), 5.0);
    QCOMPARE(reader->valueInterface()->maximumValue().toDouble(), 12.0);
    const QImage bar = seek->grab().toImage();
    const auto light = [&](int x) {
        return qGray(bar.pixel(x * bar.devicePixelRatio(), bar.height() / 2 - 2));
    };
    for (int at : {4000, 8000})
        QVERIFY2(light(seek->xOf(at)) > 180, qPrintable(QString::number(light(seek->xOf(at)))));
    QVERIFY(light(seek->xOf(6000)) < 100); // between marks, the groove
    playAndWait(media_.silentVideo(6));
    QTRY_VERIFY(seek->marks().isEmpty());
}

// Dragging the knob shows the frames it passes (keyframe seeks), and lets go exactly where it is released.
void MediaPlayerTest::dragShowsFramesAndLandsExactly() {
    playAndWait(media_.chapters());
    player_->controls()->pause();
    SeekSlider* seek = player_->transportBar()->seekSlider();
    QTRY_VERIFY(seek->maximum() == 12000);
    MediaEngine* engine = player_->engine();
    const int y = seek->height() / 2;
    QTest::mousePress(seek, Qt::LeftButton, {}, QPoint(seek->xOf(0), y));
    QStringList shown;
    for (int ms : {2000, 5000, 9000, 10400}) {
        QTest::mouseMove(seek, QPoint(seek->xOf(ms), y));
        QTRY_VERIFY_WITH_TIMEOUT(std::abs(engine->coreProperty("time-pos").toDouble() - ms / 1000.0) < 1.01,
                                 kStartTimeout);
    }
    const int released = seek->sliderPosition();
    QTest::mouseRelease(seek, Qt::LeftButton, {}, QPoint(seek->xOf(10400), y));
    QTRY_COMPARE(qRound(engine->coreProperty("time-pos").toDouble() * 25), qRound(released / 40.0));
}

// The pointer resting on the seek bar of a video shows the frame there, the time and the chapter's title,
// at the video's aspect; a song shows none. The preview core goes a few seconds after the pointer leaves; a
// file moved in under the playing one's name since is not shown when it comes again.
void MediaPlayerTest::previewsOnVideosOnly_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("caption"); // empty: no preview
    QTest::newRow("video with chapters") << QStringLiteral("chapters") << QStringLiteral("0:06  Part 2");
    QTest::newRow("song") << QStringLiteral("song") << QString();
    QTest::newRow("video replaced while played")
        << QStringLiteral("replaced") << QStringLiteral("0:06  Part 2");
    // Opened past the open plan (as only the core's own tests do): the preview core never sees it.
    QTest::newRow("video past the plan") << QStringLiteral("unplanned") << QString();
}

void MediaPlayerTest::previewsOnVideosOnly() {
    QFETCH(QString, file);
    QFETCH(QString, caption);
    if (file == "unplanned") {
        MediaEngine::Item item;
        item.path = media_.chapters();
        player_->engine()->openPastThePlan(item.path, {item});
        QTRY_COMPARE_WITH_TIMEOUT(player_->playState(), 3, kStartTimeout);
    } else if (file == "replaced") {
        QFile::remove(media_.folder() + "/replaced.mkv");
        QVERIFY(QFile::copy(media_.chapters(), media_.folder() + "/replaced.mkv"));
        playAndWait(media_.folder() + "/replaced.mkv");
    } else {
        playAndWait(file == "song" ? media_.mp3(2) : media_.chapters());
    }
    player_->controls()->pause();
    SeekSlider* seek = player_->transportBar()->seekSlider();
    QTRY_VERIFY(seek->isEnabled() && seek->maximum() > 0);
    auto* preview = seek->findChild<SeekPreview*>();
    QVERIFY(preview);
    const auto pointTo = [](QWidget* widget, QPoint at) { // the X server counts device pixels
        real_pointer::moveTo(widget->mapToGlobal(at) * widget->devicePixelRatioF());
    };
    pointTo(seek, QPoint(seek->xOf(6000), seek->height() / 2));
    if (caption.isEmpty()) {
        QTest::qWait(500);
        QVERIFY(!preview->isVisible());
        QVERIFY(!player_->engine()->previewRunning());
        return;
    }
    QTRY_VERIFY(preview->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!preview->picture().isNull(), kStartTimeout);
    QCOMPARE(preview->caption(), caption);
    const qreal ratio = preview->devicePixelRatioF();
    QCOMPARE(preview->picture().width(), qRound(SeekPreview::kWidth * ratio));
    QCOMPARE(preview->picture().height(), qRound(SeekPreview::kWidth * ratio * 3 / 4)); // 160 x 120
    QVERIFY(preview->geometry().bottom() < seek->mapToGlobal(QPoint(0, 0)).y());
    QVERIFY(!preview->hasFocus() && preview->focusPolicy() == Qt::NoFocus);
    QCOMPARE(colourOf(preview->picture()).isEmpty(), false); // the test pattern, not black
    pointTo(player_->videoView(), QPoint(20, 20));
    QTRY_VERIFY(!preview->isVisible());
    QVERIFY(player_->engine()->previewRunning());
    QTRY_VERIFY_WITH_TIMEOUT(!player_->engine()->previewRunning(), SeekPreview::kGiveBackMs + 2000);
    if (file != "replaced")
        return;
    const QString path = media_.folder() + "/replaced.mkv";
    QVERIFY(QFile::remove(path) &&
            QFile::copy(QFileInfo(media_.colourList()).dir().filePath("red.mp4"), path));
    pointTo(seek, QPoint(seek->xOf(2000), seek->height() / 2));
    QTRY_VERIFY(preview->isVisible());
    QTest::qWait(2000); // time enough to show the red of the file now there
    QVERIFY(colourOf(preview->picture()) != "red");
    QVERIFY(player_->engine()->previewRunning());
}

// Each audio track is heard and each subtitle shown as chosen, from the menu and with the keys; the choice
// lasts for that file only.
void MediaPlayerTest::tracksFromTheMenuAndKeys() {
    player_->setPlayCount(20); // plays on while the test looks
    playAndWait(media_.languages());
    MediaEngine* engine = player_->engine();
    const auto subtitleWhite = [&] { return whitePixels(player_->videoView()->grabFramebuffer()); };
    QMap<QString, int> white;
    const QStringList choices{"Audio/fra",     "Audio/eng",    "Subtitles/fra", "Subtitles/languages.srt",
                              "Subtitles/Off", "Subtitles/eng"};
    for (const QString& choice : choices) {
        QAction* item = nullptr;
        QTRY_VERIFY((item = fromMenu(choice))); // the tracks are read from the core one by one
        QVERIFY2(item && item->isCheckable(), qPrintable(choice));
        item->trigger();
        player_->contextMenu()->close();
        const QString name = choice.section('/', 1);
        const bool audio = choice.startsWith("Audio");
        const char* property = audio ? "current-tracks/audio/lang" : "current-tracks/sub/lang";
        if (name != "languages.srt")
            QTRY_COMPARE(engine->coreProperty(property), name == "Off" ? QString() : name);
        QTRY_VERIFY(fromMenu(choice) && fromMenu(choice)->isChecked()); // the menu follows
        player_->contextMenu()->close();
        if (!audio) {
            QTRY_VERIFY(subtitleWhite() > 0 || name == "Off");
            white[name] = subtitleWhite();
        }
    }
    QCOMPARE(white["Off"], 0);
    QVERIFY2(white["eng"] > white["languages.srt"] && white["languages.srt"] > white["fra"],
             qPrintable(
                 QStringLiteral("%1 %2 %3").arg(white["eng"]).arg(white["languages.srt"]).arg(white["fra"])));

    // The keys: '#' the next audio track, 'j' the next subtitle, 'v' hides and shows them.
    VideoView* video = player_->videoView();
    video->setFocus();
    QTest::keyClick(video, Qt::Key_NumberSign);
    QTRY_COMPARE(engine->coreProperty("current-tracks/audio/lang"), QStringLiteral("fra"));
    QTest::keyClick(video, Qt::Key_J);
    QTRY_COMPARE(engine->coreProperty("current-tracks/sub/lang"), QStringLiteral("fra"));
    QTest::keyClick(video, Qt::Key_V);
    QTRY_COMPARE(subtitleWhite(), 0);
    QTest::keyClick(video, Qt::Key_V);
    QTRY_VERIFY(subtitleWhite() > 0);

    player_->setURL(media_.languages()); // the same file again: the file's own choice
    QTRY_COMPARE_WITH_TIMEOUT(player_->playState(), 3, kStartTimeout);
    QTRY_COMPARE(engine->coreProperty("current-tracks/audio/lang"), QStringLiteral("eng"));
    QCOMPARE(engine->coreProperty("sub-visibility"), QStringLiteral("yes"));
}

// Slow, Normal and Fast set the core's speed with the pitch kept; a scan multiplies the speed chosen and ends
// back at it; a new file plays at normal speed again.
void MediaPlayerTest::speedFromTheMenu() {
    playAndWait(media_.silentVideo(6));
    MediaEngine* engine = player_->engine();
    fromMenu("Play Speed/Slow")->trigger();
    player_->contextMenu()->close();
    QTRY_COMPARE(engine->coreProperty("speed").toDouble(), 0.5);
    QCOMPARE(engine->coreProperty("audio-pitch-correction"), QStringLiteral("yes"));
    // Half speed: the position moves at most half as fast as the clock (load only slows it further).
    QElapsedTimer clock;
    const double from = engine->coreProperty("time-pos").toDouble();
    clock.start();
    QTest::qWait(1500);
    const double moved = engine->coreProperty("time-pos").toDouble() - from;
    QVERIFY2(moved < clock.elapsed() / 1000.0 * 0.6, qPrintable(QString::number(moved)));

    fromMenu("Play Speed/Fast")->trigger();
    player_->contextMenu()->close();
    QTRY_COMPARE(engine->coreProperty("speed").toDouble(), 1.4);
    QCOMPARE(player_->rate(), 1.4);
    player_->actions()->fastForward->trigger();
    QTRY_COMPARE(engine->coreProperty("speed").toDouble(), 7.0);
    player_->actions()->playPause->trigger();
    QTRY_COMPARE(engine->coreProperty("speed").toDouble(), 1.4);
    QVERIFY(fromMenu("Play Speed/Fast")->isChecked());
    player_->contextMenu()->close();

    playAndWait(media_.video(2));
    QCOMPARE(player_->rate(), 1.0);
    QTRY_COMPARE(engine->coreProperty("speed").toDouble(), 1.0);
    QVERIFY(fromMenu("Play Speed/Normal")->isChecked());
    player_->contextMenu()->close();
}

// The menu over a paused video paints, as over a stopped one: read from the X server's pixels.
void MediaPlayerTest::menuPaintsOverPausedVideo() {
    playAndWait(media_.video(2));
    // The real pointer: the X server's own events, as a user's mouse makes them.
    TransportButton* play = player_->transportBar()->playPauseButton();
    real_pointer::moveTo(play->mapToGlobal(play->rect().center()));
    real_pointer::click();
    QTRY_COMPARE(player_->playState(), 2);
    VideoView* video = player_->videoView();
    real_pointer::moveTo(video->mapToGlobal(QPoint(40, 40)));
    real_pointer::click(3);
    QTRY_VERIFY(player_->contextMenu() && player_->contextMenu()->isVisible());
    QMenu* menu = player_->contextMenu();
    QVERIFY(QTest::qWaitForWindowExposed(menu));
    // The menu's own background is light: far from the black of an unpainted window.
    QTRY_VERIFY2(litShare(onScreen(menu), 128) > 0.5,
                 qPrintable(QString::number(litShare(onScreen(menu), 128))));
    menu->close();
}

TOLVANE_TEST_MAIN(MediaPlayerTest)
#include "test_media_player.moc"
