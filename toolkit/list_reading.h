#pragma once
// A list's reading of a folder, done off the UI thread (fsCall). A place that answers within the short
// wait is listed at once, its errors thrown as before; past that the list says what it waits for, fills in
// when the answer comes (if it is still the latest reading), and says after a while that the place does
// not answer. An error that comes late is shown in the same text, not as a report: the handler that asked
// has long returned, and a modal box over whatever the user is doing by then would be a second fault.

#include "files/natural_order.h"
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

class QAbstractItemView;

// What a reading found: the folder as resolved, its entries, or the run-time error number.
struct FolderRead {
    QString folder;
    SortedNames names;
    int error = 0;
};

class ListReading : public QObject {
    Q_OBJECT
  public:
    // How long a place may keep a reading waiting before it is said not to answer.
    static constexpr int kGiveUpMs = 10000;

    explicit ListReading(QAbstractItemView* list);

    // Reads on a worker: work() must not touch UI objects, and reports failures in FolderRead::error.
    // show() gets a successful answer on the UI thread. Throws RuntimeError when an answer within the short
    // wait is an error. Returns true when the answer was shown before returning.
    bool start(const QString& path, std::function<FolderRead()> work,
               const std::function<void(FolderRead&&)>& show);
    // Forgets the reading under way: its answer, when it comes, is dropped.
    void forget();

    bool waiting() const { return !text_.isEmpty(); }
    // "Waiting for /mnt/share …", "/mnt/share does not answer", or a late error; empty when all is shown.
    QString text() const { return text_; }
    // Draws the text greyed below the list's rows; the lists call it after painting themselves.
    void paint() const;

  private:
    void setText(const QString& text);
    void answered(quint64 serial, FolderRead&& read, const std::function<void(FolderRead&&)>& show);

    QAbstractItemView* list_;
    quint64 serial_ = 0;
    QString place_;
    QString text_;
    QTimer giveUp_;
};
