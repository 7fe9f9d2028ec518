// The play state and the failure text on their own: scripts of engine events in, playState numbers and
// controls out. No libmpv, no windows.

#include "engine/failure_text.h"
#include "engine/play_state.h"

#include <QtTest>

namespace {

// Runs one script word by word ("open", "entry 1", "start 1", "eof 1", "redirect 1 5 2", ...) and records
// the playState number after each, plus the last verdict of a file end.
struct Script {
    PlayState state;
    QList<int> numbers;
    QString verdict;

    void run(const QString& script) {
        for (const QString& step : script.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const QStringList w = step.trimmed().split(QLatin1Char(' '));
            const int64_t n = w.size() > 1 ? w[1].toLongLong() : -1;
            apply(w, n);
            numbers << state.number();
        }
    }

    void apply(const QStringList& w, int64_t n) {
        const QString& word = w[0];
        if (word == "open" || word == "openPaused")
            state.open(word == "open");
        else if (word == "entry")
            state.addEntry(n);
        else if (word == "start")
            state.fileStarted(n);
        else if (word == "loaded")
            state.fileLoaded();
        else if (word == "frame")
            state.firstFrame();
        else if (word == "eof" || word == "error" || word == "stopped" || word == "redirect")
            end(word, n, w);
        else if (word == "settle")
            state.settleEnd();
        else if (word == "fail")
            state.fail();
        else if (word == "play")
            state.play();
        else if (word == "pause")
            state.pause();
        else if (word == "stop")
            state.stop();
        else if (word == "forward" || word == "reverse")
            state.scan(word == "forward" ? PlayState::Scan::Forward : PlayState::Scan::Reverse);
        else if (word == "stall" || word == "unstall")
            state.cacheStalled(word == "stall");
        else if (word == "ourPause")
            state.ourPauseWrite();
        else if (word == "corePlays")
            state.corePaused(false);
        else if (word == "lost")
            state.renderTargetLost();
        else if (word == "place") // place CHAPTER CHAPTERS ENTRY ENTRIES [past]
            state.setPlace(
                {int(n), w.value(2).toInt(), w.value(3).toInt(), w.value(4).toInt(), w.value(5) == "past"});
        else if (word == "skip")
            state.skipEntry();
        else
            QFAIL(qPrintable("unknown step " + word));
    }

    void end(const QString& word, int64_t entry, const QStringList& w) {
        FileEnd e;
        e.entry = entry;
        e.reason = word == "eof"       ? FileEnd::Reason::Eof
                   : word == "error"   ? FileEnd::Reason::Error
                   : word == "stopped" ? FileEnd::Reason::Stop
                                       : FileEnd::Reason::Redirect;
        if (e.reason == FileEnd::Reason::Redirect) {
            e.insertedId = w.value(2).toLongLong();
            e.insertedCount = w.value(3).toInt();
        }
        static const char* names[] = {"ignored", "ended", "failed", "goes on"};
        verdict = QLatin1String(names[int(state.fileEnded(e))]);
    }
};

// The controls as a short text: what the play/pause control does (or "-" when off), then the others on.
QString describe(const PlayState::Controls& c) {
    QStringList on;
    on << (!c.playPause   ? QStringLiteral("-")
           : c.showsPause ? QStringLiteral("pause")
                          : QStringLiteral("play"));
    if (c.stop)
        on << QStringLiteral("stop");
    if (c.scan)
        on << QStringLiteral("scan");
    if (c.seek)
        on << QStringLiteral("seek");
    if (c.previous)
        on << QStringLiteral("previous");
    if (c.next)
        on << QStringLiteral("next");
    return on.join(QLatin1Char(' '));
}

} // namespace

class PlayStateTest : public QObject {
    Q_OBJECT
  private slots:
    void scripts_data();
    void scripts();
    void previousAndNext_data();
    void previousAndNext();
    void failureText_data();
    void failureText();
};

void PlayStateTest::scripts_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QList<int>>("numbers");
    QTest::addColumn<QString>("controls"); // after the last step
    QTest::addColumn<QString>("verdict");  // of the last file end in the script

    const QString playing = "open, entry 1, start 1, loaded, frame";
    QTest::newRow("nothing yet") << "" << QList<int>{} << "-"
                                 << "";
    QTest::newRow("opens and plays") << playing << QList<int>{9, 9, 9, 9, 3} << "pause stop scan seek"
                                     << "";
    // While a file opens to play, the one control pauses it (and says so).
    QTest::newRow("opening offers pause") << "open, entry 1" << QList<int>{9, 9} << "pause stop scan"
                                          << "";
    QTest::newRow("pause while opening") << "open, pause, entry 1, start 1, loaded, frame"
                                         << QList<int>{9, 9, 9, 9, 2, 2} << "play stop scan seek"
                                         << "";
    // autoStart off: it opens to Ready, and the control plays.
    QTest::newRow("autoStart off") << "openPaused, entry 1, start 1, loaded" << QList<int>{9, 9, 9, 10}
                                   << "play stop scan seek"
                                   << "";
    QTest::newRow("autoStart off, play") << "openPaused, entry 1, start 1, loaded, frame, play"
                                         << QList<int>{9, 9, 9, 10, 10, 3} << "pause stop scan seek"
                                         << "";
    QTest::newRow("end of media") << playing + ", eof 1, settle" << QList<int>{9, 9, 9, 9, 3, 8, 1} << "play"
                                  << "ended";
    QTest::newRow("cannot be played")
        << "open, entry 1, start 1, error 1, fail" << QList<int>{9, 9, 9, 9, 10} << "play"
        << "failed";
    // A playlist whose first entry fails and whose second plays shows what plays, and Stop works.
    QTest::newRow("first entry fails, second plays")
        << "open, entry 1, entry 2, start 1, error 1, start 2, loaded, frame"
        << QList<int>{9, 9, 9, 9, 9, 9, 9, 3} << "pause stop scan seek"
        << "goes on";
    QTest::newRow("every entry fails") << "open, entry 1, entry 2, start 1, error 1, start 2, error 2"
                                       << QList<int>{9, 9, 9, 9, 9, 9, 9} << "pause stop scan"
                                       << "failed";
    QTest::newRow("playlist file goes on after its first entry")
        << "open, entry 1, start 1, redirect 1 5 2, start 5, loaded, frame, eof 5, settle, start 6, loaded, "
           "frame"
        << QList<int>{9, 9, 9, 9, 9, 9, 3, 8, 1, 9, 9, 3} << "pause stop scan seek"
        << "ended";
    QTest::newRow("empty playlist file")
        << "open, entry 1, start 1, redirect 1 0 0" << QList<int>{9, 9, 9, 9} << "pause stop scan"
        << "failed";
    // The news of a replaced file changes nothing.
    QTest::newRow("replaced file") << playing + ", open, eof 1, loaded, frame"
                                   << QList<int>{9, 9, 9, 9, 3, 9, 9, 9, 9} << "pause stop scan"
                                   << "ignored";
    QTest::newRow("stop") << playing + ", stop, eof 1" << QList<int>{9, 9, 9, 9, 3, 1, 1} << "play"
                          << "ignored";
    QTest::newRow("stop before anything") << "stop" << QList<int>{0} << "-"
                                          << "";
    QTest::newRow("scans") << playing + ", forward, reverse, play" << QList<int>{9, 9, 9, 9, 3, 4, 5, 3}
                           << "pause stop scan seek"
                           << "";
    QTest::newRow("pause ends a scan")
        << playing + ", reverse, pause" << QList<int>{9, 9, 9, 9, 3, 5, 2} << "play stop scan seek"
        << "";
    QTest::newRow("buffering") << playing + ", stall, unstall" << QList<int>{9, 9, 9, 9, 3, 6, 3}
                               << "pause stop scan seek"
                               << "";
    // The core's pause value lags behind our own writes until they are answered.
    QTest::newRow("our pause write pending") << playing + ", pause, ourPause, corePlays"
                                             << QList<int>{9, 9, 9, 9, 3, 2, 2, 2} << "play stop scan seek"
                                             << "";
    // Previous or Next to another entry opens it as the list goes on, paused or not.
    QTest::newRow("skip to another entry")
        << playing + ", entry 2, skip, start 2, loaded, frame" << QList<int>{9, 9, 9, 9, 3, 3, 9, 9, 9, 3}
        << "pause stop scan seek"
        << "";
    QTest::newRow("skip while paused") << playing + ", entry 2, pause, skip, start 2, loaded, frame"
                                       << QList<int>{9, 9, 9, 9, 3, 3, 2, 9, 9, 2, 2} << "play stop scan seek"
                                       << "";
    // Losing the render target ends a video-only file with an error that is not the file's fault.
    QTest::newRow("render target lost")
        << playing + ", lost, error 1" << QList<int>{9, 9, 9, 9, 3, 3, 3} << "pause stop scan seek"
        << "ignored";
}

// Previous and Next: enabled only where there is somewhere to go, and only with a file loaded or opening.
void PlayStateTest::previousAndNext_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("controls");
    const QString playing = "open, entry 1, start 1, loaded, frame, ";
    const QString on = "pause stop scan seek";
    QTest::newRow("one file, at its start") << playing + "place -1 0 0 1" << on;
    QTest::newRow("one file, past 3 s") << playing + "place -1 0 0 1 past" << on + " previous";
    QTest::newRow("first chapter of three") << playing + "place 0 3 0 1" << on + " next";
    QTest::newRow("middle chapter") << playing + "place 1 3 0 1" << on + " previous next";
    QTest::newRow("last chapter, last entry") << playing + "place 2 3 0 1" << on + " previous";
    QTest::newRow("last chapter, an entry follows") << playing + "place 2 3 0 2" << on + " previous next";
    QTest::newRow("first entry of three") << playing + "place -1 0 0 3" << on + " next";
    QTest::newRow("last entry of three") << playing + "place -1 0 2 3" << on + " previous";
    QTest::newRow("while opening") << "open, entry 1, place -1 0 0 3"
                                   << "pause stop scan next";
    QTest::newRow("stopped") << playing + "place 1 3 1 3, stop"
                             << "play";
    QTest::newRow("ended") << playing + "place 1 3 1 3, eof 1, settle"
                           << "play";
    QTest::newRow("failed") << "open, entry 1, place -1 0 0 3, fail"
                            << "play";
}

void PlayStateTest::previousAndNext() {
    QFETCH(QString, script);
    QFETCH(QString, controls);
    Script s;
    s.run(script);
    QCOMPARE(describe(s.state.controls()), controls);
}

void PlayStateTest::scripts() {
    QFETCH(QString, script);
    QFETCH(QList<int>, numbers);
    QFETCH(QString, controls);
    QFETCH(QString, verdict);
    Script s;
    s.run(script);
    QCOMPARE(s.numbers, numbers);
    QCOMPARE(describe(s.state.controls()), controls);
    QCOMPARE(s.verdict, verdict);
}

void PlayStateTest::failureText_data() {
    QTest::addColumn<QString>("url");
    QTest::addColumn<QStringList>("log"); // prefix|level|line
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("text");
    QTest::newRow("missing file")
        << "/media/a b.mp4"
        << QStringList{"file|error|Cannot open file '/media/a b.mp4': No such file or "
                       "directory"}
        << int(OpenError::LoadingFailed) << "Cannot play a b.mp4: No such file or directory";
    QTest::newRow("demuxer detail") << "/m/cut.mp4"
                                    << QStringList{"ffmpeg/demuxer|error|mov,mp4: moov atom not found"}
                                    << int(OpenError::UnknownFormat)
                                    << "Cannot play cut.mp4: unrecognized file format (moov atom not found)";
    QTest::newRow("warnings say nothing")
        << "/m/t.txt" << QStringList{"file|warn|Cannot open file 'x': busy"} << int(OpenError::UnknownFormat)
        << "Cannot play t.txt: unrecognized file format";
    QTest::newRow("nothing to play") << "file:///m/x.m3u" << QStringList{} << int(OpenError::NothingToPlay)
                                     << "Cannot play x.m3u: no audio or video to play";
    QTest::newRow("remote address whole")
        << "http://h/x.mp4" << QStringList{} << int(OpenError::Other) << "Cannot play http://h/x.mp4: boom";
}

void PlayStateTest::failureText() {
    QFETCH(QString, url);
    QFETCH(QStringList, log);
    QFETCH(int, error);
    QFETCH(QString, text);
    FailureText failure;
    failure.noteLogLine("file", "error", QStringLiteral("Cannot open file 'old': of a file before"));
    failure.clear(); // a new file forgets what the last one noted
    for (const QString& entry : log) {
        const QStringList parts = entry.split(QLatin1Char('|'));
        failure.noteLogLine(parts[0].toUtf8().constData(), parts[1].toUtf8().constData(), parts[2]);
    }
    QCOMPARE(failure.describe(url, OpenError(error), QStringLiteral("boom")), text);
}

QTEST_APPLESS_MAIN(PlayStateTest)
#include "test_play_state.moc"
