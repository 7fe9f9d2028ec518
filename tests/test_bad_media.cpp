// Bad input through the real player window: each file is clicked in the real file list and handed to the
// real component. The program must stay alive and answering, show no dialog, and name the reason in the
// component's status text; files with strange names must play.

#include "toolkit/error_report.h"
#include "toolkit/fs_names.h"
#include "list_test_helpers.h"
#include "player/media_engine.h"
#include "player/transport_bar.h"
#include "support/play_states.h"
#include "support/process_probe.h"
#include "support/session.h"
#include "support/test_main.h"
#include "support/test_media.h"

#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <fcntl.h>
#include <sys/inotify.h>
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

// The names of the files in a folder that anyone opened while it lives.
class OpenedFiles {
  public:
    explicit OpenedFiles(const QString& folder) : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        inotify_add_watch(fd_, QFile::encodeName(folder).constData(), IN_OPEN);
    }
    ~OpenedFiles() { ::close(fd_); }
    QStringList names() {
        alignas(inotify_event) char buffer[64 * 1024];
        for (ssize_t n; (n = ::read(fd_, buffer, sizeof buffer)) > 0;)
            for (char* at = buffer; at < buffer + n;) {
                const auto* event = reinterpret_cast<inotify_event*>(at);
                if (event->len > 0)
                    names_ << QString::fromLocal8Bit(event->name);
                at += sizeof(inotify_event) + event->len;
            }
        return names_;
    }

  private:
    int fd_;
    QStringList names_;
};

bool run(const QString& program, const QStringList& arguments, const QString& folder) {
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    return process.waitForFinished(120000) && process.exitCode() == 0;
}

// A subtitle of `cues` one-second cues, for the size limit.
QByteArray manyCues(int cues) {
    QByteArray srt;
    for (int i = 0; i < cues; ++i)
        srt += QByteArray::number(i + 1) + "\n00:00:0" + QByteArray::number(i % 9) + ",000 --> 00:00:0" +
               QByteArray::number(i % 9 + 1) + ",000\nA line of subtitle text that takes some room.\n\n";
    return srt;
}

// Sixty layers of text on screen at once, each with a wide blur, border and rotation.
QByteArray heavyAss() {
    QByteArray ass = "[Script Info]\nScriptType: v4.00+\nPlayResX: 1920\nPlayResY: 1080\n\n[V4+ Styles]\n"
                     "Format: Name, Fontname, Fontsize, PrimaryColour, Outline, Shadow\n"
                     "Style: Default,DejaVu Sans,180,&H00FFFFFF,30,20\n\n[Events]\n"
                     "Format: Layer, Start, End, Style, Text\n";
    for (int layer = 0; layer < 60; ++layer)
        ass += "Dialogue: " + QByteArray::number(layer) +
               ",0:00:00.00,0:01:00.00,Default,{\\blur40\\bord60"
               "\\frz" +
               QByteArray::number(layer * 6) + "\\fry30}HEAVY SUBTITLE LAYER\n";
    return ass;
}

// An SDP description far enough down that a look at the first bytes does not see it.
QByteArray paddedSdp() {
    QByteArray sdp = "v=0\no=- 0 0 IN IP4 127.0.0.1\ns=padded\nt=0 0\n";
    while (sdp.size() < 80 * 1024)
        sdp += "a=tool:padding padding padding padding padding padding\n";
    return sdp + "c=IN IP4 0.0.0.0\nm=video 5006 RTP/AVP 96\na=rtpmap:96 H264/90000\n";
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
    void hostileFileIsContained_data();
    void hostileFileIsContained();

  private:
    bool makeHostileFolder();
    QTemporaryDir hostile_, aside_; // hostile files; a good clip and a pipe elsewhere
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
    QVERIFY(makeHostileFolder());
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

// Files anyone can leave in a folder, made once: those that need real media or tools; the rest are bytes in
// the table.
bool BadMediaTest::makeHostileFolder() {
    const QString dir = hostile_.path();
    const QByteArray clip = readAll(media_.video(4.0));
    const QString elsewhere = aside_.filePath(QStringLiteral("elsewhere.mp4"));
    QTemporaryDir members;
    for (int i = 0; i < 20000; ++i)
        if (!listtest::makeFile(members.path(), "m" + QByteArray::number(i) + ".mp3", clip.left(64)))
            return false;
    const QString chapters = members.filePath(QStringLiteral("chapters.xml"));
    return QFile::copy(media_.video(4.0), elsewhere) &&
           listtest::makeFile(dir, "broken.mp4", "Not a video.\n") &&
           listtest::makeFile(dir, "broken first.m3u", "broken.mp4\n" + QFile::encodeName(elsewhere)) &&
           listtest::makeFile(dir, "skipped first.m3u",
                              "#EXTM3U\nnot here.mp4\n" + QFile::encodeName(elsewhere)) &&
           listtest::makeFile(dir, "subtitled.mp4", clip) &&
           listtest::makeFile(dir, "subtitled.srt", manyCues(90000)) &&
           listtest::makeFile(dir, "effects.mp4", clip) &&
           listtest::makeFile(dir, "effects.ass", heavyAss()) &&
           listtest::makeFile(dir, "pong.txt", "# mpv EDL v0\nping.edl\n") &&
           ::mkfifo(QFile::encodeName(aside_.filePath("pipe")).constData(), 0644) == 0 &&
           listtest::makeFile(dir, "pipe.m3u", QFile::encodeName(aside_.filePath(QStringLiteral("pipe")))) &&
           QFile::link(QStringLiteral("/proc/kmsg"), hostile_.filePath(QStringLiteral("kmsg.mp4"))) &&
           run(QStringLiteral("zip"), {"-q", "-0", "-r", dir + "/members.zip", "."}, members.path()) &&
           // An edition of ordered chapters that plays a segment of another file of the folder.
           run(QStringLiteral("mkvmerge"),
               {"-q", "-o", "sibling.mkv", "--segment-uid", "0x00112233445566778899aabbccddeeff",
                media_.video(4.0)},
               dir) &&
           listtest::makeFile(
               members.path(), "chapters.xml",
               "<?xml version=\"1.0\"?><Chapters><EditionEntry><EditionFlagOrdered>1"
               "</EditionFlagOrdered><ChapterAtom><ChapterUID>1</ChapterUID><ChapterSegmentUID "
               "format=\"hex\">00112233445566778899aabbccddeeff</ChapterSegmentUID>"
               "<ChapterTimeStart>00:00:00.000</ChapterTimeStart><ChapterTimeEnd>00:00:02.000"
               "</ChapterTimeEnd></ChapterAtom></EditionEntry></Chapters>") &&
           run(QStringLiteral("mkvmerge"),
               {"-q", "-o", "ordered.mkv", "--chapters", chapters, media_.video(4.0)}, dir);
}

void BadMediaTest::hostileFileIsContained_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");  // written before the click; empty: made by makeHostileFolder()
    QTest::addColumn<bool>("plays");        // false: refused, state 10
    QTest::addColumn<QString>("status");    // in the status text
    QTest::addColumn<QString>("notOpened"); // a file of the folder nothing may open
    const QByteArray sdp = "v=0\no=- 0 0 IN IP4 127.0.0.1\ns=x\nc=IN IP4 0.0.0.0\nt=0 0\n"
                           "m=video 5004 RTP/AVP 96\na=rtpmap:96 H264/90000\n";
    QTest::newRow("edit list naming itself")
        << "self.mp4" << QByteArray("# mpv EDL v0\nself.mp4\n") << false << "edit list"
        << "";
    QTest::newRow("edit lists naming each other")
        << "ping.edl" << QByteArray("# mpv EDL v0\npong.txt\n") << false << "edit list"
        << "pong.txt";
    QTest::newRow("SDP named .mp4") << "session.mp4" << sdp << false << "network"
                                    << "";
    QTest::newRow("SDP past the first bytes") << "padded.mp4" << paddedSdp() << false << "Cannot play"
                                              << "";
    QTest::newRow("playlist naming itself")
        << "self.m3u" << QByteArray("#EXTM3U\nself.m3u\n") << false << "names no file"
        << "";
    QTest::newRow("concat list naming itself")
        << "loop.txt" << QByteArray("ffconcat version 1.0\nfile loop.txt\nfile loop.txt\n") << false
        << "concat list"
        << "";
    QTest::newRow("zip of 20000 members") << "members.zip" << QByteArray() << false << "archive"
                                          << "";
    QTest::newRow("playlist, first entry missing") << "skipped first.m3u" << QByteArray() << true << "Playing"
                                                   << "";
    QTest::newRow("playlist, first entry broken") << "broken first.m3u" << QByteArray() << true << "Playing"
                                                  << "";
    QTest::newRow("sidecar SRT over the limit") << "subtitled.mp4" << QByteArray() << true << "not shown"
                                                << "subtitled.srt";
    QTest::newRow("heavy ASS sidecar") << "effects.mp4" << QByteArray() << true << "without its effects"
                                       << "";
    QTest::newRow("ordered chapters") << "ordered.mkv" << QByteArray() << true << "Playing"
                                      << "sibling.mkv";
    QTest::newRow("playlist naming a pipe") << "pipe.m3u" << QByteArray() << false << "names no file"
                                            << "";
    if (::geteuid() == 0) // only root may read it, and a read waits for the next kernel message
        QTest::newRow("link to /proc/kmsg") << "kmsg.mp4" << QByteArray() << false << "system file"
                                            << "";
}

// Every hostile file: the program lives and answers, the state shown is what plays, nothing listens on
// the network, no work goes on afterwards, and what it held comes back.
void BadMediaTest::hostileFileIsContained() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, plays);
    QFETCH(QString, status);
    QFETCH(QString, notOpened);
    MediaPlayer* component = player()->WindowsMediaPlayer1;
    auto clickStop = [&] { QTest::mouseClick(component->transportBar()->stopButton(), Qt::LeftButton); };
    auto playGoodAndStop = [&] {
        QSignalSpy changes(component, &MediaPlayer::PlayStateChange);
        clickAndSettle(aside_.path(), QStringLiteral("elsewhere.mp4"));
        QTRY_VERIFY_WITH_TIMEOUT(states(changes).contains(3), kSettleMs);
        clickStop();
        QCOMPARE(component->playState(), 1);
    };
    playGoodAndStop();
    const int descriptors = probe::openDescriptors(), threads = probe::threads();
    if (!bytes.isEmpty())
        QVERIFY(listtest::makeFile(hostile_.path(), name.toUtf8(), bytes));
    OpenedFiles opened(hostile_.path());
    clickAndSettle(hostile_.path(), name);
    const QString shown = component->statusText();
    QVERIFY2(shown.contains(status), qPrintable(shown));
    if (plays)
        QVERIFY2(component->playState() == 3, qPrintable(shown));
    else
        QVERIFY2(component->playState() == 10 && shown.startsWith(QStringLiteral("Cannot play")),
                 qPrintable(shown));
    // No runaway work: nothing goes on after a refusal, a small clip plays on a tenth of a core, and what a
    // subtitle costs must not take a whole one or stall the UI thread.
    const double before = probe::cpuSeconds();
    QTest::qWait(2000);
    const double busy = probe::cpuSeconds() - before;
    qInfo("%s: %.2f CPU seconds in 2 s, longest UI-thread gap %lld ms", qPrintable(name), busy,
          heartbeat_->longestGapMs());
    QVERIFY2(busy < 1.0, qPrintable(QStringLiteral("%1 CPU seconds in 2 s").arg(busy)));
    QVERIFY2(heartbeat_->longestGapMs() < 1000, qPrintable(QString::number(heartbeat_->longestGapMs())));
    if (plays) {
        clickStop(); // Stop stops, whatever played
        QCOMPARE(component->playState(), 1);
        QTRY_COMPARE(component->engine()->coreProperty("idle-active"), QStringLiteral("yes"));
    }
    QVERIFY2(probe::boundSockets().isEmpty(), qPrintable(probe::boundSockets().join(QLatin1Char('\n'))));
    if (!notOpened.isEmpty())
        QVERIFY2(!opened.names().contains(notOpened), qPrintable(opened.names().join(QLatin1Char(','))));
    // The next pick plays, and what the hostile file took comes back.
    playGoodAndStop();
    QTRY_VERIFY_WITH_TIMEOUT(probe::openDescriptors() <= descriptors + 2 && probe::threads() <= threads + 2,
                             5000);
}

TOLVANE_TEST_MAIN(BadMediaTest)
#include "test_bad_media.moc"
