// The video area at a device pixel ratio of 2: libmpv must draw into the whole framebuffer (device pixels),
// not a quarter of it.

#include "media/media_player.h"
#include "media/video_view.h"
#include "support/test_media.h"

#include <QApplication>
#include <QtTest>
#include <memory>

class MediaHiDpiTest : public QObject {
    Q_OBJECT
  private slots:
    void videoFillsTheFramebuffer();

  private:
    TestMedia media_;
};

void MediaHiDpiTest::videoFillsTheFramebuffer() {
    auto host = std::make_unique<QWidget>();
    host->setGeometry(20, 20, 592, 504);
    auto* player = new MediaPlayer(host.get());
    player->setGeometry(12, 12, 553, 289);
    player->setStretchToFit(true); // the picture fills the area's height
    host->show();
    QVERIFY(QTest::qWaitForWindowExposed(host.get()));
    QCOMPARE(player->videoView()->devicePixelRatioF(), 2.0);
    player->setURL(media_.silentVideo(2));
    QTRY_COMPARE_WITH_TIMEOUT(player->playState(), 3, 10000);
    QTest::qWait(300);
    const QImage frame = player->videoView()->grabFramebuffer().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(frame.size(), player->videoView()->size() * 2);
    // A 4:3 picture scaled to the area's height: lit from top to bottom along the middle column,
    // and black at the far left and right.
    const int x = frame.width() / 2;
    int lit = 0;
    for (int y = 0; y < frame.height(); ++y) {
        const QRgb c = frame.pixel(x, y);
        if (std::max({qRed(c), qGreen(c), qBlue(c)}) > 48)
            ++lit;
    }
    QVERIFY2(lit > frame.height() * 0.9, qPrintable(QStringLiteral("%1 of %2").arg(lit).arg(frame.height())));
    const QRgb edge = frame.pixel(4, frame.height() / 2);
    QVERIFY(std::max({qRed(edge), qGreen(edge), qBlue(edge)}) < 16);
}

int main(int argc, char* argv[]) {
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    MediaHiDpiTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_media_hidpi.moc"
