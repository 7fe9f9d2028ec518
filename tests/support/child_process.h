#pragma once
// Runs the real program in a child process on the test's own X display and drives it from outside with
// xdotool, the way a user does with the pointer and the keyboard.

#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QStringList>

// Runs xdotool; returns its standard output, or an empty string when it fails.
QString xdotool(const QStringList& args);

class PlayerProcess {
  public:
    PlayerProcess();
    ~PlayerProcess(); // kills the child if it still runs
    PlayerProcess(const PlayerProcess&) = delete;
    PlayerProcess& operator=(const PlayerProcess&) = delete;

    // Starts build/tolvane-player with `arguments` and waits for its player window; false if it does not show
    // up.
    bool start(const QStringList& arguments = {});
    // The folder the program starts in, and so shows; the test's own by default.
    void setWorkingDirectory(const QString& folder) { process_.setWorkingDirectory(folder); }
    // The X id of a mapped window titled exactly `title`, waiting up to `timeoutMs`; 0 if none appears.
    quint64 waitForWindow(const QString& title, int timeoutMs = 10000) const;
    // Where the window stands on the screen, in pixels.
    QRect geometry(quint64 window) const;
    // Moves the pointer to `screenPoint` and clicks the left button `count` times in quick succession.
    void click(QPoint screenPoint, int count = 1) const;
    bool isRunning() const { return process_.state() != QProcess::NotRunning; }
    qint64 processId() const { return process_.processId(); }
    // Waits for the program to end; false if it still runs after `timeoutMs`.
    bool waitForExit(int timeoutMs) { return process_.waitForFinished(timeoutMs); }
    int exitCode() const { return process_.exitCode(); }
    QProcess::ExitStatus exitStatus() const { return process_.exitStatus(); }
    QString errorOutput() { return QString::fromLocal8Bit(process_.readAllStandardError()); }

  private:
    QProcess process_;
};
