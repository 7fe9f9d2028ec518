#pragma once
// Helpers for tests that drive the real player window as a user does: show a folder, click a file in the
// real file list, wait until the component settles, and watch that the UI thread keeps answering.

#include "toolkit/file_list.h"
#include "toolkit/file_model.h"
#include "toolkit/folder_list.h"
#include "app/window_registry.h"
#include "media/media_player.h"
#include "player/player_window.h"
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>
#include <QtTest>

namespace session {

inline frm* player() {
    return qobject_cast<frm*>(windows().frm.get());
}

// The row of `name` in the file list, -1 if it is not listed.
inline int rowOf(FileList* list, const QString& name) {
    auto* model = qobject_cast<FileModel*>(list->model());
    for (int row = 0; model && row < model->rowCount(); ++row)
        if (model->nameAt(row) == name)
            return row;
    return -1;
}

// A real mouse click on the row, through the list's viewport.
inline bool clickRow(FileList* list, int row) {
    if (row < 0)
        return false;
    const QModelIndex index = list->model()->index(row, 0);
    list->scrollTo(index);
    const QRect rect = list->visualRect(index);
    if (!rect.isValid())
        return false;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    return true;
}

inline bool clickFile(FileList* list, const QString& name) {
    return clickRow(list, rowOf(list, name));
}

// The component has settled: playing, ended or stopped, or ready after a failure.
inline bool settled(MediaPlayer* player) {
    const int state = player->playState();
    return state == 3 || state == 1 || state == 8 || state == 10;
}

// Waits until the component settles; false after `timeoutMs`.
inline bool waitSettled(MediaPlayer* player, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!settled(player)) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QTest::qWait(10);
    }
    return true;
}

// Measures the longest gap between ticks of a 20 ms timer on the UI thread.
class Heartbeat : public QObject {
  public:
    Heartbeat() {
        connect(&timer_, &QTimer::timeout, this, [this] { longest_ = std::max(longest_, clock_.restart()); });
        clock_.start();
        timer_.start(20);
    }
    qint64 longestGapMs() const { return std::max(longest_, clock_.elapsed()); }
    void reset() {
        longest_ = 0;
        clock_.restart();
    }

  private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 longest_ = 0;
};

// Shows the player window and starts a heartbeat on the UI thread; null if the window never came up.
inline Heartbeat* showPlayerWithHeartbeat() {
    showWindow(windows().frm);
    return QTest::qWaitForWindowExposed(player()) ? new Heartbeat : nullptr;
}

// True in a copy of this program started by runChild.
inline bool isChild() {
    return qEnvironmentVariableIsSet("TOLVANE_CHILD_DIR");
}
inline QString childDir() {
    return qEnvironmentVariable("TOLVANE_CHILD_DIR");
}

// Runs one test function of this program again in a child, with `dir` handed over, optionally under
// the commands in `prefix` (setpriv, strace). Returns the child's exit code, -1 if it crashed or hung.
inline int runChild(const QStringList& prefix, const QString& function, const QString& dir,
                    QByteArray* output = nullptr, int timeoutMs = 60000) {
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TOLVANE_CHILD_DIR"), dir);
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR")); // the parent's is not the child user's
    if (prefix.contains(QStringLiteral("strace")))         // the leak checker cannot stop a traced process
        environment.insert(QStringLiteral("ASAN_OPTIONS"), environment.value(QStringLiteral("ASAN_OPTIONS")) +
                                                               QStringLiteral(":detect_leaks=0"));
    child.setProcessEnvironment(environment);
    child.setWorkingDirectory(dir);
    QStringList arguments = prefix;
    arguments << QCoreApplication::applicationFilePath() << function;
    child.start(arguments.takeFirst(), arguments);
    const bool finished = child.waitForFinished(timeoutMs);
    if (!finished) {
        child.kill();
        child.waitForFinished(5000);
    }
    if (output)
        *output = child.readAll();
    return finished && child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
}

inline const QStringList unprivileged{QStringLiteral("setpriv"), QStringLiteral("--reuid=65534"),
                                      QStringLiteral("--regid=65534"), QStringLiteral("--clear-groups")};

inline int countEntries(const char* folder) {
    return int(QDir(QString::fromLatin1(folder))
                   .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System)
                   .size());
}

inline qint64 residentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return -1;
}

} // namespace session
