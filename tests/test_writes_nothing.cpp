// A whole session of the real program under strace: browse, play a clip, full screen, About, the farewell
// click that ends it. The program and every library in it may create, write, rename or delete no file
// (caches and state included); only sockets and pipes to the display and sound servers are used.

#include "media/media_player.h"
#include "player/player_window.h"
#include "support/child_process.h"
#include "support/private_bus.h"
#include "support/sound_server.h"
#include "support/test_main.h"
#include "support/test_media.h"
#include "toolkit/file_list.h"

#include <QDir>
#include <QMenuBar>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <optional>

namespace {

const QString kTitle = QStringLiteral("Tolvane URL Media Player");

quint64 findWindow(const QString& title, int timeoutMs = 20000) {
    QElapsedTimer clock;
    clock.start();
    do {
        const QString found =
            xdotool({"search", "--onlyvisible", "--name",
                     QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$')});
        if (!found.isEmpty())
            return found.split(QLatin1Char('\n')).first().toULongLong();
        QTest::qWait(100);
    } while (clock.elapsed() < timeoutMs);
    return 0;
}

QRect geometryOf(quint64 window) {
    QHash<QString, int> values;
    const QString shell = xdotool({"getwindowgeometry", "--shell", QString::number(window)});
    for (const QString& line : shell.split(QLatin1Char('\n'))) {
        const auto parts = line.split(QLatin1Char('='));
        if (parts.size() == 2)
            values.insert(parts[0], parts[1].toInt());
    }
    return {values.value("X"), values.value("Y"), values.value("WIDTH"), values.value("HEIGHT")};
}

void clickAt(QPoint point, int count = 1) {
    xdotool({"mousemove", "--sync", QString::number(point.x()), QString::number(point.y()), "click",
             "--repeat", QString::number(count), "--delay", "80", "1"});
}

bool harmlessPath(const QString& path) {
    // Devices, kernel files and memory-only files are not files on a disk.
    for (const char* prefix : {"/dev/", "/proc/", "/sys/", "/memfd:"})
        if (path.startsWith(QLatin1String(prefix)))
            return true;
    return false;
}

// Every system call in the trace that changed a file: created, wrote, renamed, deleted.
QStringList fileChanges(const QByteArray& trace) {
    static const QRegularExpression open(QStringLiteral(
        R"re(^(?:\d+ +)?(?:open|openat|creat)\((?:AT_FDCWD|-?\d+)(?:<[^>]*>)?, "([^"]*)", ([A-Z_|]+).*\) = \d)re"));
    static const QRegularExpression change(QStringLiteral(
        R"re(^(?:\d+ +)?(mkdir|mkdirat|rename|renameat|renameat2|unlink|unlinkat|rmdir|link|linkat|symlink|symlinkat|truncate|chmod|fchmodat|utimensat|mknod|mknodat)\((.*)\) = 0)re"));
    static const QRegularExpression write(QStringLiteral(
        R"re(^(?:\d+ +)?(write|writev|pwrite64|pwritev|pwritev2|ftruncate|fallocate)\(\d+<([^>]*)>)re"));
    static const QRegularExpression quoted(QStringLiteral(R"re("([^"]*)")re"));
    QStringList changes;
    for (const QByteArray& raw : trace.split('\n')) {
        const QString line = QString::fromUtf8(raw);
        if (const auto m = open.match(line); m.hasMatch()) {
            const QString flags = m.captured(2);
            const bool writes = flags.contains("O_WRONLY") || flags.contains("O_RDWR") ||
                                flags.contains("O_CREAT") || flags.contains("O_TRUNC");
            if (writes && !harmlessPath(m.captured(1)))
                changes << line;
        } else if (const auto c = change.match(line); c.hasMatch()) {
            const auto path = quoted.match(c.captured(2));
            if (!path.hasMatch() || !harmlessPath(path.captured(1)))
                changes << line;
        } else if (const auto w = write.match(line); w.hasMatch()) {
            const QString target = w.captured(2);
            if (target.startsWith(QLatin1Char('/')) && !harmlessPath(target))
                changes << line;
        }
    }
    return changes;
}

// What the sound server says of the streams playing now.
QString soundStreams(const QString& runtime) {
    QProcess pactl;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", runtime);
    environment.remove("PULSE_COOKIE"); // this process's own, in its memory
    pactl.setProcessEnvironment(environment);
    pactl.start("pactl", {"list", "sink-inputs"});
    return pactl.waitForFinished(10000) ? QString::fromUtf8(pactl.readAllStandardOutput()) : QString();
}

// A copy of a system font under a family name of its own, so that only the copy answers to that name.
bool renamedFont(const char* file, const QString& family, const QString& renamed, const QString& to) {
    QFile source(QStringLiteral("/usr/share/fonts/truetype/dejavu/") + QLatin1String(file));
    QFile target(to);
    if (family.size() != renamed.size() || !source.open(QIODevice::ReadOnly) ||
        !target.open(QIODevice::WriteOnly))
        return false;
    QByteArray font = source.readAll();
    const auto utf16 = [](const QString& text) {
        QByteArray bytes;
        for (const QChar c : text)
            bytes.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xff));
        return bytes;
    };
    font.replace(family.toLatin1(), renamed.toLatin1()).replace(utf16(family), utf16(renamed));
    return target.write(font) == font.size();
}

} // namespace

class WritesNothingTest : public QObject {
    Q_OBJECT
  private slots:
    void wholeSessionWritesNoFile_data();
    void wholeSessionWritesNoFile();
};

void WritesNothingTest::wholeSessionWritesNoFile_data() {
    QTest::addColumn<bool>("desktop");
    QTest::newRow("bare: no runtime folder, session bus or sound server") << false;
    QTest::newRow("desktop: runtime folder, session bus, PulseAudio") << true;
}

void WritesNothingTest::wholeSessionWritesNoFile() {
    QFETCH(bool, desktop);
    if (QStandardPaths::findExecutable(QStringLiteral("strace")).isEmpty())
        QSKIP("strace is not installed");
    TestMedia media;
    QVERIFY(media.isValid());
    QTemporaryDir folder, home, temp, traces;
    QVERIFY(QFile::copy(media.video(3.0), folder.filePath("clip.mp4")));
    QFile subtitle(folder.filePath("clip.srt")); // the same-named subtitle, in the user's aliased face
    QVERIFY(subtitle.open(QIODevice::WriteOnly));
    subtitle.write("1\n00:00:00,000 --> 00:00:05,000\n<font face=\"Subtitle Face\">Hello</font>\n");
    subtitle.close();
    // A user's own fonts (families of their own, in both of the user's font folders, never cached) and font
    // rule: the toolkit and the subtitle renderer both read the whole configuration, and write no cache.
    QVERIFY(QDir(home.path()).mkpath(QStringLiteral(".fonts")) &&
            QDir(home.path()).mkpath(QStringLiteral(".local/share/fonts")) &&
            QDir(home.path()).mkpath(QStringLiteral(".config/fontconfig")));
    QVERIFY(renamedFont("DejaVuSans.ttf", "DejaVu Sans", "Tolvane Own", home.filePath(".fonts/own.ttf")));
    QVERIFY(renamedFont("DejaVuSerif.ttf", "DejaVu Serif", "Tolvane Locl",
                        home.filePath(".local/share/fonts/local.ttf")));
    QFile rule(home.filePath(".config/fontconfig/fonts.conf"));
    QVERIFY(rule.open(QIODevice::WriteOnly));
    rule.write(R"(<?xml version="1.0"?><!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig><alias><family>Subtitle Face</family><prefer><family>Tolvane Own</family></prefer></alias></fontconfig>
)");
    rule.close();

    // Where the first file, the menus and the video stand, from a player window laid out the same way.
    const QString testFolder = QDir::currentPath();
    QVERIFY(QDir::setCurrent(folder.path()));
    auto* layout = new frm;
    layout->show();
    QVERIFY(QTest::qWaitForWindowExposed(layout));
    QVERIFY(QDir::setCurrent(testFolder));
    QCOMPARE(layout->File1->model()->index(0, 0).data().toString(), QStringLiteral("clip.mp4"));
    const QPoint fileOffset = layout->File1->viewport()->mapTo(
        layout, layout->File1->visualRect(layout->File1->model()->index(0, 0)).center());
    const QPoint videoOffset = layout->WindowsMediaPlayer1->mapTo(layout, QPoint(40, 40));
    const QPoint fileMenuOffset = layout->menuBar()->mapTo(
        layout, layout->menuBar()->actionGeometry(layout->mnfile->menuAction()).center());
    const QPoint aboutMenuOffset = layout->menuBar()->mapTo(
        layout, layout->menuBar()->actionGeometry(layout->mna->menuAction()).center());
    delete layout;

    QProcess program;
    program.setWorkingDirectory(folder.path());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // A user's session with nothing prepared: a fresh home, no runtime folder, no cache folders given.
    environment.insert("HOME", home.path());
    // No session bus either: the D-Bus library would start one with dbus-launch.
    for (const char* name : {"XDG_RUNTIME_DIR", "XDG_CACHE_HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME",
                             "XDG_STATE_HOME", "DBUS_SESSION_BUS_ADDRESS", "FONTCONFIG_FILE", "PULSE_SERVER",
                             "PULSE_COOKIE"}) // the last: this process's own, in its memory
        environment.remove(QString::fromLatin1(name));
    // Or a desktop's: a runtime folder with a sound server in it, and a session bus.
    QTemporaryDir runtime, soundHome;
    std::optional<PrivateSessionBus> bus;
    QProcess sound;
    const auto stopSound = qScopeGuard([&sound] {
        sound.terminate();
        sound.waitForFinished(5000);
    });
    if (desktop) {
        bus.emplace();
        QVERIFY(bus->isValid());
        environment.insert("DBUS_SESSION_BUS_ADDRESS", bus->address());
        environment.insert("XDG_RUNTIME_DIR", runtime.path());
        QVERIFY(startSoundServer(sound, runtime.path(), soundHome.path()));
    }
    // An empty temporary folder of its own: a folder made there by anyone shows up in the trace as new.
    environment.insert("TMPDIR", temp.path());
    // In the sanitizer build: the leak checker cannot stop a process that strace already traces.
    environment.insert("ASAN_OPTIONS", environment.value("ASAN_OPTIONS") + ":detect_leaks=0");
    program.setProcessEnvironment(environment);
    program.start("strace", {"-f", "-ff", "-qq", "-y", "-o", traces.filePath("trace"), "-e",
                             "trace=%file,execve,write,writev,pwrite64,pwritev,pwritev2,ftruncate,fallocate",
                             QStringLiteral(TOLVANE_PLAYER_EXE)});
    QVERIFY(program.waitForStarted(10000));

    const quint64 window = findWindow(kTitle, 60000);
    QVERIFY2(window != 0, program.readAllStandardError().constData());
    QTest::qWait(500);
    const QPoint origin = geometryOf(window).topLeft();
    // Browse and play: the clip in the file list.
    clickAt(origin + fileOffset);
    if (desktop) { // the desktop's mixer names the program and the file, never the engine
        QString streams;
        QTRY_VERIFY_WITH_TIMEOUT((streams = soundStreams(runtime.path())).contains("media.name"), 10000);
        QVERIFY2(streams.contains("application.name = \"Tolvane URL Media Player\"") &&
                     streams.contains("media.name = \"clip.mp4\""),
                 qPrintable(streams));
    }
    QTest::qWait(2500);
    // Full screen from the component's own key, and back.
    clickAt(origin + videoOffset);
    xdotool({"key", "F11"});
    QTest::qWait(1500);
    xdotool({"key", "Escape"});
    QTest::qWait(800);
    // About > About Me.
    clickAt(origin + aboutMenuOffset);
    QTest::qWait(400);
    xdotool({"key", "Down", "Return"});
    QTest::qWait(1500);
    // File > Exit, then the farewell click ends the program.
    clickAt(origin + fileMenuOffset);
    QTest::qWait(400);
    xdotool({"key", "Down", "Return"});
    const quint64 farewell = findWindow("Arvid", 20000);
    QVERIFY2(farewell != 0, "the farewell window did not show");
    clickAt(geometryOf(farewell).center());
    QVERIFY2(program.waitForFinished(30000), "the program did not end after the farewell click");
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);

    // A normal session prints nothing (strace writes its trace to files, and prints nothing with -qq).
    QCOMPARE(QString::fromLocal8Bit(program.readAllStandardError()), QString());
    QStringList changes, started, read;
    int traced = 0;
    for (const QFileInfo& file : QDir(traces.path()).entryInfoList(QDir::Files)) {
        QFile log(file.filePath());
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QByteArray trace = log.readAll();
        traced += trace.count('\n');
        changes << fileChanges(trace);
        for (const QByteArray& line : trace.split('\n'))
            if (line.startsWith("openat(") && line.contains(home.path().toUtf8()) && !line.contains("= -1"))
                read << QString::fromUtf8(line).section('"', 1, 1).mid(home.path().size() + 1);
        for (const QByteArray& line : trace.split('\n'))
            if (line.startsWith("execve(") && !line.contains(TOLVANE_PLAYER_EXE))
                started << QString::fromUtf8(line);
    }
    QVERIFY2(traced > 100, "strace recorded next to nothing");
    QVERIFY2(changes.isEmpty(), qPrintable(changes.join(QLatin1Char('\n'))));
    QVERIFY2(started.isEmpty(), qPrintable(started.join(QLatin1Char('\n'))));
    // The user's font rule and both fonts were read: the user's font configuration is in force, for the
    // toolkit and the subtitle renderer.
    for (const char* file :
         {".config/fontconfig/fonts.conf", ".fonts/own.ttf", ".local/share/fonts/local.ttf"})
        QVERIFY2(read.contains(QLatin1String(file)), file);
    // Both are read alike while the fonts are listed; the subtitle renderer opens its face once more to draw
    // the subtitle with it, found through the user's rule.
    const qsizetype drawnWith = read.count(".fonts/own.ttf"),
                    listedOnly = read.count(".local/share/fonts/local.ttf");
    QVERIFY2(drawnWith > listedOnly,
             qPrintable(QStringLiteral("%1 and %2 opens").arg(drawnWith).arg(listedOnly)));
    QCOMPARE(
        QDir(home.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
        (QStringList{".config", ".fonts", ".local"}));
    QVERIFY2(QDir(temp.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
             "something was left in the temporary folder");
}

TOLVANE_TEST_MAIN(WritesNothingTest)
#include "test_writes_nothing.moc"
