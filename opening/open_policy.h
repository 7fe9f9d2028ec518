#pragma once
// What a click may open, decided in our own code before the engine sees a path. Allowed: the picked file;
// the local entries of a playlist file the user picked (m3u, plain m3u8, pls), never recursively; a subtitle
// with the same base name beside each of them, within a size limit; a song's cover art (cover_art.h).
// Refused with a reason: the engine's
// edit lists, FFmpeg concat lists, SDP session descriptions (they make the demuxer listen on the network),
// archives, pictures whose header claims more pixels than kMaxPicturePixels (picture_header.h), and
// anything that is not a plain file on a disk (folders, devices, pipes, sockets, kernel and other pseudo
// files), whose read might never return.

#include "opening/local_file.h"

#include <QList>
#include <QString>

struct OpenItem {
    QString path;               // absolute, in the file system's own encoding (fs_names)
    QString subtitle;           // the same-named sidecar to show with it, or empty
    bool plainSubtitle = false; // its styling would cost too much to draw: shown as plain text
    QString coverArt;           // the picture to show while a song plays, or empty
    FileIdentity identity;      // the file judged, for whoever opens the name again later
};

struct OpenPlan {
    QString refusal;       // non-empty: nothing may be opened, and this says why
    QList<OpenItem> items; // what to play, in order
    QString note;          // what was left out and why (a sidecar or a picture over its limit)
};

// url: the pick as the component was given it, a file's path or a file: URL (media_url.h); a network
// address is refused. Pure: reads the file system only, keeps no state between calls; may run on any thread.
OpenPlan planOpen(const QString& url);

// Why one file of a plan may not be opened now, by the same rules (empty if it may): for a look again when
// the engine reaches it, since it may have been swapped after the plan. A playlist is refused here: a plan
// never hands one to the engine. Reads the file system; may run on any thread.
QString entryRefusal(const QString& path);
