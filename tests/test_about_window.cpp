// The About window as the user sees it: its place, its look where controls overlap, its labels, the focus
// and what its buttons and keys do.
#include "app/application.h"
#include "app/window_registry.h"
#include "info/about_window.h"
#include "support/test_main.h"
#include "support/visibility_log.h"
#include "support/x11_properties.h"
#include "toolkit/label.h"
#include "toolkit/picture.h"
#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

namespace {
Form1* about() {
    return qobject_cast<Form1*>(windows().Form1.get());
}

const QColor darkGrey(64, 64, 64);
const QColor companyBlue(129, 175, 233);

bool near(const QColor& a, const QColor& b, int tolerance = 40) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) <=
           tolerance;
}

// Counts the pixels of `area` (client coordinates) that are close to `colour`.
int countNear(const QImage& image, const QRect& area, const QColor& colour, int tolerance = 40) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += near(image.pixelColor(x, y), colour, tolerance) ? 1 : 0;
    return count;
}

QImage snapshot(Form1* window) {
    return window->client()->grab().toImage();
}

QList<QWidget*> controlsOf(Form1* window) {
    return window->client()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
}
} // namespace

class AboutWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void init();
    void cleanup();

    void standsWhereItsLayoutPutsIt();
    void buttonsInFrontAndLabel1InFrontOfThePicture();
    void transparentLabelsShowWhatLiesBehind();
    void companyLineWrapsInItsBoxAndIsCutAtTheBottom();
    void autoSizeLabelGrowsToTheRightAlone();
    void autoSizeLabelIsCutAtTheWindowEdge();
    void onlyTheButtonsTakeTheFocus();
    void moreDetailsIsTheDefaultButton();
    void moreDetailsShowsThePlayerBeforeHidingItself();
    void clicksOnLabelsAndPictureDoNothing();

  private:
    bool neverActivated_ = false;
};

void AboutWindowTest::initTestCase() {
    setUpApplication();
}

void AboutWindowTest::init() {
    // A window that is never activated fails every test alike: said once, the rest are skipped at once.
    if (neverActivated_)
        QSKIP("the About window was never activated: see the first failure");
    showWindow(windows().Form1);
    neverActivated_ = !QTest::qWaitForWindowActive(about(), 5000);
    QVERIFY2(!neverActivated_, "the About window was not activated within 5 s (window manager hints?)");
}

void AboutWindowTest::cleanup() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (qobject_cast<Form*>(widget))
            widget->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QTRY_VERIFY(!windows().Form1.isLoaded());
}

void AboutWindowTest::standsWhereItsLayoutPutsIt() {
    Form1* window = about();
    // 3648, 2892 twips and 6408 x 4428 twips at 15 twips a pixel.
    QCOMPARE(window->client()->mapToGlobal(QPoint(0, 0)), QPoint(243, 193));
    QCOMPARE(window->client()->size(), QSize(427, 295));
    QCOMPARE(window->minimumSize(), window->maximumSize());
    QCOMPARE(window->windowTitle(), QStringLiteral("Tolvane Cooperation"));
    const Qt::WindowFlags flags = window->windowFlags();
    // No owner: a tool window would be transient for Qt's hidden leader, and stay above the player.
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Window);
    QCOMPARE(x11::property(window->winId(), "WM_TRANSIENT_FOR"), QStringList());
    // The narrow title bar, and no taskbar button.
    QCOMPARE(x11::property(window->winId(), "_NET_WM_WINDOW_TYPE").value(0), "_NET_WM_WINDOW_TYPE_UTILITY");
    QVERIFY(x11::property(window->winId(), "_NET_WM_STATE").contains("_NET_WM_STATE_SKIP_TASKBAR"));
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(!window->isModal());
    // Bare client area between the buttons and the labels.
    QCOMPARE(window->client()->childAt(200, 185), nullptr);
    QCOMPARE(snapshot(window).pixelColor(200, 185), darkGrey);
}

void AboutWindowTest::buttonsInFrontAndLabel1InFrontOfThePicture() {
    Form1* window = about();
    // Stacking runs back to front; the buttons come last, the picture first.
    const QList<QWidget*> stack = controlsOf(window);
    QStringList names;
    for (QWidget* control : stack)
        names << control->objectName();
    QCOMPARE(names, QStringList({"Image1", "Label1", "Label2", "Label5", "Label6", "Label7", "Label3",
                                 "Label8", "Label4", "Command1", "Command2"}));
    // Where Label1 overlaps Image1 (4920 to 5175 by 360 to 1575 twips) the pointer finds Label1.
    QCOMPARE(window->Image1->geometry(), QRect(328, 16, 89, 89));
    QCOMPARE(window->client()->childAt(335, 60), window->Label1);
    QCOMPARE(window->client()->childAt(335, 20), window->Image1);
    QCOMPARE(window->client()->childAt(380, 60), window->Image1);
}

void AboutWindowTest::transparentLabelsShowWhatLiesBehind() {
    Form1* window = about();
    QPixmap red(8, 8);
    red.fill(Qt::red);
    window->Image1->setPicture(red);
    const QImage image = snapshot(window);
    // Label1's box over the stretched picture, away from its text: the picture shows through.
    QCOMPARE(image.pixelColor(343, 26), QColor(Qt::red));
    QCOMPARE(image.pixelColor(343, 100), QColor(Qt::red));
    // Label1's box beside the picture, away from its text: the window background shows through.
    QCOMPARE(image.pixelColor(68, 27), darkGrey);
    QVERIFY(countNear(image, window->Label1->geometry(), companyBlue) > 200);
    // An auto-size label's box holds glyphs and background, nothing else.
    const QRect box = window->Label2->geometry();
    const QColor lilac(192, 192, 255);
    int other = 0;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            // Antialiased glyph edges blend the text colour into the background.
            const bool blend = c.blue() >= c.red() && c.red() == c.green() && c.red() >= 64;
            other += (c == darkGrey || near(c, lilac) || blend) ? 0 : 1;
        }
    QCOMPARE(other, 0);
}

void AboutWindowTest::companyLineWrapsInItsBoxAndIsCutAtTheBottom() {
    Form1* window = about();
    Label* label = window->Label1;
    const QRect box(65, 24, 280, 117); // 975, 360, 4200 x 1755 twips
    QCOMPARE(label->geometry(), box);
    QVERIFY(label->wordWrap());
    QCOMPARE(label->alignment(), Qt::AlignHCenter | Qt::AlignTop);

    // As designed: two centred lines, the first at the top of the box.
    QImage image = snapshot(window);
    QVERIFY(countNear(image, QRect(box.left(), box.top(), box.width(), 12), companyBlue) > 0);
    const int firstLineLeft = [&] {
        for (int x = box.left(); x <= box.right(); ++x)
            if (countNear(image, QRect(x, box.top(), 1, 40), companyBlue) > 0)
                return x;
        return -1;
    }();
    // Right of Image1's left edge the emblem's own blue shows through; the first line ends before it.
    const int firstLineRight = [&] {
        for (int x = window->Image1->x() - 1; x >= box.left(); --x)
            if (countNear(image, QRect(x, box.top(), 1, 40), companyBlue) > 0)
                return x;
        return -1;
    }();
    QVERIFY(firstLineLeft > box.left() + 20);
    QVERIFY(std::abs((firstLineLeft - box.left()) - (box.right() - firstLineRight)) <= 3);

    // Many words: wrapped within the width, the last lines cut off by the bottom edge.
    label->setCaption(QStringLiteral("Tolvane Cooperation Tolvane Cooperation Tolvane Cooperation"));
    QCOMPARE(label->geometry(), box);
    image = snapshot(window);
    QVERIFY(countNear(image, QRect(box.left(), box.bottom() - 4, box.width(), 5), companyBlue) > 0);
    QCOMPARE(countNear(image, QRect(box.left(), box.bottom() + 1, box.width(), 2), companyBlue), 0);
    QCOMPARE(countNear(image, QRect(box.left() - 5, box.top(), 5, box.height()), companyBlue), 0);
    // Right of the box, below the emblem (whose own blue would count).
    const int belowEmblem = window->Image1->geometry().bottom() + 1;
    QCOMPARE(
        countNear(image, QRect(box.right() + 1, belowEmblem, 3, box.bottom() - belowEmblem + 1), companyBlue),
        0);
}

void AboutWindowTest::autoSizeLabelGrowsToTheRightAlone() {
    Form1* window = about();
    QHash<QWidget*, QRect> before;
    for (QWidget* control : controlsOf(window))
        before.insert(control, control->geometry());
    const QRect old = window->Label2->geometry();
    QCOMPARE(old.topLeft(), QPoint(8, 192)); // 120, 2880 twips

    const QString longer = QStringLiteral("Arvid Elmer Tolvane,");
    window->Label2->setCaption(longer);
    const QRect now = window->Label2->geometry();
    QCOMPARE(now.topLeft(), old.topLeft());
    QCOMPARE(now.height(), old.height());
    QCOMPARE(now.width(), QFontMetrics(window->Label2->font()).horizontalAdvance(longer));
    QVERIFY(now.width() > old.width());
    for (QWidget* control : controlsOf(window))
        if (control != window->Label2)
            QCOMPARE(control->geometry(), before.value(control));
    QCOMPARE(window->client()->size(), QSize(427, 295));

    // Shorter again: it shrinks back towards its left edge.
    window->Label2->setCaption(QStringLiteral("Arvid,"));
    QCOMPARE(window->Label2->geometry().topLeft(), old.topLeft());
    QVERIFY(window->Label2->width() < old.width());
}

void AboutWindowTest::autoSizeLabelIsCutAtTheWindowEdge() {
    Form1* window = about();
    const QSize windowSize = window->size();
    window->Label8->setCaption(QStringLiteral("7946 0321 7946 0321"));
    QVERIFY(window->Label8->geometry().right() > window->client()->width());
    QCOMPARE(window->size(), windowSize);
    // The text runs on to the last columns of the client area.
    const QImage image = snapshot(window);
    const QRect lastColumns(window->client()->width() - 6, window->Label8->y(), 6, window->Label8->height());
    QVERIFY(countNear(image, lastColumns, QColor(192, 192, 255), 60) > 0);
}

void AboutWindowTest::onlyTheButtonsTakeTheFocus() {
    Form1* window = about();
    QList<QWidget*> focusable;
    for (QWidget* widget : window->findChildren<QWidget*>())
        if (widget->focusPolicy() != Qt::NoFocus)
            focusable << widget;
    QCOMPARE(focusable.size(), 2);
    QVERIFY(focusable.contains(window->Command1));
    QVERIFY(focusable.contains(window->Command2));

    QCOMPARE(QApplication::focusWidget(), window->Command1);
    QTest::keyClick(window, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), window->Command2);
    QTest::keyClick(window, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), window->Command1);
    QTest::keyClick(window, Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), window->Command2);
    // A click on a label leaves the focus where it was.
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {},
                      window->client()->mapTo(window, window->Label2->geometry().center()));
    QCOMPARE(QApplication::focusWidget(), window->Command2);
}

void AboutWindowTest::moreDetailsIsTheDefaultButton() {
    Form1* window = about();
    QVERIFY(window->Command1->isDefault());
    QVERIFY(!window->Command2->isDefault());
    // Esc is no shortcut for either button.
    QTest::keyClick(window->Command1, Qt::Key_Escape);
    QVERIFY(window->isVisible());
    QVERIFY(!windows().frm.isLoaded());

    QTest::keyClick(window->Command1, Qt::Key_Return);
    QVERIFY(!window->isVisible());
    QVERIFY(windows().frm.isLoaded());
    QVERIFY(windows().frm.get()->isVisible());
    QVERIFY(!windows().Form2.isLoaded());

    // Space clicks the focused button, as for every push button.
    showWindow(windows().Form1);
    QVERIFY(QTest::qWaitForWindowActive(window));
    window->Command2->setFocus();
    QTest::keyClick(window->Command2, Qt::Key_Space);
    QVERIFY(!window->isVisible());
    QVERIFY(windows().Form2.isLoaded());
    QVERIFY(!windows().Form2.get()->isVisible());
}

void AboutWindowTest::clicksOnLabelsAndPictureDoNothing() {
    Form1* window = about();
    const QList<QWidget*> targets{window->Label1, window->Label2, window->Label3,
                                  window->Label4, window->Label5, window->Label6,
                                  window->Label7, window->Label8, window->Image1};
    for (QWidget* target : targets) {
        const QPoint centre = window->client()->mapTo(window, target->geometry().center());
        QCOMPARE(window->childAt(centre), target);
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, {}, centre);
        QVERIFY2(window->isVisible(), qPrintable(target->objectName()));
        QCOMPARE(about(), window);
        QVERIFY(!windows().frm.isLoaded());
        QVERIFY(!windows().Form2.isLoaded());
        QCOMPARE(QApplication::focusWidget(), window->Command1);
    }
}

// The other order leaves no window of ours for a moment, and a window manager may hand the focus elsewhere.
void AboutWindowTest::moreDetailsShowsThePlayerBeforeHidingItself() {
    VisibilityLog log;
    log.watch(windows().frm.get()); // built, still hidden
    log.watch(about());
    QTest::mouseClick(about()->Command1, Qt::LeftButton);
    QCOMPARE(log.events, QStringList({"frm shown", "Form1 hidden"}));
}

TOLVANE_TEST_MAIN(AboutWindowTest)
#include "test_about_window.moc"
