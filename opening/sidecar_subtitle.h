#pragma once
// The subtitle a user expects beside a video: the same base name with a subtitle suffix. It is shown only
// within a size limit, and an ASS file whose effects would take the window's drawing seconds per frame is
// shown as plain text.

#include <QString>

struct Sidecar {
    QString path; // empty if none is to be loaded
    bool plain = false;
    QString note; // why one that is there was left out
};

constexpr qint64 kSidecarLimit = qint64(4) * 1024 * 1024;

Sidecar sidecarFor(const QString& mediaPath);
