#pragma once
// The reason a file cannot be played, in the words the status text shows: "Cannot play NAME: reason". The
// core's own log lines say best why a file would not open, so they are kept while a file opens.

#include "engine/engine_events.h"

#include <QString>

class FailureText {
  public:
    // A new file (or a playlist's next entry) begins: what was noted for the last one is forgotten.
    void clear();
    // One line of the core's log, at any level; only errors while a file opens are kept.
    void noteLogLine(const char* prefix, const char* level, const QString& line);
    // "Cannot play NAME: reason", from what was noted, else from the error.
    QString describe(const QString& url, OpenError error, const QString& errorText) const;

    // The one wording of every reason a file cannot be played.
    static QString cannotPlay(const QString& url, const QString& reason);
    // The name a user knows a URL by: a local file's name, or the whole of a remote address.
    static QString displayName(const QString& url);

  private:
    QString openError_;     // why the file could not be opened
    QString demuxerDetail_; // what the demuxer disliked
};
