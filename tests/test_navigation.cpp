// Moving between the player, About and farewell windows through the real menus and buttons, with the one
// window registry the program uses; and with Previous and Next, between the files of the player's folder.
#include "app/application.h"
#include "app/window_registry.h"
#include "engine/media_engine.h"
#include "info/about_window.h"
#include "info/farewell_window.h"
#include "media/media_actions.h"
#include "media/media_player.h"
#include "media/transport_bar.h"
#include "media/video_view.h"
#include "player/player_window.h"
#include "support/real_pointer.h"
#include "support/session.h"
#include "support/test_main.h"
#include "support/test_media.h"
#include "support/x11_properties.h"
#include "toolkit/form.h"
#include "toolkit/label.h"
#include <QAction>
#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {
frm* player() {
    return qobject_cast<frm*>(windows().frm.get());
}
Form1* about() {
    return qobject_cast<Form1*>(windows().Form1.get());
}
Form2* farewell() {
    return qobject_cast<Form2*>(windows().Form2.get());
}

int loadedCount(const char* className) {
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        count += widget->inherits(className) ? 1 : 0;
    return count;
}

// The user's close box: a close event, after which the window unloads.
void closeBox(QWidget* window) {
    QPointer<QWidget> guard(window);
    window->close();
    QTRY_VERIFY(guard.isNull());
}

// Runs the event loop for a while after `act`; true if the program meant to quit on its own meanwhile.
bool quitsAfter(const std::function<void()>& act) {
    bool quit = false;
    const auto connection =
        QObject::connect(qApp, &QGuiApplication::lastWindowClosed, qApp, [&] { quit = true; });
    QTimer::singleShot(0, qApp, act);
    QTimer::singleShot(500, qApp, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    QObject::disconnect(connection);
    return quit;
}

void click(QPushButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
}
} // namespace

class NavigationTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void init();
    void cleanup();

    void aboutMeTwiceKeepsOneInstance();
    void clickedPlayerComesInFrontOfAbout();
    void moreDetailsActivatesTheVisiblePlayer();
    void moreDetailsRebuildsAClosedPlayer();
    void exitOnAboutBuildsTheFarewellWindowHidden();
    void exitOnAboutHidesAnOpenFarewellWindow();
    void aboutClosedByItsCloseBoxComesBackTheSame();
    void programEndsWithTheLastVisibleWindow();
    void aboutOutlivesThePlayerUntilItIsClosed();
    void nextAndPreviousReachTheFolder();

  private:
    TestMedia media_;
};

void NavigationTest::initTestCase() {
    setUpApplication();
}

// Every case starts as the program does: the player window shown, nothing else loaded.
void NavigationTest::init() {
    showWindow(windows().frm);
    QVERIFY(QTest::qWaitForWindowExposed(player()));
    QVERIFY(!windows().Form1.isLoaded());
    QVERIFY(!windows().Form2.isLoaded());
}

void NavigationTest::cleanup() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (qobject_cast<Form*>(widget))
            widget->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QTRY_COMPARE(loadedCount("Form"), 0);
}

void NavigationTest::aboutMeTwiceKeepsOneInstance() {
    player()->mnabout->trigger();
    QPointer<Form1> first = about();
    QVERIFY(QTest::qWaitForWindowExposed(first));
    player()->mnabout->trigger();
    QCOMPARE(about(), first.data());
    QVERIFY(first->isVisible());
    QCOMPARE(loadedCount("Form1"), 1);
    // Modeless: the player stays shown and usable behind it.
    QVERIFY(player()->isVisible());
    QVERIFY(!first->isModal());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

// The About window has no owner: a click on the player brings the player in front of it, as with any other
// pair of windows. Only a window manager stacks windows that way.
void NavigationTest::clickedPlayerComesInFrontOfAbout() {
    if (!x11::windowManagerRunning())
        QSKIP("the window manager stacks the windows: runs under TEST_WM=metacity");
    player()->mnabout->trigger();
    QPointer<Form1> window = about();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QTRY_VERIFY(x11::above(window->winId(), player()->winId()));
    real_pointer::moveTo(player()->client()->mapToGlobal(QPoint(20, 150))); // bare window, left of About
    real_pointer::click();
    QTRY_COMPARE(QApplication::activeWindow(), player());
    QTRY_VERIFY(x11::above(player()->winId(), window->winId()));
    QVERIFY(window->isVisible());
}

void NavigationTest::moreDetailsActivatesTheVisiblePlayer() {
    QPointer<frm> before = player();
    // The farewell window overlaps the player; the player must end up in front of it.
    player()->mnexit->trigger();
    QVERIFY(QTest::qWaitForWindowExposed(farewell()));
    player()->mnabout->trigger();
    QPointer<Form1> window = about();
    QVERIFY(QTest::qWaitForWindowActive(window));
    const QPoint overlap(400, 300); // on the screen, inside all three windows
    QTRY_COMPARE(QApplication::topLevelAt(overlap), window.data());

    click(window->Command1);
    QTRY_COMPARE(QApplication::activeWindow(), before.data());
    QTRY_COMPARE(QApplication::topLevelAt(overlap), before.data());
    if (x11::windowManagerRunning()) // and so the window manager has them too
        QTRY_VERIFY(x11::above(before->winId(), farewell()->winId()));
    QVERIFY(farewell()->isVisible());
    QCOMPARE(player(), before.data());
    QVERIFY(before->isVisible());
    // Hidden, not unloaded: the slot still holds the instance whose button was clicked.
    QVERIFY(!window.isNull());
    QVERIFY(!window->isVisible());
    QCOMPARE(about(), window.data());
}

void NavigationTest::moreDetailsRebuildsAClosedPlayer() {
    player()->mnabout->trigger();
    QPointer<Form1> window = about();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QPointer<frm> old = player();
    // The About window is still showing, so closing the player does not end the program.
    QVERIFY(!quitsAfter([&] { old->close(); }));
    QTRY_VERIFY(old.isNull());
    QVERIFY(!windows().frm.isLoaded());
    QVERIFY(window->isVisible());

    click(window->Command1);
    QVERIFY(windows().frm.isLoaded());
    frm* fresh = player();
    QVERIFY(QTest::qWaitForWindowActive(fresh));
    QVERIFY(!window->isVisible());
    // Built afresh from its layout, in its place on the screen.
    QCOMPARE(fresh->client()->mapToGlobal(QPoint(0, 0)), QPoint(107, 66));
    QCOMPARE(loadedCount("frm"), 1);
}

void NavigationTest::exitOnAboutBuildsTheFarewellWindowHidden() {
    player()->mnabout->trigger();
    QVERIFY(QTest::qWaitForWindowExposed(about()));
    const QRect playerPlace = player()->geometry();

    click(about()->Command2);
    QVERIFY(!about()->isVisible());
    QVERIFY(windows().Form2.isLoaded());
    QPointer<Form2> hidden = farewell();
    QVERIFY(!hidden->isVisible());
    QVERIFY(player()->isVisible());
    QCOMPARE(player()->geometry(), playerPlace);

    player()->mnexit->trigger();
    QCOMPARE(farewell(), hidden.data());
    QVERIFY(QTest::qWaitForWindowExposed(hidden));
    QCOMPARE(loadedCount("Form2"), 1);
}

void NavigationTest::exitOnAboutHidesAnOpenFarewellWindow() {
    player()->mnexit->trigger();
    QPointer<Form2> shown = farewell();
    QVERIFY(QTest::qWaitForWindowExposed(shown));
    player()->mnabout->trigger();
    QVERIFY(QTest::qWaitForWindowExposed(about()));

    click(about()->Command2);
    QVERIFY(!about()->isVisible());
    QVERIFY(!shown->isVisible());
    QCOMPARE(farewell(), shown.data());
    QVERIFY(player()->isVisible());
}

void NavigationTest::aboutClosedByItsCloseBoxComesBackTheSame() {
    player()->mnabout->trigger();
    QPointer<Form1> first = about();
    QVERIFY(QTest::qWaitForWindowExposed(first));
    QHash<QString, QPair<QString, QRect>> content;
    for (Label* label : first->findChildren<Label*>())
        content.insert(label->objectName(), {label->text(), label->geometry()});
    const QRect place = first->geometry();

    closeBox(first);
    QVERIFY(!windows().Form1.isLoaded());
    QVERIFY(player()->isVisible());

    player()->mnabout->trigger();
    Form1* second = about();
    QVERIFY(QTest::qWaitForWindowExposed(second));
    QCOMPARE(loadedCount("Form1"), 1);
    QCOMPARE(second->geometry(), place);
    QCOMPARE(second->findChildren<Label*>().size(), 8);
    for (Label* label : second->findChildren<Label*>())
        QCOMPARE(qMakePair(label->text(), label->geometry()), content.value(label->objectName()));
    QCOMPARE(second->focusWidget(), second->Command1);
}

// A hidden About or farewell window does not keep a process with no visible window alive.
void NavigationTest::programEndsWithTheLastVisibleWindow() {
    player()->mnabout->trigger();
    QVERIFY(QTest::qWaitForWindowExposed(about()));
    click(about()->Command2); // About and farewell both loaded and hidden
    QVERIFY(windows().Form2.isLoaded());
    QPointer<frm> last = player();
    QVERIFY(quitsAfter([&] { last->close(); }));
}

// A visible About window outlives the player; closing it afterwards ends the program.
void NavigationTest::aboutOutlivesThePlayerUntilItIsClosed() {
    player()->mnabout->trigger();
    QPointer<Form1> window = about();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QPointer<frm> first = player();
    QVERIFY(!quitsAfter([&] { first->close(); }));
    QTRY_VERIFY(first.isNull());
    QVERIFY(quitsAfter([&] { window->close(); }));
}

TOLVANE_TEST_MAIN(NavigationTest)
#include "test_navigation.moc"

// Past the last chapter Next plays the folder's next file as the Down arrow in the file list does, with the
// list's own click; Previous before the first likewise; both are off only at the ends of the list. Steps are
// the keys (PageDown, PageUp) and the bar's buttons (next, previous); each expectation is the file chosen,
// its chapter, the list's clicks so far and which of Previous and Next are on.
void NavigationTest::nextAndPreviousReachTheFolder() {
    QTemporaryDir folder;
    const std::pair<QString, QString> files[] = {{"1 chapters.mkv", media_.chapters()},
                                                 {"2 clip.mp4", media_.video(8)},
                                                 {"3 song.mp3", media_.mp3(8)}};
    for (const auto& [name, source] : files)
        QVERIFY(QFile::copy(source, folder.filePath(name)));
    frm* window = player();
    window->Dir1->setPath(folder.path());
    QTRY_VERIFY(session::rowOf(window->File1, "3 song.mp3") == 2);
    QSignalSpy clicks(window->File1, &FileList::Click);
    MediaPlayer* media = window->WindowsMediaPlayer1;
    QVERIFY(session::clickFile(window->File1, "1 chapters.mkv"));
    QTRY_COMPARE_WITH_TIMEOUT(media->playState(), 3, 10000);
    media->videoView()->setFocus();
    const QStringList steps{"", "PageDown", "next", "PageDown", "next", "previous", "PageUp", "next"};
    const QStringList expected{"1 chapters.mkv:0 1 next",          "1 chapters.mkv:1 1 previous next",
                               "1 chapters.mkv:2 1 previous next", "2 clip.mp4: 2 previous next",
                               "3 song.mp3: 3 previous",           "2 clip.mp4: 4 previous next",
                               "1 chapters.mkv:0 5 next",          "1 chapters.mkv:1 5 previous next"};
    const auto now = [&] {
        QStringList parts{window->File1->FileName() + ':' + media->engine()->coreProperty("chapter"),
                          QString::number(clicks.size())};
        if (media->actions()->previous->isEnabled())
            parts << "previous";
        if (media->actions()->next->isEnabled())
            parts << "next";
        return parts.join(' ');
    };
    TransportBar* bar = media->transportBar();
    for (qsizetype i = 0; i < steps.size(); ++i) {
        if (steps[i].startsWith("Page"))
            QTest::keyClick(media->videoView(), steps[i] == "PageDown" ? Qt::Key_PageDown : Qt::Key_PageUp);
        else if (!steps[i].isEmpty())
            QTest::mouseClick(steps[i] == "next" ? bar->nextButton() : bar->previousButton(), Qt::LeftButton);
        QTRY_VERIFY2_WITH_TIMEOUT(now() == expected[i],
                                  qPrintable(QStringLiteral("after %1: %2, not %3 (%4)")
                                                 .arg(steps[i], now(), expected[i], media->statusText())),
                                  10000);
        QTRY_COMPARE_WITH_TIMEOUT(media->playState(), 3, 10000);
    }
}
