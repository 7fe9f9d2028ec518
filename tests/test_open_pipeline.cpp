// The road of a pick on its own: scripts of what the engine tells the pipeline, and what it answers. No
// libmpv, no windows.

#include "engine/open_pipeline.h"

#include <QtTest>

namespace {

QList<OpenItem> itemsOf(int count) {
    QList<OpenItem> items;
    for (int i = 0; i < count; ++i) {
        OpenItem item;
        item.path = QStringLiteral("/media/clip%1.mp4").arg(i);
        items << item;
    }
    return items;
}

QString batchText(const OpenPipeline::Batch& batch) {
    return batch.isEmpty() ? QStringLiteral("-") : QStringLiteral("%1-%2").arg(batch.first).arg(batch.end);
}

// Runs a script ("pick", "late /mnt/share", "begin 3", "arrive", ...) and records what each step answers,
// then the stages, the place waited for and whether the open bound runs.
struct Script {
    OpenPipeline pipeline;
    QStringList answers;
    QList<uint64_t> picks;
    uint64_t reply = 0;

    QString run(const QString& script) {
        for (const QString& step : script.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const QStringList w = step.trimmed().split(QLatin1Char(' '));
            const QString answer = apply(w[0], w.value(1));
            if (!answer.isEmpty())
                answers << w[0] + QLatin1Char(':') + answer;
        }
        static const char* const pickNames[] = {"none", "planning", "waiting"};
        static const char* const loadNames[] = {"idle", "target", "loading", "opened"};
        return answers.join(QLatin1Char(' ')) +
               QStringLiteral(" | %1 %2 %3%4")
                   .arg(QLatin1String(pickNames[int(pipeline.pick())]),
                        QLatin1String(loadNames[int(pipeline.load())]),
                        pipeline.boundRunning() ? QStringLiteral("bound") : QStringLiteral("free"),
                        pipeline.waitingFor().isEmpty() ? QString()
                                                        : QLatin1Char(' ') + pipeline.waitingFor());
    }

    static QString yes(bool value) { return value ? QStringLiteral("yes") : QStringLiteral("no"); }

    QString apply(const QString& word, const QString& arg) {
        OpenPipeline& p = pipeline;
        if (word == "pick")
            picks << p.startPick();
        else if (word == "current") // is the first, or the last, pick's plan still followed?
            return yes(p.isCurrent(arg == "first" ? picks.first() : picks.last()));
        else if (word == "late")
            p.planLate(arg);
        else if (word == "end")
            return yes(p.endPick());
        else if (word == "begin")
            return yes(p.begin(itemsOf(arg.toInt())));
        else if (word == "again")
            return yes(p.again());
        else if (word == "load" || word == "next") {
            const OpenPipeline::Batch batch = word == "load" ? p.startLoad(-1) : p.nextBatch();
            reply = batch.isEmpty() ? reply : batch.reply;
            return batchText(batch);
        } else if (word == "ours")
            return yes(p.isOurReply(reply));
        else if (word == "drop")
            p.dropAnswers();
        else if (word == "entry")
            p.entryStarted();
        else if (word == "loaded")
            p.fileLoaded();
        else if (word == "frame")
            p.firstFrame();
        else if (word == "wait")
            QTest::qWait(arg.toInt());
        else if (word == "left") // of the bound: all of it, or what the wait before left
            return p.boundLeftMs() > OpenPipeline::kOpenTimeoutMs - 100 ? QStringLiteral("all")
                                                                        : QStringLiteral("less");
        else if (word == "close")
            p.close();
        else if (word == "forget")
            p.forget();
        else if (word == "arrive") { // with a file open, unless "arrive empty"
            static const char* const names[] = {"nothing", "load", "reopen"};
            return QLatin1String(names[int(p.targetArrived(arg != "empty"))]);
        } else if (word == "lose") // "lose video": a video was shown with it
            p.targetLost(arg == "video");
        else if (word == "gone")
            p.targetsGone();
        else if (word == "noGL")
            return yes(p.targetUnavailable());
        else if (word == "fail")
            p.noteFailure(OpenError::UnknownFormat, QStringLiteral("unknown"));
        else if (word == "refused")
            p.noteVideoRefused();
        else if (word == "take") {
            const std::optional<OpenPipeline::Failure> f = p.takeFailure();
            return !f ? QStringLiteral("none") : f->videoRefused ? QStringLiteral("refused") : f->text;
        } else
            qFatal("unknown step %s", qPrintable(word));
        return {};
    }
};

} // namespace

class OpenPipelineTest : public QObject {
    Q_OBJECT
  private slots:
    void scripts_data();
    void scripts();
};

void OpenPipelineTest::scripts_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("expected");
    // The first file: the load waits for somewhere to draw, then goes; the bound runs until its first frame.
    QTest::newRow("first file") << "pick, end, begin 1, arrive, load, loaded, frame"
                                << "end:no begin:no arrive:load load:0-1 | none opened free";
    QTest::newRow("somewhere to draw already")
        << "arrive empty, pick, end, begin 1, load"
        << "arrive:nothing end:no begin:yes load:0-1 | none loading bound";
    // A long list goes in batches, each once the answers to the one before are in.
    QTest::newRow("batches") << "arrive empty, begin 600, load, next, next, next"
                             << "arrive:nothing begin:yes load:0-250 next:250-500 next:500-600 next:- | "
                                "none loading bound";
    QTest::newRow("no batch while waiting to draw") << "begin 600, next"
                                                    << "begin:no next:- | none target free";
    QTest::newRow("no batch once closed") << "arrive empty, begin 600, load, close, next"
                                          << "arrive:nothing begin:yes load:0-250 next:- | none idle free";
    // A plan that is late: the pick waits for its place, bounded; the place clears when it ends.
    QTest::newRow("late plan") << "pick, late /mnt/share"
                               << " | waiting idle bound /mnt/share";
    QTest::newRow("late plan ends") << "pick, late /mnt/share, end"
                                    << "end:yes | none idle bound";
    QTest::newRow("late plan drops the load before")
        << "arrive empty, begin 3, load, pick, late /mnt/share, next"
        << "arrive:nothing begin:yes load:0-3 next:- | waiting idle bound /mnt/share";
    // Only the newest pick's plan is followed; a stop or failure (end) leaves none to follow.
    QTest::newRow("newer pick") << "pick, pick, current first, current last"
                                << "current:no current:yes | planning idle free";
    QTest::newRow("pick given up") << "pick, end, current last"
                                   << "end:no current:no | none idle free";
    // Answers to an older load, or to one given up, change nothing.
    QTest::newRow("answers of this load")
        << "arrive empty, begin 1, load, ours"
        << "arrive:nothing begin:yes load:0-1 ours:yes | none loading bound";
    QTest::newRow("answers dropped") << "arrive empty, begin 1, load, drop, ours"
                                     << "arrive:nothing begin:yes load:0-1 ours:no | none loading bound";
    QTest::newRow("answers of a load before")
        << "arrive empty, begin 1, load, begin 1, load, drop, load, ours"
        << "arrive:nothing begin:yes load:0-1 begin:yes load:0-1 load:0-1 "
           "ours:yes | none loading bound";
    // The next entry of a list gets the same time to open as the first.
    QTest::newRow("next entry") << "arrive empty, begin 2, load, loaded, entry"
                                << "arrive:nothing begin:yes load:0-2 | none loading bound";
    // No OpenGL: a load that waited goes on without; on a fresh core it goes at once.
    QTest::newRow("no OpenGL") << "begin 1, noGL"
                               << "begin:no noGL:yes | none target free";
    QTest::newRow("no OpenGL, then a fresh core") << "noGL, begin 1, again"
                                                  << "noGL:no begin:no again:yes | none target free";
    QTest::newRow("fresh core keeps the bound")
        << "arrive empty, begin 1, load, wait 300, gone, again, load, entry, left"
        << "arrive:nothing begin:yes load:0-1 again:no load:0-1 left:less | "
           "none loading bound";
    QTest::newRow("fresh core waits to draw") << "arrive empty, gone, begin 1, again"
                                              << "arrive:nothing begin:no again:no | none target free";
    // The render target went with a video open: the file opens again once one comes back.
    QTest::newRow("video reopened") << "arrive empty, begin 1, load, lose video, arrive"
                                    << "arrive:nothing begin:yes load:0-1 arrive:reopen | none loading bound";
    QTest::newRow("audio not reopened")
        << "arrive empty, begin 1, load, lose audio, arrive"
        << "arrive:nothing begin:yes load:0-1 arrive:nothing | none loading bound";
    QTest::newRow("nothing to reopen") << "arrive empty, lose video, arrive empty"
                                       << "arrive:nothing arrive:nothing | none idle free";
    // A failure waits for its explanation, once; a video refused for want of OpenGL says so.
    QTest::newRow("failure") << "fail, take, take"
                             << "take:unknown take:none | none idle free";
    QTest::newRow("video refused") << "refused, fail, take"
                                   << "take:refused | none idle free";
    QTest::newRow("failure after a stop") << "fail, close, take"
                                          << "take:none | none idle free";
    QTest::newRow("failure on a new load") << "fail, begin 1, take"
                                           << "begin:no take:none | none target free";
    QTest::newRow("refusal forgets the items")
        << "arrive empty, begin 2, load, forget, ours, again, load"
        << "arrive:nothing begin:yes load:0-2 ours:no again:yes load:- | "
           "none loading bound";
}

void OpenPipelineTest::scripts() {
    QFETCH(QString, script);
    QFETCH(QString, expected);
    Script run;
    QCOMPARE(run.run(script), expected);
}

QTEST_GUILESS_MAIN(OpenPipelineTest)
#include "test_open_pipeline.moc"
