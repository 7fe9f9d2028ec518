// The player window against its layout table, at 96 DPI (15 twips a pixel).
#include "toolkit/drive_list.h"
#include "toolkit/file_list.h"
#include "toolkit/folder_list.h"
#include "toolkit/label.h"
#include "toolkit/picture.h"
#include "app/window_registry.h"
#include "media/media_player.h"
#include "player/player_window.h"
#include "support/test_main.h"
#include <QMenuBar>
#include <QtTest>

class PlayerLayoutTest : public QObject {
    Q_OBJECT
    frm* window = nullptr;

  private slots:
    void initTestCase();
    void clientAreaSizeAndPlace();
    void controlsStandWhereTheTableSays();
    void captionsColoursAndFonts();
    void picturesOverlapWithImage1InFront();
    void menusHoldOneItemEach();
    void tabOrderSkipsLabelsAndPictures();
    void resizingMovesNothing();
    void cleanupTestCase() { delete window; }
};

void PlayerLayoutTest::initTestCase() {
    QCOMPARE(QGuiApplication::primaryScreen()->logicalDotsPerInchX(), 96.0);
    window = qobject_cast<frm*>(windows().frm.get());
    QVERIFY(window);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
}

void PlayerLayoutTest::clientAreaSizeAndPlace() {
    QCOMPARE(window->client()->size(), QSize(592, 504));
    // 1608 x 984 twips from the screen's corner, below the menu bar.
    QCOMPARE(window->client()->mapToGlobal(QPoint(0, 0)), QPoint(107, 66));
    QCOMPARE(window->windowTitle(), QStringLiteral("Tolvane URL Media Player"));
    QVERIFY(!window->windowIcon().isNull());
    QCOMPARE(window->client()->palette().color(QPalette::Window), QColor(64, 64, 64));
    QCOMPARE(window->windowType(), Qt::Window); // a taskbar button, unlike a tool window
}

void PlayerLayoutTest::controlsStandWhereTheTableSays() {
    QCOMPARE(window->Drive1->geometry(), QRect(160, 12, 353, 26));
    QCOMPARE(window->Dir1->geometry(), QRect(123, 80, 145, 110));
    QCOMPARE(window->File1->geometry(), QRect(419, 75, 137, 120));
    QCOMPARE(window->WindowsMediaPlayer1->geometry(), QRect(24, 208, 553, 289));
    QCOMPARE(window->Label3->pos(), QPoint(32, 14));
    QCOMPARE(window->Label4->pos(), QPoint(66, 48));
    QCOMPARE(window->Label5->pos(), QPoint(338, 48));
    // Label1 lies below the bottom edge of the client area.
    QCOMPARE(window->Label1->geometry(), QRect(184, 776, 209, 25));
    QVERIFY(window->Label1->y() > window->client()->height());
}

void PlayerLayoutTest::captionsColoursAndFonts() {
    const QColor skyBlue(129, 175, 233);
    for (Label* label : {window->Label3, window->Label4, window->Label5}) {
        QCOMPARE(label->palette().color(QPalette::WindowText), skyBlue);
        QVERIFY(!label->autoFillBackground()); // transparent: the window's grey shows through
        QCOMPARE(label->font().pointSizeF(), 13.8);
        QVERIFY(!label->font().bold());
        // Sized to its caption, on one line.
        QCOMPARE(label->width(), label->fontMetrics().horizontalAdvance(label->text()));
        QCOMPARE(label->height(), label->fontMetrics().height());
    }
    QCOMPARE(window->Label3->text(), QStringLiteral("Look in :"));
    QCOMPARE(window->Label4->text(), QStringLiteral("Select the Folder"));
    QCOMPARE(window->Label5->text(), QStringLiteral("Select the Media File"));
    QCOMPARE(window->Label1->text(), QString());
    QVERIFY(window->Label1->autoFillBackground());
    QCOMPARE(window->Label1->palette().color(QPalette::Window),
             QApplication::palette().color(QPalette::Button));

    QCOMPARE(window->Drive1->palette().color(QPalette::Text), QColor(128, 128, 255));
    QCOMPARE(window->Drive1->palette().color(QPalette::Base), QColor(64, 64, 64));
    QCOMPARE(window->Drive1->font().pointSizeF(), 12.0);
    QVERIFY(window->Drive1->font().bold());
    QCOMPARE(window->Dir1->font().pointSizeF(), 9.6);
    QVERIFY(window->Dir1->font().bold());
    QCOMPARE(window->File1->palette().color(QPalette::Base), QApplication::palette().color(QPalette::Base));
}

void PlayerLayoutTest::picturesOverlapWithImage1InFront() {
    QCOMPARE(window->Image1->geometry(), QRect(298, 96, 81, 73));
    QCOMPARE(window->Image2->geometry(), QRect(299, 96, 81, 73));
    QVERIFY(window->Image1->isVisible() && window->Image2->isVisible());
    QCOMPARE(window->client()->childAt(QPoint(320, 120)), window->Image1);
    QCOMPARE(window->client()->childAt(QPoint(379, 120)), window->Image2); // the lit picture's strip
    QVERIFY(window->Image1->stretch() && window->Image2->stretch());
    QCOMPARE(window->Image1->cursor().shape(), Qt::BitmapCursor);
    QCOMPARE(window->Image1->cursor().hotSpot(), QPoint(12, 1));
    QCOMPARE(window->Image1->accessibleName(), QStringLiteral("Pause"));
}

void PlayerLayoutTest::menusHoldOneItemEach() {
    const auto menus = window->menuBar()->actions();
    QCOMPARE(menus.size(), 2);
    QCOMPARE(menus[0]->text(), QStringLiteral("File"));
    QCOMPARE(menus[1]->text(), QStringLiteral("About"));
    QCOMPARE(window->mnfile->actions().size(), 1);
    QCOMPARE(window->mnexit->text(), QStringLiteral("Exit"));
    QCOMPARE(window->mna->actions().size(), 1);
    QCOMPARE(window->mnabout->text(), QStringLiteral("About Me"));
    QVERIFY(window->mnexit->shortcut().isEmpty());
}

void PlayerLayoutTest::tabOrderSkipsLabelsAndPictures() {
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    window->Drive1->setFocus();
    const auto owner = [](QWidget* w) {
        while (w && w->objectName().isEmpty())
            w = w->parentWidget();
        return w ? w->objectName() : QString();
    };
    QStringList names{owner(QApplication::focusWidget())};
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        names << owner(QApplication::focusWidget());
    }
    QCOMPARE(names, (QStringList{"Drive1", "Dir1", "File1", "WindowsMediaPlayer1"}));
    // The player's own controls follow; then the focus comes round to the drive list, never to a label.
    QString next;
    for (int i = 0; i < 30 && next != QLatin1String("Drive1"); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        next = owner(QApplication::focusWidget());
        QVERIFY2(next == QLatin1String("WindowsMediaPlayer1") || next == QLatin1String("Drive1"),
                 qPrintable(next));
    }
    QCOMPARE(next, QStringLiteral("Drive1"));
}

void PlayerLayoutTest::resizingMovesNothing() {
    const QRect before = window->File1->geometry();
    window->resize(1000, 900);
    QTRY_COMPARE(window->client()->height() > 776 + 25, true);
    QCOMPARE(window->File1->geometry(), before);
    // Now tall enough to show Label1 as an empty button-face box.
    QVERIFY(window->Label1->isVisible());
    QVERIFY(!window->Label1->visibleRegion().isEmpty());
}

TOLVANE_TEST_MAIN(PlayerLayoutTest)
#include "test_player_layout.moc"
