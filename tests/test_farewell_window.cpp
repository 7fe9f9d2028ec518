// The farewell window: borderless, fixed, focus-less, and covered edge to edge by controls that each end the
// program. The ending itself is watched on the real program in a child process.
#include "app/application.h"
#include "toolkit/label.h"
#include "toolkit/picture.h"
#include "app/window_registry.h"
#include "info/farewell_window.h"
#include "player/player_window.h"
#include "support/child_process.h"
#include "support/test_main.h"
#include "support/x11_properties.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QMenuBar>
#include <QPointer>
#include <QtTest>

namespace {
QList<Label*> labelsOf(Form2* window) {
    return {window->Label1, window->Label2, window->Label3, window->Label4, window->Label5};
}
} // namespace

class FarewellWindowTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void cleanup();

    void hasNoFrameAndCannotBeMovedOrResized();
    void takesNoFocusAndNoKeys();
    void everyPointBelongsToThePictureOrALabel();
    void labelsStandInTheirColumn();
    void clickAnywhereEndsTheProgram_data();
    void clickAnywhereEndsTheProgram();

  private:
    QPoint fileMenuOffset_; // "File" on the player's menu bar, from the player window's top-left corner
};

void FarewellWindowTest::initTestCase() {
    setUpApplication();
    // Same layout, fonts and display as the child program, so its menu bar lies where ours does.
    QPointer<frm> player = new frm;
    player->show();
    QVERIFY(QTest::qWaitForWindowExposed(player));
    const QRect file = player->menuBar()->actionGeometry(player->mnfile->menuAction());
    fileMenuOffset_ = player->menuBar()->mapTo(player, file.center());
    player->close();
    QTRY_VERIFY(player.isNull());
}

void FarewellWindowTest::cleanup() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (qobject_cast<Form*>(widget))
            widget->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void FarewellWindowTest::hasNoFrameAndCannotBeMovedOrResized() {
    auto* window = new Form2;
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    const Qt::WindowFlags flags = window->windowFlags();
    QVERIFY(flags & Qt::FramelessWindowHint);
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Window); // no owner, unlike a tool window
    QCOMPARE(x11::property(window->winId(), "WM_TRANSIENT_FOR"), QStringList());
    QVERIFY(x11::property(window->winId(), "_NET_WM_STATE").contains("_NET_WM_STATE_SKIP_TASKBAR"));
    QVERIFY(!(flags & (Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                       Qt::WindowMinMaxButtonsHint)));
    // 4572, 2232 twips and 6108 x 4620 twips at 15 twips a pixel; the client area is the whole window.
    QCOMPARE(window->frameGeometry(), QRect(305, 149, 407, 308));
    QCOMPARE(window->client()->mapToGlobal(QPoint(0, 0)), QPoint(305, 149));
    QCOMPARE(window->client()->size(), QSize(407, 308));
    QCOMPARE(window->minimumSize(), QSize(407, 308));
    QCOMPARE(window->maximumSize(), QSize(407, 308));
    QCOMPARE(window->windowTitle(), QStringLiteral("Arvid"));
}

void FarewellWindowTest::takesNoFocusAndNoKeys() {
    showWindow(windows().Form2);
    auto* window = qobject_cast<Form2*>(windows().Form2.get());
    QVERIFY(QTest::qWaitForWindowActive(window));
    QCOMPARE(window->focusPolicy(), Qt::NoFocus);
    for (QWidget* widget : window->findChildren<QWidget*>())
        QVERIFY2(widget->focusPolicy() == Qt::NoFocus, qPrintable(widget->objectName()));
    QCOMPARE(window->focusWidget(), nullptr);
    // None of these may end the program (it would end this test with it) or touch the window.
    for (int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space, Qt::Key_Escape, Qt::Key_Tab, Qt::Key_X})
        QTest::keyClick(window->windowHandle(), Qt::Key(key));
    QTest::keyClick(window->windowHandle(), Qt::Key_F4, Qt::AltModifier);
    QVERIFY(window->isVisible());
    QCOMPARE(window->frameGeometry(), QRect(305, 149, 407, 308));
    QCOMPARE(window->focusWidget(), nullptr);
}

void FarewellWindowTest::everyPointBelongsToThePictureOrALabel() {
    auto* window = new Form2;
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QCOMPARE(window->client()->size(), QSize(407, 308));
    // 6120 x 4680 twips: larger than the window, which cuts it off at the right and the bottom.
    QCOMPARE(window->Image1->geometry(), QRect(0, 0, 408, 312));
    const QList<Label*> labels = labelsOf(window);
    QWidget* client = window->client();
    int onLabels = 0;
    for (int y = 0; y < client->height(); ++y)
        for (int x = 0; x < client->width(); ++x) {
            QWidget* hit = client->childAt(x, y);
            if (hit != window->Image1) {
                QVERIFY2(labels.contains(qobject_cast<Label*>(hit)),
                         qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
                ++onLabels;
            }
        }
    QVERIFY(onLabels > 0);
    // Labels lie in front of the picture.
    for (Label* label : labels)
        QCOMPARE(client->childAt(label->geometry().center()), label);
    delete window;
}

void FarewellWindowTest::labelsStandInTheirColumn() {
    auto* window = new Form2;
    // Auto-size boxes are the text's extent, from the table's top-left corner; Label1 keeps its own box.
    const struct {
        Label* label;
        QPoint topLeft;
    } autoSized[] = {{window->Label5, {8, 208}},
                     {window->Label3, {8, 288}},
                     {window->Label2, {8, 240}},
                     {window->Label4, {8, 272}}};
    for (const auto& [label, topLeft] : autoSized) {
        const QFontMetrics metrics(label->font());
        QCOMPARE(label->geometry(),
                 QRect(topLeft, QSize(metrics.horizontalAdvance(label->text()), metrics.height())));
    }
    QVERIFY(!window->Label1->autoSize());
    QCOMPARE(window->Label1->geometry(), QRect(8, 256, 57, 17));
    // Top to bottom: group name, class, year, school, telephone.
    QVERIFY(window->Label5->y() < window->Label2->y());
    QVERIFY(window->Label2->y() < window->Label1->y());
    QVERIFY(window->Label1->y() < window->Label4->y());
    QVERIFY(window->Label4->y() < window->Label3->y());
    // The telephone number follows the system's tooltip text colour; the others use the default font.
    QCOMPARE(window->Label3->palette().color(QPalette::WindowText),
             QApplication::palette().color(QPalette::ToolTipText));
    for (Label* label : {window->Label1, window->Label2, window->Label4}) {
        QCOMPARE(label->font().family(), QApplication::font().family());
        QCOMPARE(label->font().pointSizeF(), QApplication::font().pointSizeF());
        QCOMPARE(label->font().weight(), QFont::Normal);
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(203, 235, 237));
    }
    delete window;
}

void FarewellWindowTest::clickAnywhereEndsTheProgram_data() {
    QTest::addColumn<QPoint>("point"); // in the farewell window
    QTest::addColumn<int>("clicks");
    auto* window = new Form2;
    for (Label* label : labelsOf(window))
        QTest::newRow(qPrintable(label->objectName())) << label->geometry().center() << 1;
    const QRect year = window->Label1->geometry();
    const QPoint emptyPart(year.right() - 1, year.center().y());
    QVERIFY(QFontMetrics(window->Label1->font()).horizontalAdvance(window->Label1->text()) <
            emptyPart.x() - year.x());
    QTest::newRow("empty part of Label1's box") << emptyPart << 1;
    QTest::newRow("picture") << QPoint(200, 100) << 1;
    QTest::newRow("bottom-right corner") << QPoint(406, 307) << 1;
    QTest::newRow("double-click") << QPoint(300, 250) << 2;
    delete window;
}

void FarewellWindowTest::clickAnywhereEndsTheProgram() {
    QFETCH(QPoint, point);
    QFETCH(int, clicks);
    PlayerProcess program;
    // Toolkit options change nothing: mirrored by "-reverse", the menu bar would put "About" where "File" is.
    QVERIFY2(program.start({QStringLiteral("-reverse")}), qPrintable(program.errorOutput()));
    const QRect player = program.geometry(program.waitForWindow(QStringLiteral("Tolvane URL Media Player")));
    program.click(player.topLeft() + fileMenuOffset_);
    QTest::qWait(300);
    xdotool({QStringLiteral("key"), QStringLiteral("Down"), QStringLiteral("Return")});

    const quint64 farewell = program.waitForWindow(QStringLiteral("Arvid"));
    QVERIFY2(farewell != 0, "File > Exit did not show the farewell window");
    const QRect place = program.geometry(farewell);
    QCOMPARE(place, QRect(305, 149, 407, 308));
    // The menu item only shows the window; the program keeps running until the click.
    QTest::qWait(300);
    QVERIFY(program.isRunning());

    QElapsedTimer clock;
    clock.start();
    program.click(place.topLeft() + point, clicks);
    QVERIFY2(program.waitForExit(3000), "the program still runs after the click");
    QVERIFY(clock.elapsed() < 2000);
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
}

TOLVANE_TEST_MAIN(FarewellWindowTest)
#include "test_farewell_window.moc"
