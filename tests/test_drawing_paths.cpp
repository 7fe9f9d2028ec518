// The two ways of drawing the video, side by side: what the X server shows (its pixels, not a fresh
// drawing) of a pattern of known colours and edges, after a file switch, a resize and a trip to full screen;
// sources and windows of odd sizes; a lost OpenGL context; and which driver names and contexts count as
// software OpenGL. The program runs again at 192 DPI (test_drawing_paths_192), with indirect GLX
// (test_drawing_paths_indirect) and with a driver that reports a reset (test_drawing_paths_lost_context).

#include "media/drawing_choice.h"
#include "media/full_screen_window.h"
#include "media/gl_frame_drawer.h"
#include "media/media_player.h"
#include "media/video_view.h"
#include "support/pixels.h"
#include "support/test_main.h"
#include "support/test_media.h"

#include <dlfcn.h>
#include <memory>

namespace {
constexpr int kPlaying = 3;

// Each quadrant's colour, sampled a quarter in from each edge, and the edge between the top two a few
// pixels either side of the middle: a blurred or shifted picture fails there.
QString patternFault(const QImage& image, bool swapped) {
    if (image.isNull())
        return QStringLiteral("no picture");
    const int w = image.width(), h = image.height();
    const QPoint centres[] = {{w / 4, h / 4}, {3 * w / 4, h / 4}, {w / 4, 3 * h / 4}, {3 * w / 4, 3 * h / 4}};
    for (int i = 0; i < 4; ++i) {
        const unsigned wanted = TestMedia::kQuadrants[swapped ? 3 - i : i];
        const QRgb seen = image.pixel(centres[i]);
        if (!nearColour(seen, wanted))
            return QStringLiteral("quadrant %1 is %2, not %3")
                .arg(i)
                .arg(seen & 0xffffff, 6, 16)
                .arg(wanted, 6, 16);
    }
    const int edge = std::max(3, w / 40);
    if (!nearColour(image.pixel(w / 2 - edge, h / 4), TestMedia::kQuadrants[swapped ? 3 : 0]) ||
        !nearColour(image.pixel(w / 2 + edge, h / 4), TestMedia::kQuadrants[swapped ? 2 : 1]))
        return QStringLiteral("the edge between the top quadrants is not at the middle");
    return {};
}

// A player without controls at `area` on a host window of `size`; by default, the pattern's own 4:3.
struct Stage {
    explicit Stage(QSize size = QSize(340, 260), QRect area = QRect(10, 10, 320, 240))
        : host(std::make_unique<QWidget>()), player(new MediaPlayer(host.get())) {
        host->setGeometry(QRect(QPoint(40, 40), size));
        player->setUiMode(QStringLiteral("none"));
        player->setGeometry(area);
        host->show();
    }
    std::unique_ptr<QWidget> host;
    MediaPlayer* player;
};

struct Forced {
    explicit Forced(const QByteArray& path) { qputenv("TOLVANE_VIDEO_OUTPUT", path); }
    ~Forced() { qunsetenv("TOLVANE_VIDEO_OUTPUT"); }
};
} // namespace

class DrawingPathsTest : public QObject {
    Q_OBJECT
  private slots:
    void softwareRenderers_data();
    void softwareRenderers();
    void patternOnScreen_data();
    void patternOnScreen();
    void oddSizes_data();
    void oddSizes();
    void indirectContextIsSeen();
    void lostContextHandsOver();

  private:
    void playPattern(const Stage& stage, const QString& path);
    TestMedia media_;
};

// The pattern played filling the area, by the drawing path `path`.
void DrawingPathsTest::playPattern(const Stage& stage, const QString& path) {
    stage.player->setStretchToFit(true);
    QVERIFY(QTest::qWaitForWindowExposed(stage.host.get()));
    stage.player->setURL(media_.quadrants());
    QTRY_COMPARE_WITH_TIMEOUT(stage.player->playState(), kPlaying, 10000);
    QCOMPARE(stage.player->videoView()->drawingPath(), path);
}

void DrawingPathsTest::softwareRenderers_data() {
    QTest::addColumn<QByteArray>("renderer");
    QTest::addColumn<bool>("software");
    QTest::newRow("llvmpipe") << QByteArray("llvmpipe (LLVM 15.0.6, 256 bits)") << true;
    QTest::newRow("softpipe") << QByteArray("softpipe") << true;
    QTest::newRow("swrast") << QByteArray("Software Rasterizer") << true;
    QTest::newRow("WSL") << QByteArray("D3D12 (Microsoft Basic Render Driver)") << true;
    QTest::newRow("Intel") << QByteArray("Mesa Intel(R) UHD Graphics 620 (KBL GT2)") << false;
    QTest::newRow("AMD") << QByteArray("AMD Radeon RX 6600 (navi23, LLVM 15.0.6, DRM 3.49)") << false;
    QTest::newRow("virgl") << QByteArray("virgl (Intel(R) Xe Graphics)") << false;
}

void DrawingPathsTest::softwareRenderers() {
    QFETCH(QByteArray, renderer);
    QFETCH(bool, software);
    QCOMPARE(isSoftwareRenderer(renderer), software);
}

// "chosen" first: on a server without direct rendering (as Xvfb) the software path is chosen before any
// OpenGL is loaded, and none is loaded while it plays.
void DrawingPathsTest::patternOnScreen_data() {
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<bool>("chosen");
    QTest::newRow("chosen") << QByteArray("software") << true;
    QTest::newRow("OpenGL") << QByteArray("OpenGL") << false;
    QTest::newRow("software") << QByteArray("software") << false;
}

void DrawingPathsTest::patternOnScreen() {
    QFETCH(QByteArray, path);
    QFETCH(bool, chosen);
    const Forced forced(chosen ? QByteArray() : path.toLower());
    const Stage stage;
    playPattern(stage, QString::fromLatin1(path));
    if (QTest::currentTestFailed())
        return;
    MediaPlayer* player = stage.player;
    VideoView* video = player->videoView();
    QTRY_COMPARE_WITH_TIMEOUT(patternFault(onScreen(video), false), QString(), 5000);

    player->setURL(media_.quadrants(true));
    QTRY_COMPARE_WITH_TIMEOUT(patternFault(onScreen(video), true), QString(), 5000);

    player->setGeometry(10, 10, 200, 150);
    QTRY_COMPARE_WITH_TIMEOUT(patternFault(onScreen(video), true), QString(), 5000);

    player->setFullScreen(true);
    QTRY_VERIFY(player->fullScreenWindow() && player->fullScreenWindow()->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(patternFault(onScreen(player->fullScreenWindow()), true), QString(), 5000);
    player->setFullScreen(false);
    QTRY_COMPARE_WITH_TIMEOUT(patternFault(onScreen(video), true), QString(), 5000);
    QCOMPARE(video->drawingPath(), QString::fromLatin1(path));
    if (chosen) {
        QFile maps(QStringLiteral("/proc/self/maps"));
        QVERIFY(maps.open(QIODevice::ReadOnly));
        const QByteArray mapped = maps.readAll();
        QVERIFY2(!mapped.contains("_dri.so") && !mapped.contains("libLLVM"), "an OpenGL driver is loaded");
    }
}

// Scalers have asserted on some sizes: each of these must play and show something, and the program go on.
void DrawingPathsTest::oddSizes_data() {
    QTest::addColumn<QSize>("source");
    QTest::addColumn<QSize>("area");
    QTest::newRow("1x1 source") << QSize(1, 1) << QSize(160, 120);
    QTest::newRow("3x7 source") << QSize(3, 7) << QSize(160, 120);
    QTest::newRow("1919x1079 source") << QSize(1919, 1079) << QSize(161, 91);
    QTest::newRow("1 pixel wide area") << QSize(160, 120) << QSize(1, 120);
    QTest::newRow("1 pixel high area") << QSize(160, 120) << QSize(160, 1);
}

void DrawingPathsTest::oddSizes() {
    QFETCH(QSize, source);
    QFETCH(QSize, area);
    const Forced forced("software");
    const Stage stage(QSize(200, 160), QRect(QPoint(10, 10), area));
    MediaPlayer* player = stage.player;
    QVERIFY(QTest::qWaitForWindowExposed(stage.host.get()));
    player->setURL(media_.oddSized(source.width(), source.height()));
    QTRY_COMPARE_WITH_TIMEOUT(player->playState(), kPlaying, 10000);
    QCOMPARE(player->videoView()->drawingPath(), QStringLiteral("software"));
    QTest::qWait(300);
    QVERIFY(player->playState() == kPlaying || player->playState() == 8); // still playing, or ended
}

// Under LIBGL_ALWAYS_INDIRECT (on a server that allows it) the context is indirect, and seen so.
void DrawingPathsTest::indirectContextIsSeen() {
    QWindow window;
    window.setSurfaceType(QSurface::OpenGLSurface);
    window.create();
    GlFrameDrawer drawer(&window);
    QVERIFY(drawer.create());
    QCOMPARE(drawer.isDirect(), qgetenv("LIBGL_ALWAYS_INDIRECT") != "1");
    drawer.end();
}

// The driver reports a reset of the OpenGL context while the video plays: the software path takes over, the
// picture is back, and the video goes on from where it was.
void DrawingPathsTest::lostContextHandsOver() {
    const auto lose = reinterpret_cast<void (*)()>(dlsym(RTLD_DEFAULT, "loseOpenGlContexts"));
    if (!lose)
        QSKIP("needs the driver's reset injected (test_drawing_paths_lost_context)");
    const Stage stage;
    playPattern(stage, QStringLiteral("OpenGL"));
    if (QTest::currentTestFailed())
        return;
    MediaPlayer* player = stage.player;
    VideoView* video = player->videoView();
    QTRY_VERIFY_WITH_TIMEOUT(player->currentPosition() > 1.0, 5000);
    const double lostAt = player->currentPosition();
    lose();
    QTRY_COMPARE_WITH_TIMEOUT(video->drawingPath(), QStringLiteral("software"), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(patternFault(onScreen(video), false), QString(), 5000);
    QCOMPARE(player->playState(), kPlaying);
    QVERIFY2(player->currentPosition() >= lostAt - 0.3, "the video started over");
}

TOLVANE_TEST_MAIN(DrawingPathsTest)

#include "test_drawing_paths.moc"
