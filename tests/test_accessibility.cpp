// What assistive technology sees: every control of every window has a name and a role through
// QAccessible, the pictures act as buttons, and the whole path from a drive to the farewell window works
// with the real keyboard alone (key events through the X server's XTEST extension).
#include "app/application.h"
#include "toolkit/drive_list.h"
#include "toolkit/file_list.h"
#include "toolkit/folder_list.h"
#include "toolkit/label.h"
#include "toolkit/picture.h"
#include "app/window_registry.h"
#include "info/about_window.h"
#include "info/farewell_window.h"
#include "media/media_controls.h"
#include "media/media_player.h"
#include "player/player_window.h"
#include "support/test_main.h"
#include "support/test_media.h"
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {
constexpr int playing = 3;
constexpr int paused = 2;

frm* player() {
    return qobject_cast<frm*>(windows().frm.get());
}
Form1* about() {
    return qobject_cast<Form1*>(windows().Form1.get());
}
Form2* farewell() {
    return qobject_cast<Form2*>(windows().Form2.get());
}

QAccessibleInterface* accessible(QObject* object) {
    return QAccessible::queryAccessibleInterface(object);
}
QString nameOf(QObject* object) {
    return accessible(object)->text(QAccessible::Name);
}

// Every interface under `root` that stands for a visible widget, as a screen reader walks the tree.
void collect(QAccessibleInterface* root, QList<QAccessibleInterface*>& into) {
    for (int i = 0; i < root->childCount(); ++i) {
        QAccessibleInterface* child = root->child(i);
        if (!child || child->state().invisible)
            continue;
        if (child->object() && child->object()->isWidgetType())
            into.append(child);
        collect(child, into);
    }
}

// Roles a user acts on or reads: each must carry a name.
bool wantsName(QAccessible::Role role) {
    switch (role) {
    case QAccessible::Button:
    case QAccessible::CheckBox:
    case QAccessible::ComboBox:
    case QAccessible::List:
    case QAccessible::Slider:
    case QAccessible::StaticText:
    case QAccessible::Graphic:
        return true;
    default:
        return false;
    }
}

void checkEveryControlNamed(QWidget* window) {
    QList<QAccessibleInterface*> all;
    collect(accessible(window), all);
    QVERIFY(!all.isEmpty());
    for (QAccessibleInterface* control : all) {
        const QString where =
            control->object()->objectName() + QLatin1Char(' ') + control->object()->metaObject()->className();
        QVERIFY2(control->role() != QAccessible::NoRole, qPrintable(where));
        // A label without a caption (the player's Label1, below the client area) has nothing to read.
        const bool emptyCaption = control->role() == QAccessible::StaticText &&
                                  qobject_cast<QLabel*>(control->object()) &&
                                  qobject_cast<QLabel*>(control->object())->text().isEmpty();
        if (wantsName(control->role()) && !emptyCaption)
            QVERIFY2(!control->text(QAccessible::Name).isEmpty(),
                     qPrintable(where + QStringLiteral(" unnamed")));
        if (control->state().focusable)
            QVERIFY2(!control->text(QAccessible::Name).isEmpty(),
                     qPrintable(where + QStringLiteral(" unnamed")));
    }
}

// The component's own control by accessible name, found through the accessibility tree.
QAccessibleInterface* componentControl(MediaPlayer* component, const QString& name) {
    QList<QAccessibleInterface*> all;
    collect(accessible(component), all);
    for (QAccessibleInterface* control : all)
        if (control->text(QAccessible::Name) == name)
            return control;
    return nullptr;
}

// Real key presses on whatever window has the keyboard focus, like a user's keyboard.
void keys(const QStringList& names) {
    QProcess tool;
    tool.start(QStringLiteral("xdotool"),
               QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("80")} + names);
    QVERIFY(tool.waitForFinished(10000));
    QCOMPARE(tool.exitCode(), 0);
    QTest::qWait(150);
}
} // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void cleanup();

    void playerControls();
    void componentControls();
    void picturesPressLikeAClick();
    void aboutControls();
    void farewellControls();
    void keyboardOnlyFromDriveToFarewell();

  private:
    TestMedia media_;
    QTemporaryDir root_;
    QString clip_;
};

void AccessibilityTest::initTestCase() {
    setUpApplication();
    QVERIFY(media_.isValid());
    // The program starts in a folder that holds one folder of clips, so the keyboard has a folder to open.
    QVERIFY(root_.isValid());
    QVERIFY(QDir(root_.path()).mkdir(QStringLiteral("clips")));
    clip_ = root_.filePath(QStringLiteral("clips/clip.mp4"));
    QVERIFY(QFile::copy(media_.video(4.0), clip_));
    QVERIFY(QDir::setCurrent(root_.path()));
    QAccessible::setActive(true);
}

void AccessibilityTest::cleanup() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (qobject_cast<Form*>(widget))
            widget->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QTRY_VERIFY(!windows().frm.isLoaded() && !windows().Form1.isLoaded() && !windows().Form2.isLoaded());
}

void AccessibilityTest::playerControls() {
    showWindow(windows().frm);
    frm* window = player();
    QVERIFY(QTest::qWaitForWindowExposed(window));

    QCOMPARE(accessible(window->Drive1)->role(), QAccessible::ComboBox);
    QCOMPARE(nameOf(window->Drive1), QStringLiteral("Drives"));
    QCOMPARE(accessible(window->Drive1)->text(QAccessible::Value), window->Drive1->currentText());
    QVERIFY(!window->Drive1->currentText().isEmpty());
    QCOMPARE(accessible(window->Dir1)->role(), QAccessible::List);
    QCOMPARE(nameOf(window->Dir1), QStringLiteral("Folders"));
    QCOMPARE(accessible(window->File1)->role(), QAccessible::List);
    QCOMPARE(nameOf(window->File1), QStringLiteral("Files"));
    // The list items are there for a screen reader too: the folder list shows the clips folder.
    QVERIFY(accessible(window->Dir1)->childCount() > 0);

    for (Picture* picture : {window->Image1, window->Image2}) {
        QAccessibleInterface* face = accessible(picture);
        QCOMPARE(face->role(), QAccessible::Button);
        QCOMPARE(face->text(QAccessible::Name), QStringLiteral("Pause"));
        QVERIFY(face->actionInterface());
        QCOMPARE(face->actionInterface()->actionNames(),
                 QStringList{QAccessibleActionInterface::pressAction()});
    }
    const QList<std::pair<Label*, QString>> captions{
        {window->Label3, QStringLiteral("Look in :")},
        {window->Label4, QStringLiteral("Select the Folder")},
        {window->Label5, QStringLiteral("Select the Media File")}};
    for (const auto& [label, caption] : captions) {
        QCOMPARE(accessible(label)->role(), QAccessible::StaticText);
        QCOMPARE(nameOf(label), caption);
    }
    QCOMPARE(nameOf(window->WindowsMediaPlayer1), QStringLiteral("Media player"));
    QVERIFY(accessible(window->WindowsMediaPlayer1)->role() != QAccessible::NoRole);
    checkEveryControlNamed(window);
}

void AccessibilityTest::componentControls() {
    showWindow(windows().frm);
    MediaPlayer* component = player()->WindowsMediaPlayer1;
    QVERIFY(QTest::qWaitForWindowExposed(player()));
    const QList<std::pair<QString, QAccessible::Role>> expected{
        {QStringLiteral("Play"), QAccessible::Button},
        {QStringLiteral("Stop"), QAccessible::Button},
        {QStringLiteral("Previous"), QAccessible::Button},
        {QStringLiteral("Next"), QAccessible::Button},
        {QStringLiteral("Fast reverse"), QAccessible::Button},
        {QStringLiteral("Fast forward"), QAccessible::Button},
        {QStringLiteral("Seek"), QAccessible::Slider},
        {QStringLiteral("Mute"), QAccessible::CheckBox},
        {QStringLiteral("Volume"), QAccessible::Slider},
        {QStringLiteral("Full screen"), QAccessible::CheckBox},
    };
    // Mute and Full screen stay pressed while on: toggles, which Qt presents as check boxes.
    for (const auto& [name, role] : expected) {
        QAccessibleInterface* control = componentControl(component, name);
        QVERIFY2(control, qPrintable(name));
        QCOMPARE(control->role(), role);
    }
    // While a clip plays, the same button is "Pause", and its press action pauses.
    component->setURL(clip_);
    QTRY_COMPARE_WITH_TIMEOUT(component->playState(), playing, 10000);
    QAccessibleInterface* pause = componentControl(component, QStringLiteral("Pause"));
    QVERIFY(pause);
    QCOMPARE(pause->role(), QAccessible::Button);
    QVERIFY(!componentControl(component, QStringLiteral("Play")));
    pause->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QTRY_COMPARE(component->playState(), paused);
}

void AccessibilityTest::picturesPressLikeAClick() {
    showWindow(windows().frm);
    frm* window = player();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    MediaPlayer* component = window->WindowsMediaPlayer1;
    component->setURL(clip_);
    QTRY_COMPARE_WITH_TIMEOUT(component->playState(), playing, 10000);
    accessible(window->Image1)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QTRY_COMPARE(component->playState(), paused);

    // The lit picture stands in front once the pointer is on it; its press pauses too.
    component->controls()->play();
    QTRY_COMPARE(component->playState(), playing);
    window->Image1->setVisible(false);
    window->Image2->setVisible(true);
    accessible(window->Image2)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QTRY_COMPARE(component->playState(), paused);
}

void AccessibilityTest::aboutControls() {
    showWindow(windows().Form1);
    Form1* window = about();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QCOMPARE(accessible(window->Command1)->role(), QAccessible::Button);
    QCOMPARE(nameOf(window->Command1), QStringLiteral("More Details"));
    QCOMPARE(accessible(window->Command2)->role(), QAccessible::Button);
    QCOMPARE(nameOf(window->Command2), QStringLiteral("Exit"));
    for (Label* label : {window->Label1, window->Label2, window->Label3, window->Label4, window->Label5,
                         window->Label6, window->Label7, window->Label8}) {
        QCOMPARE(accessible(label)->role(), QAccessible::StaticText);
        QCOMPARE(nameOf(label), label->text());
        QVERIFY(!label->text().isEmpty());
    }
    // The emblem takes no clicks: a graphic, not a button.
    QCOMPARE(accessible(window->Image1)->role(), QAccessible::Graphic);
    QCOMPARE(nameOf(window->Image1), QStringLiteral("Emblem"));
    QVERIFY(accessible(window->Image1)->actionInterface()->actionNames().isEmpty());
    checkEveryControlNamed(window);
}

void AccessibilityTest::farewellControls() {
    showWindow(windows().Form2);
    Form2* window = farewell();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    const QStringList captions{QStringLiteral("2009"), QStringLiteral("Upper Sixth B"),
                               QStringLiteral("7946 0321"), QStringLiteral("Harrowfield Grammar School"),
                               QStringLiteral("TOLV")};
    const QList<Label*> labels{window->Label1, window->Label2, window->Label3, window->Label4,
                               window->Label5};
    for (int i = 0; i < labels.size(); ++i) {
        QCOMPARE(accessible(labels[i])->role(), QAccessible::StaticText);
        QCOMPARE(nameOf(labels[i]), captions[i]);
    }
    // A click on the picture ends the program: a button.
    QCOMPARE(accessible(window->Image1)->role(), QAccessible::Button);
    QCOMPARE(nameOf(window->Image1), QStringLiteral("Farewell picture"));
    checkEveryControlNamed(window);
}

void AccessibilityTest::keyboardOnlyFromDriveToFarewell() {
    showWindow(windows().frm);
    frm* window = player();
    QVERIFY(QTest::qWaitForWindowActive(window));
    // The drive list has the focus first; the root folder's drive is chosen already.
    QCOMPARE(QApplication::focusWidget(), window->Drive1);

    // Tab to the folders; the clips folder is the one below the current folder.
    keys({QStringLiteral("Tab")});
    QCOMPARE(QApplication::focusWidget(), window->Dir1);
    const QString clips = QDir(root_.path()).filePath(QStringLiteral("clips"));
    for (int step = 0; step < 20 && window->Dir1->currentIndex().data().toString() != QStringLiteral("clips");
         ++step)
        keys({QStringLiteral("Down")});
    QCOMPARE(window->Dir1->currentIndex().data().toString(), QStringLiteral("clips"));
    keys({QStringLiteral("Return")});
    QTRY_COMPARE(QDir(window->File1->Path()).canonicalPath(), QDir(clips).canonicalPath());
    QTRY_COMPARE(window->File1->model()->rowCount(), 1);

    // Tab to the files; an arrow key picks the clip, and picking plays it.
    keys({QStringLiteral("Tab")});
    QCOMPARE(QApplication::focusWidget(), window->File1);
    keys({QStringLiteral("Down")});
    MediaPlayer* component = window->WindowsMediaPlayer1;
    QTRY_COMPARE_WITH_TIMEOUT(component->playState(), playing, 10000);

    // Tab into the component; its Space key pauses.
    keys({QStringLiteral("Tab")});
    QVERIFY(component->isAncestorOf(QApplication::focusWidget()));
    keys({QStringLiteral("space")});
    QTRY_COMPARE(component->playState(), paused);

    // The menu bar from the keyboard: Alt selects File, Down opens it, Right moves to About, Enter picks
    // About Me.
    keys({QStringLiteral("alt")});
    keys({QStringLiteral("Down")});
    QTRY_VERIFY(window->mnfile->isVisible());
    keys({QStringLiteral("Right")});
    QTRY_VERIFY(window->mna->isVisible());
    keys({QStringLiteral("Return")});
    QTRY_VERIFY(windows().Form1.isLoaded() && about()->isVisible());
    QVERIFY(QTest::qWaitForWindowActive(about()));

    // More Details has the focus and is the default button: Enter goes back to the player.
    QCOMPARE(QApplication::focusWidget(), about()->Command1);
    keys({QStringLiteral("Return")});
    QTRY_VERIFY(!about()->isVisible());
    QVERIFY(QTest::qWaitForWindowActive(window));

    // File > Exit shows the farewell window, which ends the program only on a click.
    keys({QStringLiteral("alt")});
    keys({QStringLiteral("Down")});
    QTRY_VERIFY(window->mnfile->isVisible());
    keys({QStringLiteral("Return")});
    QTRY_VERIFY(windows().Form2.isLoaded() && farewell()->isVisible());
    QVERIFY(QTest::qWaitForWindowExposed(farewell()));
}

TOLVANE_TEST_MAIN(AccessibilityTest)
#include "test_accessibility.moc"
