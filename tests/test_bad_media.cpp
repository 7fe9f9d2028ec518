// Bad input through the real player window: each file is clicked in the real file list and handed to the
// real component. The program must stay alive and answering, show no dialog, and name the reason in the
// component's status text; files with strange names must play.

#include "toolkit/error_report.h"
#include "toolkit/fs_names.h"
#include "list_test_helpers.h"
#include "support/play_states.h"
#include "support/session.h"
#include "support/test_main.h"
#include "support/test_media.h"

#include <QFile>
#include <QMessageBox>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace session;

namespace {

constexpr int kSettleMs = 15000;

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Sets every 16-bit width and height of the video sample entry and the track header to 65535.
QByteArray hugeFrameMp4(QByteArray mp4) {
    for (const char* box : {"avc1", "tkhd"}) {
        const qsizetype at = mp4.indexOf(box);
        if (at < 0)
            continue;
        // avc1: 6 reserved, 2 index, 16 pre-defined bytes, then width and height (16 bits each).
        // tkhd (version 0): width and height are the last 8 bytes of its 84-byte body, 16.16 fixed point.
        const qsizetype field = qstrcmp(box, "avc1") == 0 ? at + 4 + 24 : at + 4 + 76;
        if (field + 4 <= mp4.size())
            for (int i = 0; i < 4; ++i)
                mp4[field + i] = char(0xff);
    }
    return mp4;
}

// A Windows bitmap header claiming 60000 x 60000 pixels with almost no pixel data behind it.
QByteArray hugeBmp() {
    QByteArray bmp(54, '\0');
    auto put32 = [&](int at, quint32 value) {
        for (int i = 0; i < 4; ++i)
            bmp[at + i] = char((value >> (8 * i)) & 0xff);
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, 54 + 64);
    put32(10, 54);
    put32(14, 40);
    put32(18, 60000);
    put32(22, 60000);
    bmp[26] = 1;
    bmp[28] = 24;
    return bmp + QByteArray(64, '\x7f');
}

// True if no connect() in the strace log goes to an address outside the loopback.
QStringList remoteConnects(const QByteArray& log) {
    QStringList remote;
    static const QRegularExpression inet(QStringLiteral(R"re(inet_addr\("([0-9.]+)"\))re"));
    static const QRegularExpression inet6(QStringLiteral(R"re(inet_pton\(AF_INET6, "([0-9a-fA-F:.]+)")re"));
    for (const QByteArray& raw : log.split('\n')) {
        const QString line = QString::fromLatin1(raw);
        if (!line.contains(QLatin1String("connect(")))
            continue;
        const auto v4 = inet.match(line);
        if (v4.hasMatch() && !v4.captured(1).startsWith(QLatin1String("127.")) &&
            v4.captured(1) != QLatin1String("0.0.0.0"))
            remote << line;
        const auto v6 = inet6.match(line);
        if (v6.hasMatch() && v6.captured(1) != QLatin1String("::1") &&
            !v6.captured(1).startsWith(QLatin1String("::ffff:127.")))
            remote << line;
    }
    return remote;
}

} // namespace

class BadMediaTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void badFileShowsAReason_data();
    void badFileShowsAReason();
    void fileVanishedBeforeClick();
    void strangeNamesPlay_data();
    void strangeNamesPlay();
    void arrowKeysThroughTheCorpus();
    void playlistFetchesNothing();
    void playlistChild();
    void unreadableFileAndFolder();
    void unreadableChild();

  private:
    // Shows `folder`, clicks `name` in the file list, waits until the component settles.
    void clickAndSettle(const QString& folder, const QString& name);

    TestMedia media_;
    QTemporaryDir corpus_;
    Heartbeat* heartbeat_ = nullptr;
};

void BadMediaTest::initTestCase() {
    heartbeat_ = showPlayerWithHeartbeat();
    QVERIFY(heartbeat_);
    if (isChild())
        return;
    QVERIFY(media_.isValid());
    QVERIFY(corpus_.isValid());
    const QByteArray clip = readAll(media_.video(1.0));
    QVERIFY(clip.size() > 1000);
    const QString dir = corpus_.path();
    QRandomGenerator random(20261208);
    QByteArray noise(64 * 1024, '\0');
    for (char& byte : noise)
        byte = char(random.bounded(256));
    QVERIFY(listtest::makeFile(dir, "empty.mp4", {}));
    QVERIFY(listtest::makeFile(dir, "notes.txt", "Not a media file.\nSecond line.\n"));
    QVERIFY(listtest::makeFile(dir, "noise.mp4", noise));
    QVERIFY(listtest::makeFile(dir, "cut 10.mp4", clip.left(clip.size() / 10)));
    QVERIFY(listtest::makeFile(dir, "cut 50.mp4", clip.left(clip.size() / 2)));
    QVERIFY(listtest::makeFile(dir, "cut 99.mp4", clip.left(clip.size() * 99 / 100)));
    QVERIFY(listtest::makeFile(dir, "huge header.mp4", hugeFrameMp4(clip)));
    QVERIFY(listtest::makeFile(dir, "huge.y4m",
                               "YUV4MPEG2 W100000 H100000 F25:1 Ip A1:1 C420jpeg\nFRAME\n" +
                                   QByteArray(4096, '\x10')));
    QVERIFY(listtest::makeFile(dir, "huge.bmp", hugeBmp()));
}

void BadMediaTest::clickAndSettle(const QString& folder, const QString& name) {
    frm* window = player();
    runHandler([&] { window->Dir1->setPath(folder); });
    QCOMPARE(window->File1->Path(), folder);
    heartbeat_->reset();
    QVERIFY2(clickFile(window->File1, name), qPrintable(name));
    QCOMPARE(window->File1->FileName(), name);
    QVERIFY2(
        waitSettled(window->WindowsMediaPlayer1, kSettleMs),
        qPrintable(
            QStringLiteral("%1: still in state %2").arg(name).arg(window->WindowsMediaPlayer1->playState())));
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QVERIFY2(heartbeat_->longestGapMs() < 1000, qPrintable(QString::number(heartbeat_->longestGapMs())));
}

void BadMediaTest::badFileShowsAReason_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("mayPlay"); // a file cut near its end can still be playable
    QTest::newRow("zero bytes") << "empty.mp4" << false;
    QTest::newRow("text") << "notes.txt" << false;
    QTest::newRow("random bytes") << "noise.mp4" << false;
    QTest::newRow("cut at 10%") << "cut 10.mp4" << false;
    QTest::newRow("cut at 50%") << "cut 50.mp4" << false;
    QTest::newRow("cut at 99%") << "cut 99.mp4" << true;
    QTest::newRow("huge frame in mp4") << "huge header.mp4" << true;
    QTest::newRow("huge frame in y4m") << "huge.y4m" << false;
    QTest::newRow("huge frame in bmp") << "huge.bmp" << true; // shown as a picture in some runs
}

void BadMediaTest::badFileShowsAReason() {
    QFETCH(QString, name);
    QFETCH(bool, mayPlay);
    clickAndSettle(corpus_.path(), name);
    MediaPlayer* component = player()->WindowsMediaPlayer1;
    const int state = component->playState();
    if (state == 10) {
        QVERIFY2(component->statusText().startsWith(QStringLiteral("Cannot play")),
                 qPrintable(component->statusText()));
    } else {
        QVERIFY2(mayPlay, qPrintable(QStringLiteral("%1 played (state %2, status \"%3\")")
                                         .arg(name)
                                         .arg(state)
                                         .arg(component->statusText())));
    }
    // Still answering: another, good file plays afterwards.
    QVERIFY(player()->isVisible());
}

void BadMediaTest::fileVanishedBeforeClick() {
    QTemporaryDir dir;
    QVERIFY(QFile::copy(media_.video(1.0), dir.filePath("gone.mp4")));
    frm* window = player();
    runHandler([&] { window->Dir1->setPath(dir.path()); });
    QVERIFY(rowOf(window->File1, "gone.mp4") >= 0);
    QVERIFY(QFile::remove(dir.filePath("gone.mp4")));
    QVERIFY(clickFile(window->File1, "gone.mp4"));
    QVERIFY(waitSettled(window->WindowsMediaPlayer1, kSettleMs));
    QCOMPARE(window->WindowsMediaPlayer1->playState(), 10);
    QVERIFY2(window->WindowsMediaPlayer1->statusText().contains(QStringLiteral("No such file")),
             qPrintable(window->WindowsMediaPlayer1->statusText()));
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

void BadMediaTest::strangeNamesPlay_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("spaces") << QByteArray("  two  spaces .mp4");
    QTest::newRow("quotes") << QByteArray("it's \"quoted\".mp4");
    QTest::newRow("backslash") << QByteArray("back\\slash\\.mp4");
    QTest::newRow("leading dash") << QByteArray("-leading dash.mp4");
    QTest::newRow("option-like") << QByteArray("--help.mp4");
    QTest::newRow("newline") << QByteArray("new\nline.mp4");
    QTest::newRow("right to left") << QByteArray("\xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d \xe2\x80\xae"
                                                 "evil.mp4");
    QTest::newRow("emoji") << QByteArray("\xf0\x9f\x8e\xac clip.mp4");
    QTest::newRow("invalid UTF-8") << QByteArray("bad \xff\xfe byte.mp4");
    QTest::newRow("protocol-like") << QByteArray("http:not a url.mp4");
    QTest::newRow("colon and semicolon") << QByteArray("a:b;c,d.mp4");
}

void BadMediaTest::strangeNamesPlay() {
    QFETCH(QByteArray, name);
    QTemporaryDir dir;
    QVERIFY(listtest::makeFile(dir.path(), name, readAll(media_.video(1.0))));
    clickAndSettle(dir.path(), fsDecodeName(name));
    MediaPlayer* component = player()->WindowsMediaPlayer1;
    QVERIFY2(component->playState() == 3 || component->playState() == 8 || component->playState() == 1,
             qPrintable(QStringLiteral("state %1, status \"%2\"")
                            .arg(component->playState())
                            .arg(component->statusText())));
}

// Down and up through the whole corpus, faster than files open, then a good file still plays.
void BadMediaTest::arrowKeysThroughTheCorpus() {
    frm* window = player();
    QVERIFY(QFile::copy(media_.video(1.0), corpus_.filePath("zz good.mp4")));
    runHandler([&] { window->Dir1->setPath(corpus_.path()); });
    QVERIFY(clickRow(window->File1, 0));
    heartbeat_->reset();
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 12; ++i)
            QTest::keyClick(window->File1, Qt::Key_Down);
        for (int i = 0; i < 12; ++i)
            QTest::keyClick(window->File1, Qt::Key_Up);
    }
    QSignalSpy changes(window->WindowsMediaPlayer1, &MediaPlayer::PlayStateChange);
    QVERIFY(clickFile(window->File1, "zz good.mp4"));
    QTRY_VERIFY_WITH_TIMEOUT(states(changes).contains(3), kSettleMs); // the short clip may be over already
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QVERIFY(heartbeat_->longestGapMs() < 1000);
    QVERIFY(QFile::remove(corpus_.filePath("zz good.mp4")));
}

void BadMediaTest::playlistFetchesNothing() {
    if (isChild())
        QSKIP("the parent's half");
    if (QStandardPaths::findExecutable(QStringLiteral("strace")).isEmpty())
        QSKIP("strace is not installed");
    QTemporaryDir dir;
    QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0);
    QFile playlist(dir.filePath("list.m3u"));
    QVERIFY(playlist.open(QIODevice::WriteOnly));
    playlist.write("#EXTM3U\n"
                   "missing one.mp4\n"
                   "/no/such/folder/two.mp4\n"
                   "http://192.0.2.1/remote.mp4\n"
                   "https://198.51.100.7:8443/remote.webm\n"
                   "http://tolvane-test.invalid/by-name.mp4\n"
                   "rtsp://203.0.113.9/stream\n"
                   "ftp://[2001:db8::1]/file.mp3\n");
    playlist.close();
    const QString log = dir.filePath("strace.log");
    QByteArray output;
    const int code = runChild({"strace", "-f", "-qq", "-e", "trace=connect,sendto,sendmsg", "-o", log},
                              "playlistChild", dir.path(), &output, 90000);
    QVERIFY2(code == 0, output.constData());
    QFile traced(log);
    QVERIFY(traced.open(QIODevice::ReadOnly));
    const QByteArray trace = traced.readAll();
    QVERIFY2(trace.contains("connect("), "strace saw no connect at all: the display socket is missing");
    const QStringList remote = remoteConnects(trace);
    QVERIFY2(remote.isEmpty(), qPrintable(remote.join(QLatin1Char('\n'))));
}

// In the child: click the playlist and give the core time to try every entry.
void BadMediaTest::playlistChild() {
    if (!isChild())
        QSKIP("runs in a child of playlistFetchesNothing");
    frm* window = player();
    MediaPlayer* component = window->WindowsMediaPlayer1;
    runHandler([&] { window->Dir1->setPath(childDir()); });
    QVERIFY(clickFile(window->File1, "list.m3u"));
    QTest::qWait(4000);
    QVERIFY(waitSettled(component, kSettleMs));
    QCOMPARE(component->playState(), 10);
    QVERIFY2(component->statusText().startsWith(QStringLiteral("Cannot play")),
             qPrintable(component->statusText()));
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

void BadMediaTest::unreadableFileAndFolder() {
    if (isChild())
        QSKIP("the parent's half");
    QTemporaryDir dir;
    const QString path = dir.path();
    QVERIFY(::chmod(QFile::encodeName(path).constData(), 0755) == 0);
    QVERIFY(QFile::copy(media_.video(1.0), dir.filePath("secret.mp4")));
    QVERIFY(::chmod(QFile::encodeName(dir.filePath("secret.mp4")).constData(), 0) == 0);
    QVERIFY(QDir(path).mkdir("closed.mp4"));
    QVERIFY(QFile::copy(media_.video(1.0), dir.filePath("closed.mp4/inside.mp4")));
    QVERIFY(::chmod(QFile::encodeName(dir.filePath("closed.mp4")).constData(), 0) == 0);
    QByteArray output;
    const int code = runChild(::geteuid() == 0 ? unprivileged : QStringList{QStringLiteral("env")},
                              "unreadableChild", path, &output);
    QVERIFY2(code == 0, output.constData());
}

void BadMediaTest::unreadableChild() {
    if (!isChild())
        QSKIP("runs in a child of unreadableFileAndFolder");
    frm* window = player();
    MediaPlayer* component = window->WindowsMediaPlayer1;
    clickAndSettle(childDir(), "secret.mp4");
    QCOMPARE(component->playState(), 10);
    QVERIFY2(component->statusText().contains(QStringLiteral("Permission denied")),
             qPrintable(component->statusText()));
    // The folder is refused with the run-time error report, and the list stays where it was.
    QStringList reports;
    QTimer answer;
    connect(&answer, &QTimer::timeout, this, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            reports << box->text();
            box->done(QMessageBox::Ok);
        }
    });
    answer.start(10);
    runHandler([&] { window->Dir1->setPath(childDir() + QStringLiteral("/closed.mp4")); });
    QCOMPARE(reports.size(), 1);
    QCOMPARE(window->Dir1->Path(), childDir());
    // A folder handed to the component itself is a file it cannot play.
    component->setURL(childDir() + QStringLiteral("/closed.mp4"));
    QVERIFY(waitSettled(component, kSettleMs));
    QCOMPARE(component->playState(), 10);
    QVERIFY(!component->statusText().isEmpty());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

TOLVANE_TEST_MAIN(BadMediaTest)
#include "test_bad_media.moc"
