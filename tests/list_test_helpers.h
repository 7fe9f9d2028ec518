#pragma once
// Helpers shared by the drive, folder and file list tests: files with raw byte names, a mount table of
// the test's own, a child run as an unprivileged user, and catching the modal error report.

#include "files/fs_names.h"
#include "files/runtime_error.h"
#include "files/volumes.h"
#include <QAbstractItemView>
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QTimer>
#include <QtTest>
#include <fcntl.h>
#include <functional>
#include <unistd.h>

namespace listtest {

// Creates a file whose name is exactly these bytes, holding content.
inline bool makeFile(const QString& folder, const QByteArray& name, const QByteArray& content = "x") {
    const QByteArray path = fsEncodeName(folder) + '/' + name;
    const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, content.constData(), size_t(content.size())) == content.size();
    return ::close(fd) == 0 && written;
}

// Points the lists at a mount table file of the test's own for as long as it lives.
class FakeMountTable {
  public:
    explicit FakeMountTable(const QString& file) : saved_(MountSource::current()), file_(file) {
        MountSource::current() = MountSource{file, file + QStringLiteral(".labels")};
    }
    ~FakeMountTable() { MountSource::current() = saved_; }
    // The root volume plus one ext4 volume at each of the given mount points.
    bool write(const QStringList& mountPoints) const {
        QByteArray text = "26 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n";
        int n = 0;
        for (const QString& point : mountPoints) {
            text += QByteArray::number(100 + n) + " 26 8:" + QByteArray::number(n) + " / " +
                    fsEncodeName(point).replace(" ", "\\040") + " rw - ext4 /dev/sdz" +
                    QByteArray::number(n) + " rw\n";
            ++n;
        }
        QFile out(file_);
        return out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(text) == text.size();
    }

  private:
    MountSource saved_;
    QString file_;
};

// Runs this test program again as user and group 65534 with the arguments; returns its exit code.
inline int runUnprivileged(const QStringList& arguments, QByteArray* output = nullptr) {
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    child.setProcessEnvironment(environment);
    child.start(QStringLiteral("setpriv"), QStringList{"--reuid=65534", "--regid=65534", "--clear-groups",
                                                       QCoreApplication::applicationFilePath()} +
                                               arguments);
    if (!child.waitForFinished(30000))
        return -1;
    if (output)
        *output = child.readAll();
    return child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
}

inline bool runningAsRoot() {
    return ::geteuid() == 0;
}

// Closes the run-time error report as soon as it opens and keeps its text.
class ErrorReportCatcher : public QObject {
  public:
    ErrorReportCatcher() {
        connect(&timer_, &QTimer::timeout, this, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts.append(box->text());
                box->done(QMessageBox::Ok);
            }
        });
        timer_.start(10);
    }
    QStringList texts;

  private:
    QTimer timer_;
};

// The player window's list colours, light blue on dark grey, set from outside as the window sets them.
inline const QColor listText(128, 128, 255);
inline const QColor listBase(0x40, 0x40, 0x40);
inline void paintInListColours(QWidget& list) {
    QPalette palette = list.palette();
    palette.setColor(QPalette::Text, listText);
    palette.setColor(QPalette::Base, listBase);
    list.setPalette(palette);
}

// The rows a list shows, top to bottom.
inline QStringList shownNames(const QAbstractItemView& list) {
    QStringList names;
    for (int row = 0; row < list.model()->rowCount(); ++row)
        names.append(list.model()->index(row, 0).data().toString());
    return names;
}

// The run-time error number an action raises, or 0 when it raises none.
inline int errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const RuntimeError& error) {
        return error.number();
    }
    return 0;
}

} // namespace listtest
