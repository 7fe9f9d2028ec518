#pragma once
// The picture shown while a song plays, chosen by us rather than by the engine, which would open any file
// of the right name (a pipe, a device, a picture of billions of pixels) without a look. Tried in order: the
// song's own base name, then cover, folder, front and album (any case), each as .jpg, .jpeg, .png, .webp,
// .bmp, .gif. Only a plain file on a disk, up to 16 MiB and 4096 x 4096 pixels as its header says; a
// header that cannot be read is not used. Only for songs: the engine shows no cover art with a video.

#include <QHash>
#include <QString>
#include <QStringList>

struct CoverArt {
    QString path; // empty if none is to be shown
    QString note; // why one that is there was left out
};

constexpr qint64 kCoverArtLimit = qint64(16) * 1024 * 1024;
constexpr qint64 kCoverArtPixels = qint64(4096) * 4096;

// One per plan: each folder is listed and each picture looked at once, however many songs of a playlist
// stand beside them.
class CoverArtFinder {
  public:
    CoverArt find(const QString& mediaPath);

  private:
    struct Verdict {
        bool usable = false;
        QString problem; // why it is left out, for a note; empty for a file that is no picture of ours
    };
    Verdict judge(const QString& path) const;
    QHash<QString, QStringList> pictures_; // folder -> the names of the pictures in it
    QHash<QString, Verdict> verdicts_;     // picture path -> whether it may be shown
};
