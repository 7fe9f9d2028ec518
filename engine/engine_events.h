#pragma once
// What the libmpv client reports about a file, in plain types: the play state and the failure text read these
// without knowing libmpv.

#include <QList>
#include <QString>
#include <QtGlobal>
#include <cstdint>
#include <memory>

// Why the core could not open or play a file.
enum class OpenError { None, UnknownFormat, LoadingFailed, NothingToPlay, Other };

// The end of one entry of the core's playlist.
struct FileEnd {
    enum class Reason { Eof, Stop, Quit, Error, Redirect };
    Reason reason = Reason::Eof;
    int64_t entry = -1;
    OpenError error = OpenError::None;
    QString errorText;      // the core's own words for error, when it is Other
    int64_t insertedId = 0; // Redirect: the first entry the playlist file put in its place
    int insertedCount = 0;  // Redirect: how many, with consecutive ids
};

// One audio or subtitle track of the file playing, as the core lists it.
struct MediaTrack {
    int64_t id = 0; // the core's number for it, within its type
    bool subtitle = false;
    QString language;      // as the file tags it; may be empty
    QString title;         // as the file names it; may be empty
    bool external = false; // a subtitle file loaded beside the film
    bool selected = false;
    bool operator==(const MediaTrack&) const = default;
};

// One chapter of the file playing, as the core lists it: where it starts, in seconds, and its title.
struct MediaChapter {
    double start = 0;
    QString title; // may be empty
    bool operator==(const MediaChapter&) const = default;
};
using MediaChapters = QList<MediaChapter>;

// A frame drawn in memory: rows of 32-bit pixels (blue, green, red, unused), each `stride` bytes.
struct PreviewPicture {
    std::shared_ptr<void> pixels;
    int width = 0;
    int height = 0;
    qsizetype stride = 0;
    bool isNull() const { return !pixels; }
};
