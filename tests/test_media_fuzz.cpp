// Mutated copies of small valid media files, played one after another through one component instance. No
// crash, no file that keeps the component busy for more than 5 s, and the UI thread answering throughout.
// A failure names the seed and the file; TOLVANE_FUZZ_SEED=<seed> TOLVANE_FUZZ_COUNT=<n> replays a run.

#include "media/media_player.h"
#include "support/session.h"
#include "support/test_main.h"
#include "support/test_media.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

using namespace session;

namespace {

// A small, seeded generator of our own, so a seed gives the same mutations on every machine.
class ByteFlipper {
  public:
    explicit ByteFlipper(quint64 seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
    quint64 next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return state_;
    }
    quint64 below(quint64 bound) { return bound ? next() % bound : 0; }

    // Flips, overwrites, truncates or repeats parts of the bytes.
    QByteArray mutate(QByteArray bytes) {
        if (bytes.isEmpty())
            return bytes;
        const int edits = 1 + int(below(24));
        for (int i = 0; i < edits; ++i) {
            // Headers decide most of what a demuxer does: aim half of the edits at the first 512 bytes.
            const qsizetype span = below(2) ? std::min<qsizetype>(bytes.size(), 512) : bytes.size();
            const qsizetype at = qsizetype(below(quint64(span)));
            switch (below(10)) {
            case 0: // cut the rest off
                bytes.truncate(std::max<qsizetype>(at, 1));
                break;
            case 1: // repeat a piece
                bytes.insert(at,
                             bytes.mid(qsizetype(below(quint64(bytes.size()))), 1 + qsizetype(below(256))));
                break;
            case 2: // an extreme value over four bytes
                for (int k = 0; k < 4 && at + k < bytes.size(); ++k)
                    bytes[at + k] = below(2) ? char(0xff) : char(0x00);
                break;
            default: // flip one bit
                bytes[at] = char(bytes[at] ^ (1 << below(8)));
            }
        }
        return bytes;
    }

  private:
    quint64 state_;
};

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString ffmpeg(const QString& path, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QStringLiteral("ffmpeg"),
                  QStringList{"-nostdin", "-loglevel", "error", "-y"} + arguments + QStringList{path});
    return process.waitForFinished(60000) && process.exitCode() == 0 ? path : QString();
}

} // namespace

class MediaFuzzTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void mutatedFilesPlayOneAfterAnother();

  private:
    TestMedia media_;
    QTemporaryDir work_;
    QList<QPair<QString, QByteArray>> seeds_; // name, valid bytes
};

void MediaFuzzTest::initTestCase() {
    QVERIFY(media_.isValid());
    QVERIFY(work_.isValid());
    const QString dir = work_.path();
    const QString video = QStringLiteral("testsrc2=size=96x72:rate=15:duration=0.5");
    const QString tone = QStringLiteral("sine=frequency=440:duration=0.5");
    const QStringList made{
        media_.video(0.5),
        ffmpeg(dir + "/seed.mkv", {"-f", "lavfi", "-i", video, "-c:v", "libvpx", "-b:v", "100k"}),
        ffmpeg(dir + "/seed.webm", {"-f", "lavfi", "-i", tone, "-c:a", "libopus", "-b:a", "32k"}),
        media_.mp3(0.5),
        media_.wav(0.3),
    };
    for (const QString& path : made) {
        const QByteArray bytes = readAll(path);
        QVERIFY2(bytes.size() > 200, qPrintable(path));
        seeds_.append({QFileInfo(path).suffix(), bytes});
    }
}

void MediaFuzzTest::mutatedFilesPlayOneAfterAnother() {
    const quint64 baseSeed = qEnvironmentVariableIsSet("TOLVANE_FUZZ_SEED")
                                 ? qEnvironmentVariable("TOLVANE_FUZZ_SEED").toULongLong()
                                 : 20261208;
    const int count = qEnvironmentVariableIsSet("TOLVANE_FUZZ_COUNT")
                          ? qEnvironmentVariableIntValue("TOLVANE_FUZZ_COUNT")
                          : 300;
    MediaPlayer component;
    component.resize(320, 300);
    component.show();
    QVERIFY(QTest::qWaitForWindowExposed(&component));
    Heartbeat heartbeat;
    int played = 0, refused = 0;
    qint64 slowest = 0;
    for (int i = 0; i < count; ++i) {
        const quint64 seed = baseSeed + quint64(i);
        const auto& [suffix, valid] = seeds_.at(int(seed % quint64(seeds_.size())));
        ByteFlipper flipper(seed);
        const QString path = work_.filePath(QStringLiteral("mutant %1.%2").arg(seed).arg(suffix));
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(flipper.mutate(valid));
        out.close();
        const QString replay =
            QStringLiteral("seed %1, file %2 (TOLVANE_FUZZ_SEED=%1 TOLVANE_FUZZ_COUNT=1 replays it)")
                .arg(seed)
                .arg(path);
        // Said before playing, so that the log of a crash ends with the file that caused it.
        std::fprintf(stderr, "fuzz: seed %llu, %s\n", seed, qPrintable(path));
        QElapsedTimer clock;
        clock.start();
        heartbeat.reset();
        component.setURL(path);
        // Settled: playing, ended, or ready after a failure.
        while (!settled(&component) && clock.elapsed() < 5000)
            QTest::qWait(5);
        if (!settled(&component) || heartbeat.longestGapMs() > 1500)
            work_.setAutoRemove(false); // keep the file for replaying
        QVERIFY2(settled(&component),
                 qPrintable(
                     QStringLiteral("busy for 5 s in state %1: %2").arg(component.playState()).arg(replay)));
        QVERIFY2(
            heartbeat.longestGapMs() <= 1500,
            qPrintable(
                QStringLiteral("UI thread stalled %1 ms: %2").arg(heartbeat.longestGapMs()).arg(replay)));
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        slowest = std::max(slowest, clock.elapsed());
        (component.playState() == 10 ? refused : played) += 1;
        QFile::remove(path);
    }
    qInfo("%d mutated files from seed %llu: %d played, %d refused with a reason, slowest %lld ms", count,
          baseSeed, played, refused, slowest);
    // The component still plays a good file after all of them.
    component.setURL(media_.video(0.5));
    QTRY_COMPARE_WITH_TIMEOUT(component.playState(), 3, 10000);
}

TOLVANE_TEST_MAIN(MediaFuzzTest)
#include "test_media_fuzz.moc"
