// What a screen reader sees, through the road Orca takes: the real program in a child process, a session
// bus of its own with at-spi-bus-launcher on it as on a stock desktop (nothing on the X root window, no
// AT_SPI_BUS_ADDRESS, accessibility and the screen reader both off when the program starts), and an AT-SPI
// client (python3-pyatspi) reading the tree and pressing a menu item. Then each daemon on that road stopped,
// before the program starts and once it is up: the window, the keyboard and File > Exit still answer.
#include "support/accessibility_bus.h"
#include "support/child_process.h"
#include "support/private_bus.h"
#include "support/test_main.h"
#include "support/test_media.h"
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <optional>

namespace {
const QString playerTitle = QStringLiteral("Tolvane URL Media Player");

// Real key presses on the window that has the keyboard focus, at a person's pace. Qt's bridge holds each key
// until the accessibility registry has seen it, 100 ms at most when the registry does not answer, and then
// hands it to the control that had the focus when it was pressed: a key pressed before the one before has
// been handed on would reach a control that no longer has the focus. A press and its release may both be
// held, and the bridge's timeout runs late on a loaded machine: a stopped registry gets a slower pace.
int keyPaceMs = 400;
bool keys(const QStringList& names) {
    const bool sent =
        runTool(QStringLiteral("xdotool"), QStringList{QStringLiteral("key")} + names).has_value();
    QTest::qWait(keyPaceMs);
    return sent;
}

// The lines of the client's tree that stand for `role` named `name`.
bool showsControl(const QString& tree, const QString& role, const QString& name) {
    for (const QString& line : tree.split(QLatin1Char('\n'))) {
        const QStringList parts = line.split(QLatin1Char('\t'));
        if (parts.size() == 3 && parts[1] == role && parts[2] == name)
            return true;
    }
    return false;
}
} // namespace

class ScreenReaderTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void init();
    void cleanup();
    void theTreeCarriesNamesAndRoles();
    void aMenuItemIsPressedThroughTheBus();
    void stoppedDaemonsHoldNothingUp_data();
    void stoppedDaemonsHoldNothingUp();

  private:
    bool startProgram();
    // Alt, then the arrows and Enter, as in the menus: About > About Me, then the About window's Enter.
    bool aboutByKeyboard();
    bool exitThroughMenu();

    TestMedia media_;
    QTemporaryDir folder_;
    std::optional<PrivateSessionBus> bus_;
    std::optional<AccessibilityBus> accessibility_;
    std::optional<PlayerProcess> program_;
};

void ScreenReaderTest::initTestCase() {
    QVERIFY(media_.isValid());
    QVERIFY(folder_.isValid());
    QVERIFY(QFile::copy(media_.video(4.0), folder_.filePath(QStringLiteral("clip.mp4"))));
}

void ScreenReaderTest::init() {
    bus_.emplace();
    QVERIFY(bus_->isValid());
    accessibility_.emplace(bus_->address());
    QVERIFY2(accessibility_->isValid(), "at-spi-bus-launcher did not start its bus");
    program_.emplace();
    program_->setWorkingDirectory(folder_.path());
}

void ScreenReaderTest::cleanup() {
    keyPaceMs = 400;
    program_.reset();
    accessibility_.reset();
    bus_.reset();
}

bool ScreenReaderTest::startProgram() {
    QElapsedTimer clock;
    clock.start();
    const bool shown = program_->start();
    qInfo("window shown %lld ms after the start", clock.elapsed());
    return shown;
}

bool ScreenReaderTest::aboutByKeyboard() {
    if (!keys({QStringLiteral("alt")}) || !keys({QStringLiteral("Down")}) ||
        !keys({QStringLiteral("Right")}) || !keys({QStringLiteral("Return")}) ||
        !program_->waitForWindow(QStringLiteral("Tolvane Cooperation")))
        return false;
    return keys({QStringLiteral("Return")});
}

bool ScreenReaderTest::exitThroughMenu() {
    if (!keys({QStringLiteral("alt")}) || !keys({QStringLiteral("Down")}) ||
        !keys({QStringLiteral("Return")}))
        return false;
    const quint64 farewell = program_->waitForWindow(QStringLiteral("Arvid"));
    if (!farewell)
        return false;
    QElapsedTimer clock;
    clock.start();
    xdotool({QStringLiteral("mousemove"), QStringLiteral("0"),
             QStringLiteral("0")}); // the click waits for a move
    program_->click(program_->geometry(farewell).center());
    const bool ended = program_->waitForExit(10000);
    qInfo("ended %lld ms after the farewell click", clock.elapsed());
    return ended;
}

void ScreenReaderTest::theTreeCarriesNamesAndRoles() {
    QVERIFY(startProgram());
    const QString tree = atspiClient(program_->processId(), {QStringLiteral("tree")}).value_or(QString());
    QVERIFY2(!tree.isEmpty(), "the program is not on the accessibility bus");
    const QList<std::pair<QString, QString>> expected = {
        {"frame", playerTitle},
        {"menu item", "File"},
        {"menu item", "About"},
        {"menu item", "Exit"},
        {"menu item", "About Me"},
        {"combo box", "Drives"},
        {"list", "Folders"},
        {"list", "Files"},
        {"list item", "clip.mp4"},
        {"push button", "Pause"},
        {"filler", "Media player"},
        {"push button", "Play"},
        {"push button", "Stop"},
        {"push button", "Previous"},
        {"push button", "Next"},
        {"push button", "Fast reverse"},
        {"push button", "Fast forward"},
        {"slider", "Seek"},
        {"check box", "Mute"},
        {"slider", "Volume"},
        {"check box", "Full screen"},
    };
    for (const auto& [role, name] : expected)
        QVERIFY2(showsControl(tree, role, name),
                 qPrintable(QStringLiteral("no %1 \"%2\" in:\n%3").arg(role, name, tree)));
}

void ScreenReaderTest::aMenuItemIsPressedThroughTheBus() {
    QVERIFY(startProgram());
    QVERIFY(atspiClient(program_->processId(),
                        {QStringLiteral("press"), QStringLiteral("About"), QStringLiteral("About Me")}));
    QVERIFY(program_->waitForWindow(QStringLiteral("Tolvane Cooperation")));
    const QString tree = atspiClient(program_->processId(), {QStringLiteral("tree")}).value_or(QString());
    QVERIFY2(showsControl(tree, "frame", "Tolvane Cooperation"), qPrintable(tree));
    QVERIFY(keys({QStringLiteral("Return")})); // More Details, from the keyboard with the client attached
    QVERIFY(exitThroughMenu());
}

void ScreenReaderTest::stoppedDaemonsHoldNothingUp_data() {
    QTest::addColumn<QString>("daemon");
    QTest::addColumn<bool>("beforeStart");
    for (const char* daemon : {"session bus", "accessibility launcher", "accessibility bus"}) {
        QTest::addRow("%s stopped before the start", daemon) << daemon << true;
        QTest::addRow("%s stopped once the program is up", daemon) << daemon << false;
    }
}

void ScreenReaderTest::stoppedDaemonsHoldNothingUp() {
    QFETCH(QString, daemon);
    QFETCH(bool, beforeStart);
    const pid_t pid = daemon == "session bus"              ? bus_->daemon()
                      : daemon == "accessibility launcher" ? accessibility_->launcher()
                                                           : accessibility_->daemon();
    QVERIFY(pid > 0);
    const auto resume = qScopeGuard([pid] { ::kill(pid, SIGCONT); });
    keyPaceMs = 1200;
    if (beforeStart)
        QVERIFY(::kill(pid, SIGSTOP) == 0);
    QVERIFY2(startProgram(), "no window");
    if (!beforeStart) {
        QVERIFY2(atspiClient(program_->processId(), {QStringLiteral("tree")}),
                 "not on the accessibility bus");
        QVERIFY(::kill(pid, SIGSTOP) == 0);
    }
    if (!aboutByKeyboard()) {
        // With the registry stopped, Qt's bridge holds each key until the registry answers, and now and then
        // (on a loaded machine) does not give up waiting. Once the daemon goes on, the held keys go to the
        // controls they were pressed on, and the keyboard must answer again.
        QVERIFY2(daemon == "accessibility bus" && !beforeStart,
                 qPrintable("the keyboard did not reach the About window; the program said: " +
                            program_->errorOutput()));
        qInfo("the keys were held until the accessibility bus went on");
        QVERIFY(::kill(pid, SIGCONT) == 0);
        if (program_->waitForWindow(QStringLiteral("Tolvane Cooperation"), 2000)) {
            QVERIFY(keys({QStringLiteral("Return")}));
        } else {
            keys({QStringLiteral("Escape")}), keys({QStringLiteral("Escape")});
            QVERIFY2(aboutByKeyboard(), "the keyboard did not come back with the accessibility bus");
        }
    }
    QVERIFY2(exitThroughMenu(), "File > Exit did not end the program");
}

TOLVANE_TEST_MAIN(ScreenReaderTest)
#include "test_screen_reader.moc"
