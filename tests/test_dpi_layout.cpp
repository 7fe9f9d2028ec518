// The layouts at the screen's resolution (TEST_DPI: 96, 120, 144, 192, set on the X server and in its
// Xft.dpi resource by run-under-xvfb.sh): client areas, positions, fonts and pictures all scale by the same
// factor, and no caption is cut off. Sizes are compared in device pixels, the pixels on the screen.
#include "app/application.h"
#include "toolkit/form.h"
#include "toolkit/label.h"
#include "toolkit/picture.h"
#include "app/window_registry.h"
#include "info/about_layout.h"
#include "info/about_window.h"
#include "info/farewell_layout.h"
#include "info/farewell_window.h"
#include "media/media_player.h"
#include "player/player_layout.h"
#include "player/player_window.h"
#include "support/test_main.h"
#include <QApplication>
#include <QPushButton>
#include <QScreen>
#include <QtTest>
#include <cmath>

namespace {
double testDpi() {
    const QByteArray value = qgetenv("TEST_DPI");
    return value.isEmpty() ? 96.0 : value.toDouble();
}

// The same twips, straight to the screen's pixels at the test's resolution.
int devicePixels(int twips) {
    return static_cast<int>(std::lround(twips * testDpi() / 1440.0));
}

QRect onScreen(const QWidget* widget) {
    const double ratio = widget->devicePixelRatioF();
    const QRect r = widget->geometry();
    return {static_cast<int>(std::lround(r.x() * ratio)), static_cast<int>(std::lround(r.y() * ratio)),
            static_cast<int>(std::lround(r.width() * ratio)),
            static_cast<int>(std::lround(r.height() * ratio))};
}

// Each edge may be one pixel off: the layer rounds to whole logical pixels before the screen scales them.
void compareRect(const QRect& actual, const QRect& expected, const char* what) {
    const bool close = std::abs(actual.left() - expected.left()) <= 1 &&
                       std::abs(actual.top() - expected.top()) <= 1 &&
                       std::abs(actual.width() - expected.width()) <= 1 &&
                       std::abs(actual.height() - expected.height()) <= 1;
    QVERIFY2(close, qPrintable(QStringLiteral("%1: (%2,%3 %4x%5) on the screen, (%6,%7 %8x%9) wanted")
                                   .arg(QString::fromUtf8(what))
                                   .arg(actual.x())
                                   .arg(actual.y())
                                   .arg(actual.width())
                                   .arg(actual.height())
                                   .arg(expected.x())
                                   .arg(expected.y())
                                   .arg(expected.width())
                                   .arg(expected.height())));
}

void checkRows(Form* window, std::span<const ControlRow> rows) {
    QVERIFY(QTest::qWaitForWindowExposed(window));
    const QRect area = window->client()->rect();
    for (const ControlRow& row : rows) {
        auto* widget = window->client()->findChild<QWidget*>(QString::fromUtf8(row.name));
        QVERIFY2(widget, row.name);
        auto* label = qobject_cast<Label*>(widget);
        if (!label || !label->autoSize()) {
            compareRect(onScreen(widget),
                        {devicePixels(row.left), devicePixels(row.top), devicePixels(row.width),
                         devicePixels(row.height)},
                        row.name);
        } else {
            // An auto-size caption keeps its top-left corner; its size follows the text.
            const QRect actual = onScreen(widget);
            compareRect({actual.topLeft(), QSize()},
                        {QPoint(devicePixels(row.left), devicePixels(row.top)), QSize()}, row.name);
        }
        if (!label || label->text().isEmpty())
            continue;
        // The caption's letters, as the label lays them out, stay inside the label and the label inside the
        // client area.
        const QFontMetricsF metrics(label->font());
        const QRectF box = label->contentsRect();
        const QRectF needed = metrics.boundingRect(
            box, static_cast<int>(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0),
            label->text());
        QVERIFY2(box.contains(needed.adjusted(0.5, 0.5, -0.5, -0.5)),
                 qPrintable(QStringLiteral("%1 \"%2\" clipped: needs %3x%4, has %5x%6")
                                .arg(QString::fromUtf8(row.name), label->text())
                                .arg(needed.width())
                                .arg(needed.height())
                                .arg(box.width())
                                .arg(box.height())));
        if (label->autoSize())
            QVERIFY2(area.contains(label->geometry()),
                     qPrintable(QString::fromUtf8(row.name) + QStringLiteral(" runs out of the window")));
        // Fonts are in points: on the screen a point is dpi/72 pixels, like the positions' twips.
        const double pixels = QFontInfo(label->font()).pixelSize() * label->devicePixelRatioF();
        const double wanted = label->font().pointSizeF() * testDpi() / 72.0;
        QVERIFY2(std::abs(pixels - wanted) <= 1.5, qPrintable(QStringLiteral("%1 font %2 px, %3 wanted")
                                                                  .arg(QString::fromUtf8(row.name))
                                                                  .arg(pixels)
                                                                  .arg(wanted)));
    }
}

// With TEST_SCREENSHOT_DIR set, the window's picture goes there, to look at.
void keepScreenshot(QWidget* window, const char* name) {
    const QByteArray folder = qgetenv("TEST_SCREENSHOT_DIR");
    if (!folder.isEmpty())
        window->grab().save(QStringLiteral("%1/%2-%3dpi.png")
                                .arg(QString::fromLocal8Bit(folder), QString::fromUtf8(name))
                                .arg(testDpi()));
}

void checkClientArea(Form* window, const FormLayout& layout) {
    QVERIFY(QTest::qWaitForWindowExposed(window));
    const double ratio = window->devicePixelRatioF();
    const QSize onScreenSize(static_cast<int>(std::lround(window->client()->width() * ratio)),
                             static_cast<int>(std::lround(window->client()->height() * ratio)));
    compareRect(QRect(QPoint(), onScreenSize),
                QRect(0, 0, devicePixels(layout.width), devicePixels(layout.height)), layout.title);
}
} // namespace

class DpiLayoutTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void screenScalesAsTheServerSays();
    void playerWindow();
    void aboutWindow();
    void farewellWindow();
};

void DpiLayoutTest::initTestCase() {
    setUpApplication();
}

// Xft.dpi is what desktops set; Qt turns it into a device pixel ratio and keeps 96 logical DPI.
void DpiLayoutTest::screenScalesAsTheServerSays() {
    QScreen* screen = QGuiApplication::primaryScreen();
    const double effective = screen->logicalDotsPerInchX() * screen->devicePixelRatio();
    QVERIFY2(std::abs(effective - testDpi()) < 0.5,
             qPrintable(QStringLiteral("screen works at %1 DPI (%2 logical x %3), the server has %4")
                            .arg(effective)
                            .arg(screen->logicalDotsPerInchX())
                            .arg(screen->devicePixelRatio())
                            .arg(testDpi())));
}

void DpiLayoutTest::playerWindow() {
    showWindow(windows().frm);
    auto* window = qobject_cast<frm*>(windows().frm.get());
    checkClientArea(window, player_layout::window);
    checkRows(window, player_layout::controls);
    // At 96 DPI the client area is 592 x 504 pixels; at any other resolution, that times dpi / 96.
    const double ratio = window->devicePixelRatioF();
    QCOMPARE(qRound(window->client()->width() * ratio), qRound(592 * testDpi() / 96.0));
    QCOMPARE(qRound(window->client()->height() * ratio), qRound(504 * testDpi() / 96.0));
    // The pictures are drawn at their boxes' full size on the screen, not at 96-DPI size.
    const QImage shot = window->Image1->grab().toImage();
    compareRect(QRect(QPoint(), shot.size()), QRect(0, 0, devicePixels(1212), devicePixels(1092)),
                "Image1 drawn");
    const QByteArray keep = qgetenv("TEST_SCREENSHOT_DIR");
    if (!keep.isEmpty())
        window->grab().save(QString::fromLocal8Bit(keep) +
                            QStringLiteral("/player-%1dpi.png").arg(testDpi()));
}

void DpiLayoutTest::aboutWindow() {
    showWindow(windows().Form1);
    auto* window = qobject_cast<Form1*>(windows().Form1.get());
    checkClientArea(window, about_layout::window);
    checkRows(window, about_layout::controls);
    keepScreenshot(window, "about");
    // The buttons' captions fit inside their frames.
    for (QPushButton* button : {window->Command1, window->Command2}) {
        const QFontMetrics metrics(button->font());
        QVERIFY(metrics.horizontalAdvance(button->text()) < button->width() - 8);
        QVERIFY(metrics.height() < button->height() - 4);
    }
}

void DpiLayoutTest::farewellWindow() {
    showWindow(windows().Form2);
    auto* window = qobject_cast<Form2*>(windows().Form2.get());
    checkClientArea(window, farewell_layout::window);
    checkRows(window, farewell_layout::controls);
    keepScreenshot(window, "farewell");
}

TOLVANE_TEST_MAIN(DpiLayoutTest)
#include "test_dpi_layout.moc"
