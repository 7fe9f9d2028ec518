// The pause pictures' hover swap, driven by the X server's real pointer.
#include "toolkit/label.h"
#include "toolkit/picture.h"
#include "app/window_registry.h"
#include "player/player_window.h"
#include "support/real_pointer.h"
#include "support/test_main.h"
#include "support/visibility_log.h"
#include <QSignalSpy>
#include <QtTest>

class HoverSwapTest : public QObject {
    Q_OBJECT
    frm* window = nullptr;
    std::unique_ptr<QSignalSpy> bare, overPlain, overLit;

    int events() const { return int(bare->count() + overPlain->count() + overLit->count()); }
    // Moves the real pointer to a point of the client area and waits until the window has seen the motion.
    void pointTo(QPoint clientPoint) {
        const int before = events();
        real_pointer::moveTo(window->client()->mapToGlobal(clientPoint));
        QTRY_VERIFY_WITH_TIMEOUT(events() > before, 3000);
    }
    bool plainShown() const { return window->Image1->isVisible(); }
    bool litShown() const { return window->Image2->isVisible(); }

    static constexpr QPoint bareWindow{20, 150};
    static constexpr QPoint pictureMiddle{330, 130};

  private slots:
    void init();
    void cleanup();
    void bothPicturesShowAtStartWithPlainInFront();
    void bareWindowShowsPlainPicture();
    void enteringThePicturesLightsThem();
    void movingWithinThePicturesAlternates();
    void leavingOntoBareWindowAlwaysEndsOnPlain();
    void captionsAreNotBareWindow();
    void leftStripOfPlainPictureCountsAsBareWhilePlainHidden();
    void eachHandlerTakesItsTwoStepsInOrder();
};

void HoverSwapTest::init() {
    window = qobject_cast<frm*>(windows().frm.get());
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    bare = std::make_unique<QSignalSpy>(window->client(), &ClientArea::bareMouseMove);
    overPlain = std::make_unique<QSignalSpy>(window->Image1, &Picture::mouseMoved);
    overLit = std::make_unique<QSignalSpy>(window->Image2, &Picture::mouseMoved);
}

void HoverSwapTest::cleanup() {
    // Qt drops a motion to the place it last saw the pointer; leave it somewhere no test starts from.
    pointTo({2, 2});
    bare.reset();
    overPlain.reset();
    overLit.reset();
    window->close(); // the close box: the slot empties, the next test builds a fresh window
    QTRY_VERIFY(!windows().frm.isLoaded());
}

void HoverSwapTest::bothPicturesShowAtStartWithPlainInFront() {
    QVERIFY(plainShown());
    QVERIFY(litShown());
    QCOMPARE(window->client()->childAt(pictureMiddle), window->Image1);
}

void HoverSwapTest::bareWindowShowsPlainPicture() {
    pointTo(bareWindow);
    QCOMPARE(bare->count(), 1);
    QVERIFY(plainShown());
    QVERIFY(!litShown());
    pointTo(bareWindow + QPoint(5, 5));
    QVERIFY(plainShown());
    QVERIFY(!litShown());
}

void HoverSwapTest::enteringThePicturesLightsThem() {
    pointTo(bareWindow);
    pointTo(pictureMiddle);
    QCOMPARE(overPlain->count(), 1);
    QVERIFY(!plainShown());
    QVERIFY(litShown());
}

void HoverSwapTest::movingWithinThePicturesAlternates() {
    pointTo(pictureMiddle);
    QVERIFY(litShown() && !plainShown());
    pointTo(pictureMiddle + QPoint(3, 0)); // reaches the lit picture, which brings the plain one back
    QCOMPARE(overLit->count(), 1);
    QVERIFY(plainShown() && !litShown());
    pointTo(pictureMiddle + QPoint(6, 0));
    QVERIFY(litShown() && !plainShown());
    pointTo(pictureMiddle + QPoint(9, 0));
    QVERIFY(plainShown() && !litShown());
    // The pointer stops: the last event's picture stays.
    QTest::qWait(200);
    QVERIFY(plainShown() && !litShown());
}

void HoverSwapTest::leavingOntoBareWindowAlwaysEndsOnPlain() {
    for (int steps : {1, 2}) {
        pointTo(bareWindow + QPoint(0, steps));
        for (int i = 0; i < steps; ++i)
            pointTo(pictureMiddle + QPoint(i * 4, 0));
        pointTo(bareWindow + QPoint(steps, 0));
        QVERIFY(plainShown());
        QVERIFY(!litShown());
    }
}

void HoverSwapTest::captionsAreNotBareWindow() {
    pointTo(pictureMiddle); // lit picture showing
    QVERIFY(litShown());
    const int bareBefore = int(bare->count());
    QSignalSpy overCaption(window->Label4, &Label::mouseMoved);
    real_pointer::moveTo(window->Label4->mapToGlobal(QPoint(10, 5)));
    QTRY_COMPARE(overCaption.count(), 1);
    QCOMPARE(bare->count(), bareBefore);
    QVERIFY(litShown()); // jumping onto another control leaves the last picture in place
}

void HoverSwapTest::leftStripOfPlainPictureCountsAsBareWhilePlainHidden() {
    pointTo(pictureMiddle);
    QVERIFY(!plainShown());
    // x 298 is inside the plain picture only; the lit one starts one pixel further right.
    const QPoint strip(window->Image1->x(), 120);
    QCOMPARE(window->Image2->x(), window->Image1->x() + 1);
    pointTo(strip);
    QCOMPARE(bare->count(), 1);
    QVERIFY(plainShown());
    QVERIFY(!litShown());
}

// Both pictures visible for a moment would repaint the overlap twice: the steps come in the handler's order.
void HoverSwapTest::eachHandlerTakesItsTwoStepsInOrder() {
    const struct {
        void (frm::*handler)(PointerArgs);
        bool litBefore; // so that both steps change something
        QStringList steps;
    } cases[] = {
        {&frm::Form_MouseMove, true, {"Image2 hidden", "Image1 shown"}},
        {&frm::Image1_MouseMove, false, {"Image1 hidden", "Image2 shown"}},
        {&frm::Image2_MouseMove, true, {"Image1 shown", "Image2 hidden"}},
    };
    pointTo(bareWindow); // away from where cleanup puts the pointer, so that its move is seen
    VisibilityLog log;
    log.watch(window->Image1);
    log.watch(window->Image2);
    for (const auto& [handler, litBefore, steps] : cases) {
        window->Image1->setVisible(!litBefore);
        window->Image2->setVisible(litBefore);
        log.events.clear();
        (window->*handler)({});
        QCOMPARE(log.events, steps);
    }
}

TOLVANE_TEST_MAIN(HoverSwapTest)
#include "test_hover_swap.moc"
