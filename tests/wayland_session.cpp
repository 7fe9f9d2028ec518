// The program as a Wayland client (run-under-weston.sh): its windows show, the video plays and draws (in
// software where OpenGL is software, as here: the compositor shows the picture), and the About and farewell
// windows come up. The compositor decides where windows stand, so nothing here
// looks at positions on the screen.
#include "app/application.h"
#include "app/window_registry.h"
#include "info/about_window.h"
#include "info/farewell_window.h"
#include "media/full_screen_window.h"
#include "media/media_player.h"
#include "media/video_view.h"
#include "player/player_window.h"
#include "support/accessibility_bus.h"
#include "support/pixels.h"
#include "support/private_bus.h"
#include "support/test_main.h"
#include "support/test_media.h"
#include <QAction>
#include <QApplication>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

namespace {
frm* player() {
    return qobject_cast<frm*>(windows().frm.get());
}

// True when the frame holds more than one colour: the test pattern, not a blank or black surface.
bool showsPicture(const QImage& frame) {
    if (frame.isNull())
        return false;
    const QRgb first = frame.pixel(0, 0);
    for (int y = 0; y < frame.height(); y += 4)
        for (int x = 0; x < frame.width(); x += 4)
            if (frame.pixel(x, y) != first)
                return true;
    return false;
}

// Whether the compositor shows each of the test pattern's quadrants at the size of a quarter of `area`
// (within a fifth): drawn, opaque, and scaled to the area. The tolerance keeps the window frame's grey
// apart from the light quadrant's.
QString quadrantsFault(QSize area) {
    const QImage screen = compositorScreenshot().convertToFormat(QImage::Format_RGB32);
    if (screen.isNull())
        return QStringLiteral("no screenshot");
    int seen[4] = {};
    for (int y = 0; y < screen.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(screen.constScanLine(y));
        for (int x = 0; x < screen.width(); ++x)
            for (int i = 0; i < 4; ++i)
                seen[i] += nearColour(line[x], TestMedia::kQuadrants[i], 10) ? 1 : 0;
    }
    const int quarter = area.width() / 2 * (area.height() / 2);
    for (int i = 0; i < 4; ++i)
        if (std::abs(seen[i] - quarter) > quarter / 5)
            return QStringLiteral("quadrant %1: %2 pixels on screen, not %3")
                .arg(i)
                .arg(seen[i])
                .arg(quarter);
    return {};
}

// `area` in the toolkit's pixels; the compositor's are device pixels. Each look at the screen takes a
// screenshot client's run: the wait is bounded in time, not in tries.
QString quadrantsFaultAfterWaiting(QSize logical) {
    const QSize area = logical * qApp->devicePixelRatio();
    QDeadlineTimer deadline(5000);
    QString fault = quadrantsFault(area);
    while (!fault.isEmpty() && !deadline.hasExpired()) {
        QTest::qWait(50);
        fault = quadrantsFault(area);
    }
    return fault;
}
} // namespace

class WaylandSession : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void pictureOnScreen_data();
    void pictureOnScreen();
    void playerShowsAndPlays();
    void aboutAndFarewellShow();
    void theRealProgramStarts();
    void aScreenReaderFindsTheProgram();

  private:
    TestMedia media_;
};

void WaylandSession::initTestCase() {
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("wayland"));
    setUpApplication();
    QVERIFY(media_.isValid());
}

// Chosen (OpenGL here is llvmpipe) or forced (no OpenGL loaded), the software path's pictures reach the
// screen through the toolkit's shared memory; forced, OpenGL's through the driver. Either follows a resize
// and full screen on and off, and keeps moving. In the stalling row the toolkit counts the window as not
// exposed whenever the compositor's call for the next frame takes over 1 ms, as it does for a window the
// compositor stops drawing for a while (hidden, minimized).
void WaylandSession::pictureOnScreen_data() {
    QTest::addColumn<QByteArray>("forced");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("stalling");
    QTest::newRow("chosen") << QByteArray() << QStringLiteral("software") << false;
    QTest::newRow("software") << QByteArray("software") << QStringLiteral("software") << false;
    QTest::newRow("OpenGL") << QByteArray("opengl") << QStringLiteral("OpenGL") << false;
    QTest::newRow("chosen, stalling") << QByteArray() << QStringLiteral("software") << true;
}

void WaylandSession::pictureOnScreen() {
    QFETCH(QByteArray, forced);
    QFETCH(QString, path);
    QFETCH(bool, stalling);
    qputenv("TOLVANE_VIDEO_OUTPUT", forced);
    if (stalling)
        qputenv("QT_WAYLAND_FRAME_CALLBACK_TIMEOUT", "1");
    const auto restore = qScopeGuard([] { qunsetenv("QT_WAYLAND_FRAME_CALLBACK_TIMEOUT"); });
    auto host = std::make_unique<QWidget>();
    host->resize(340, 260);
    auto* component = new MediaPlayer(host.get());
    component->setUiMode(QStringLiteral("none"));
    component->setStretchToFit(true);
    component->setGeometry(10, 10, 320, 240);
    host->show();
    QVERIFY(QTest::qWaitForWindowExposed(host.get()));
    component->setURL(media_.quadrants());
    QTRY_COMPARE_WITH_TIMEOUT(component->playState(), 3, 15000);
    qunsetenv("TOLVANE_VIDEO_OUTPUT");
    QCOMPARE(component->videoView()->drawingPath(), path);
    QCOMPARE(quadrantsFaultAfterWaiting(QSize(320, 240)), QString());
    component->setGeometry(10, 10, 200, 150);
    QCOMPARE(quadrantsFaultAfterWaiting(QSize(200, 150)), QString());
    // Into a top-level the compositor has not shown yet, and back into one it has. Not while stalling,
    // where the new top-level's own exposure comes and goes with every frame.
    if (!stalling) {
        component->setFullScreen(true);
        QTRY_VERIFY(component->fullScreenWindow() && component->fullScreenWindow()->isVisible());
        QCOMPARE(quadrantsFaultAfterWaiting(component->fullScreenWindow()->size()), QString());
        component->setFullScreen(false);
        QCOMPARE(quadrantsFaultAfterWaiting(QSize(200, 150)), QString());
    }
    component->setURL(media_.video(10));
    QTRY_COMPARE_WITH_TIMEOUT(component->playState(), 3, 15000);
    QTest::qWait(300);
    const QImage before = compositorScreenshot();
    QTest::qWait(400);
    QVERIFY(!before.isNull() && compositorScreenshot() != before);
}

void WaylandSession::playerShowsAndPlays() {
    showWindow(windows().frm);
    frm* window = player();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QCOMPARE(window->windowTitle(), QStringLiteral("Tolvane URL Media Player"));
    MediaPlayer* component = window->WindowsMediaPlayer1;
    component->setURL(media_.video(3.0));
    QTRY_COMPARE_WITH_TIMEOUT(component->playState(), 3, 15000);
    VideoView* view = component->videoView();
    QVERIFY(view);
    QTRY_VERIFY_WITH_TIMEOUT(showsPicture(view->grabFramebuffer()), 10000);
}

void WaylandSession::aboutAndFarewellShow() {
    player()->mnabout->trigger();
    auto* about = qobject_cast<Form1*>(windows().Form1.get());
    QVERIFY(QTest::qWaitForWindowExposed(about));
    QTest::mouseClick(about->Command1, Qt::LeftButton);
    QTRY_VERIFY(!about->isVisible());
    player()->mnexit->trigger();
    auto* farewell = qobject_cast<Form2*>(windows().Form2.get());
    QVERIFY(QTest::qWaitForWindowExposed(farewell));
    QVERIFY(showsPicture(farewell->grab().toImage()));
}

// The executable itself under the same compositor: it runs, and stays up, with no Wayland or GL errors.
void WaylandSession::theRealProgramStarts() {
    QProcess program;
    program.setProgram(QStringLiteral(TOLVANE_PLAYER_EXE));
    program.setWorkingDirectory(media_.folder());
    program.start();
    QVERIFY(program.waitForStarted(10000));
    QVERIFY2(!program.waitForFinished(4000),
             qPrintable(QString::fromLocal8Bit(program.readAllStandardError())));
    const QString errors = QString::fromLocal8Bit(program.readAllStandardError());
    QVERIFY2(!errors.contains(QStringLiteral("wayland"), Qt::CaseInsensitive) &&
                 !errors.contains(QStringLiteral("EGL")) && !errors.contains(QStringLiteral("Could not")),
             qPrintable(errors));
    program.kill();
    program.waitForFinished(5000);
}

// The same road as on X11 (test_screen_reader): the accessibility bus found through the session bus alone.
void WaylandSession::aScreenReaderFindsTheProgram() {
    PrivateSessionBus bus;
    QVERIFY(bus.isValid());
    AccessibilityBus accessibility(bus.address());
    QVERIFY(accessibility.isValid());
    QProcess program;
    program.setProgram(QStringLiteral(TOLVANE_PLAYER_EXE));
    program.setWorkingDirectory(media_.folder());
    program.start();
    QVERIFY(program.waitForStarted(10000));
    const auto end = qScopeGuard([&program] {
        program.kill();
        program.waitForFinished(5000);
    });
    const QString tree = atspiClient(program.processId(), {QStringLiteral("tree")}).value_or(QString());
    for (const char* control : {"frame\tTolvane URL Media Player", "list\tFiles", "filler\tMedia player",
                                "slider\tSeek", "menu item\tAbout Me"})
        QVERIFY2(tree.contains(QLatin1String(control)), qPrintable(tree));
    QVERIFY(atspiClient(program.processId(),
                        {QStringLiteral("press"), QStringLiteral("About"), QStringLiteral("About Me")}));
    QTRY_VERIFY_WITH_TIMEOUT(atspiClient(program.processId(), {QStringLiteral("tree")})
                                 .value_or(QString())
                                 .contains(QLatin1String("frame\tTolvane Cooperation")),
                             10000);
}

TOLVANE_TEST_MAIN(WaylandSession)
#include "wayland_session.moc"
