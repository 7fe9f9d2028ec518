// The window slots: single instances built on first reference, hide that builds without showing, the close
// box that empties a slot, and the program's end when the last visible window closes. Also the work that
// start-up leaves until the player window is on screen.
#include "app/once_on_screen.h"
#include "app/window_registry.h"
#include "player/player_window.h"
#include "support/test_main.h"
#include "toolkit/picture.h"
#include <QtTest>

class WindowRegistryTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(true); }
    void aReferenceBuildsOnceAndKeepsTheInstance();
    void hideBuildsAnEmptySlotWithoutShowingIt();
    void showActivatesAndKeepsTheCallerGoing();
    void closeBoxEmptiesTheSlotAndTheNextReferenceStartsAfresh();
    void workLeftForLaterRunsOnceTheWindowHasDrawnItself();
    void closingTheLastVisibleWindowEndsEvenWithHiddenOnesLoaded();
};

void WindowRegistryTest::aReferenceBuildsOnceAndKeepsTheInstance() {
    QVERIFY(!windows().Form1.isLoaded());
    QWidget* first = windows().Form1.get();
    QVERIFY(windows().Form1.isLoaded());
    QCOMPARE(windows().Form1.get(), first);
    QVERIFY(!first->isVisible());
    showWindow(windows().Form1);
    showWindow(windows().Form1);
    QCOMPARE(windows().Form1.get(), first);
    QCOMPARE(QApplication::topLevelWidgets().count(first), 1);
    delete first;
    QVERIFY(!windows().Form1.isLoaded());
}

void WindowRegistryTest::hideBuildsAnEmptySlotWithoutShowingIt() {
    QVERIFY(!windows().Form2.isLoaded());
    hideWindow(windows().Form2);
    QVERIFY(windows().Form2.isLoaded());
    QVERIFY(!windows().Form2.get()->isVisible());
    showWindow(windows().Form2);
    QVERIFY(windows().Form2.get()->isVisible());
    hideWindow(windows().Form2);
    QVERIFY(windows().Form2.isLoaded()); // hiding keeps the instance
    delete windows().Form2.get();
}

void WindowRegistryTest::showActivatesAndKeepsTheCallerGoing() {
    showWindow(windows().frm);
    QWidget* player = windows().frm.get();
    QVERIFY(QTest::qWaitForWindowActive(player));
    showWindow(windows().Form1);
    QVERIFY(QTest::qWaitForWindowActive(windows().Form1.get()));
    QVERIFY(!windows().Form1.get()->isModal());
    QVERIFY(player->isVisible());
    QVERIFY(player->isEnabled()); // modeless: the player stays usable
    showWindow(windows().frm);
    QVERIFY(QTest::qWaitForWindowActive(player));
    delete windows().Form1.get();
    delete player;
}

void WindowRegistryTest::closeBoxEmptiesTheSlotAndTheNextReferenceStartsAfresh() {
    auto* player = qobject_cast<frm*>(windows().frm.get());
    showWindow(windows().frm);
    QVERIFY(QTest::qWaitForWindowExposed(player));
    player->Image2->setVisible(false); // some state the next instance must not inherit
    QPointer<QWidget> old = player;
    QVERIFY(player->close());
    QTRY_VERIFY(old.isNull());
    QVERIFY(!windows().frm.isLoaded());
    auto* fresh = qobject_cast<frm*>(windows().frm.get());
    QVERIFY(fresh != old.data());
    QVERIFY(fresh->Image2->isVisibleTo(fresh));
    showWindow(windows().frm);
    QVERIFY(QTest::qWaitForWindowExposed(fresh));
    QCOMPARE(fresh->client()->size(), QSize(592, 504));
    delete fresh;
}

namespace {
struct PaintCounter : QWidget {
    int paints = 0;
    void paintEvent(QPaintEvent*) override { ++paints; }
};
} // namespace

void WindowRegistryTest::workLeftForLaterRunsOnceTheWindowHasDrawnItself() {
    PaintCounter window;
    window.resize(200, 100);
    window.show();
    QList<int> runs; // the window's paint count at each run
    onceOnScreen(&window, [&] { runs.append(window.paints); });
    QVERIFY(runs.isEmpty()); // never at once
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_COMPARE(runs.size(), 1);
    QVERIFY(runs.first() > 0);
    window.hide();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(50);
    QCOMPARE(runs.size(), 1); // once only

    // A window that goes before it is on screen takes the work with it.
    auto* gone = new QWidget;
    gone->show();
    bool ran = false;
    onceOnScreen(gone, [&] { ran = true; });
    delete gone;
    QTest::qWait(100);
    QVERIFY(!ran);
}

void WindowRegistryTest::closingTheLastVisibleWindowEndsEvenWithHiddenOnesLoaded() {
    hideWindow(windows().Form1);
    hideWindow(windows().Form2);
    showWindow(windows().frm);
    QVERIFY(QTest::qWaitForWindowExposed(windows().frm.get()));
    // The application's own event loop must end by itself once the player closes; the guard only stops a
    // hang.
    QTimer::singleShot(0, windows().frm.get(), &QWidget::close);
    bool hung = false;
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, [&] {
        hung = true;
        QApplication::exit(1);
    });
    guard.start(5000);
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!hung);
    QVERIFY(windows().Form1.isLoaded());
    delete windows().Form1.get();
    delete windows().Form2.get();
}

TOLVANE_TEST_MAIN(WindowRegistryTest)
#include "test_window_registry.moc"
