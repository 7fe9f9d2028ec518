// The main road through the built program itself, driven from outside with the X server's real pointer:
// open a folder, click a clip, watch it play, pause it with the picture, then leave through File > Exit and
// the farewell window. The screen is read back as a user would see it.
#include "toolkit/file_list.h"
#include "toolkit/folder_list.h"
#include "toolkit/picture.h"
#include "app/window_registry.h"
#include "media/media_player.h"
#include "player/player_window.h"
#include "media/video_view.h"
#include "support/child_process.h"
#include "support/test_main.h"
#include "support/test_media.h"
#include <QDir>
#include <QElapsedTimer>
#include <QMenuBar>
#include <QScreen>
#include <QtTest>

namespace {

// Where things stand in the player window, from its top-left corner.
struct Places {
    QPoint subfolder, clip, pauser, fileMenu;
    QRect video;
};

// The screen's pixels in that rectangle, as the X server has them.
QImage screenArea(const QRect& area) {
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
        .toImage();
}

bool changesWithin(const QRect& area, int tries) {
    QImage last = screenArea(area);
    for (int i = 0; i < tries; ++i) {
        QTest::qWait(250);
        const QImage next = screenArea(area);
        if (next != last)
            return true;
        last = next;
    }
    return false;
}

// Not a black or empty area: something is drawn there.
bool showsPicture(const QImage& image) {
    int lit = 0;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2) {
            const QRgb p = image.pixel(x, y);
            lit += std::max({qRed(p), qGreen(p), qBlue(p)}) > 64;
        }
    return lit > 50;
}

} // namespace

class EndToEndTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void cleanupTestCase();
    void openPlayPauseAndLeave();

  private:
    // Measures the places in a twin of the window the program will show: the same code, fonts and folder.
    Places measure();

    TestMedia media_;
    QString saved_;
};

void EndToEndTest::initTestCase() {
    QVERIFY2(media_.isValid(), "ffmpeg is needed to make the test media");
    QVERIFY(!qEnvironmentVariableIsEmpty("DISPLAY"));
    // A folder of generated media with a subfolder holding the clip to play.
    QVERIFY(QFileInfo(media_.mp3(1)).size() > 0);
    QVERIFY(QFileInfo(media_.textFile()).size() > 0);
    QVERIFY(QDir(media_.folder()).mkdir("Clips"));
    QVERIFY(QFile::copy(media_.silentVideo(30), media_.folder() + "/Clips/moving pattern.mp4"));
    saved_ = QDir::currentPath();
    QVERIFY(QDir::setCurrent(media_.folder())); // the program inherits it
}

void EndToEndTest::cleanupTestCase() {
    QDir::setCurrent(saved_);
}

Places EndToEndTest::measure() {
    auto* twin = qobject_cast<frm*>(windows().frm.get());
    showWindow(windows().frm);
    if (!QTest::qWaitForWindowExposed(twin))
        return {};
    Places places;
    const auto rowCentre = [twin](QAbstractItemView* list, const QString& name) {
        for (int row = 0; row < list->model()->rowCount(); ++row) {
            const QModelIndex index = list->model()->index(row, 0);
            if (index.data().toString() == name)
                return list->viewport()->mapTo(twin, list->visualRect(index).center());
        }
        return QPoint(-1, -1);
    };
    places.subfolder = rowCentre(twin->Dir1, "Clips");
    twin->Dir1->setPath(media_.folder() + "/Clips");
    places.clip = rowCentre(twin->File1, "moving pattern.mp4");
    places.pauser = twin->Image1->mapTo(twin, twin->Image1->rect().center());
    places.fileMenu =
        twin->menuBar()->mapTo(twin, twin->menuBar()->actionGeometry(twin->mnfile->menuAction()).center());
    VideoView* video = twin->WindowsMediaPlayer1->videoView();
    // The middle of the video area, where the 160 x 120 clip stands at its own size.
    places.video = QRect(video->mapTo(twin, video->rect().center()) - QPoint(60, 45), QSize(120, 90));
    QPointer<QWidget> gone = twin;
    twin->close();
    if (!QTest::qWaitFor([&] { return gone.isNull(); }))
        return {};
    return places;
}

void EndToEndTest::openPlayPauseAndLeave() {
    const Places at = measure();
    QVERIFY(at.subfolder.x() > 0 && at.clip.x() > 0);

    PlayerProcess program;
    QVERIFY2(program.start(), qPrintable(program.errorOutput()));
    const quint64 window = program.waitForWindow("Tolvane URL Media Player");
    const QPoint origin = program.geometry(window).topLeft();
    const QRect video = at.video.translated(origin);

    program.click(origin + at.subfolder, 2); // opens the subfolder
    QTest::qWait(300);
    program.click(origin + at.clip); // plays the clip
    QTRY_VERIFY_WITH_TIMEOUT(showsPicture(screenArea(video)), 10000);
    QVERIFY2(changesWithin(video, 8), "the video does not move");

    program.click(origin + at.pauser);
    QTest::qWait(400);
    const QImage paused = screenArea(video);
    QVERIFY(showsPicture(paused));
    for (int i = 0; i < 3; ++i) {
        QTest::qWait(300);
        QVERIFY2(screenArea(video) == paused, "the video still moves after the pause picture was clicked");
    }

    program.click(origin + at.clip); // choosing the file again plays it again
    QVERIFY2(changesWithin(video, 8), "the video does not play again");

    program.click(origin + at.fileMenu);
    QTest::qWait(300);
    xdotool({"key", "Down", "Return"}); // the menu's one item: Exit
    const quint64 farewell = program.waitForWindow("Arvid", 5000);
    QVERIFY2(farewell, "the farewell window did not show");
    QVERIFY(program.isRunning());
    program.click(program.geometry(farewell).center());
    QElapsedTimer clock;
    clock.start();
    QVERIFY2(program.waitForExit(5000), "the program did not end after the farewell click");
    QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
}

TOLVANE_TEST_MAIN(EndToEndTest)
#include "test_end_to_end.moc"
