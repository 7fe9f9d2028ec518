#include "opening/open_policy.h"
#include "files/fs_names.h"
#include "opening/cover_art.h"
#include "opening/local_file.h"
#include "opening/media_url.h"
#include "opening/picture_header.h"
#include "opening/playlist_file.h"
#include "opening/sidecar_subtitle.h"

#include <QFileInfo>

namespace {

// The picked file gets a long look; each entry of a list a short one, so that a long list on a slow stick
// does not hold the window. The engine's own options shut the same doors behind both.
constexpr qint64 kSniffBytes = qint64(64) * 1024;
constexpr qint64 kEntrySniffBytes = 4096;
constexpr qint64 kPlaylistLimit = qint64(1024) * 1024;
constexpr int kMaxEntries = 1000;

bool startsWith(const QByteArray& head, const char* magic, qsizetype at = 0) {
    return head.mid(at).startsWith(magic);
}

// An SDP session description: FFmpeg takes any file with a "c=IN IP" line for one, whatever its name,
// and then listens on the ports it names.
bool isSessionDescription(const QByteArray& head) {
    for (const QByteArray& line : head.split('\n'))
        if (line.startsWith("c=IN IP") || line.startsWith("m=video ") || line.startsWith("m=audio "))
            return true;
    return false;
}

bool isArchive(const QByteArray& head) {
    static const char* const magics[] = {
        "PK\x03\x04", "PK\x05\x06",  "PK\x07\x08",       "Rar!\x1a\x07", "7z\xbc\xaf\x27\x1c",
        "\x1f\x8b",   "\xfd\x37zXZ", "\x28\xb5\x2f\xfd", "MSCF",         "xar!"};
    for (const char* magic : magics)
        if (startsWith(head, magic))
            return true;
    return startsWith(head, "ustar", 257) || (startsWith(head, "BZh") && head.mid(4, 6) == "1AY&SY");
}

// Formats that name other files or devices and make the engine open them: refused by their content,
// whatever the file is called.
QString referenceFormat(const QByteArray& head) {
    if (startsWith(head, "# mpv EDL") || startsWith(head, "edl://"))
        return QStringLiteral("it is an edit list, which names other files; only media files are played");
    if (startsWith(head, "ffconcat version"))
        return QStringLiteral("it is a concat list, which names other files; only media files are played");
    if (isSessionDescription(head))
        return QStringLiteral("it is a network session description; nothing is received from the network");
    if (isArchive(head))
        return QStringLiteral("it is an archive or a compressed file; unpack it to play what is inside");
    return {};
}

// A picture too large to decode, by its header: refused as cover art is, before anything allocates it.
QString pictureProblem(const QByteArray& head) {
    const PictureSize size = pictureSize(head);
    if (!size.known() || size.width * size.height <= kMaxPicturePixels)
        return {};
    return QStringLiteral("the picture is %1 x %2 pixels, over the limit of %3 million")
        .arg(size.width)
        .arg(size.height)
        .arg(kMaxPicturePixels / 1000000);
}

OpenItem itemFor(const QString& path, const FileIdentity& identity, QString* note, CoverArtFinder* covers) {
    const Sidecar sidecar = sidecarFor(path);
    const CoverArt cover = covers->find(path);
    for (const QString& left : {sidecar.note, cover.note})
        if (note->isEmpty())
            *note = left;
    return {path, sidecar.path, sidecar.plain, cover.path, identity};
}

// Why the engine may not open this one file (empty if it may); `playlist` tells whether it is one, which is
// never handed to the engine itself, and `identity` which file was judged.
QString refusalFor(const QString& path, bool* playlist, qint64 sniffBytes, FileIdentity* identity) {
    const LocalFile file = readLocalFile(fsEncodeName(path), sniffBytes);
    if (!file.error.isEmpty())
        return file.error;
    *identity = file.identity;
    for (QString reason : {referenceFormat(file.head), pictureProblem(file.head)})
        if (!reason.isEmpty())
            return reason;
    *playlist = looksLikePlaylist(path, file.head);
    return {};
}

} // namespace

QString entryRefusal(const QString& path) {
    bool playlist = false;
    FileIdentity identity;
    const QString reason = refusalFor(path, &playlist, kEntrySniffBytes, &identity);
    return !reason.isEmpty() || !playlist ? reason
                                          : QStringLiteral("it is a playlist, which names other files");
}

OpenPlan planOpen(const QString& url) {
    OpenPlan plan;
    // Names such as "http:clip.mp4" are files; only a real address with a scheme is a network one.
    if (isNetworkAddress(url) && !QFileInfo::exists(url)) {
        plan.refusal = QStringLiteral("only files on this computer are played");
        return plan;
    }
    const QString path = QFileInfo(localPathOf(url)).absoluteFilePath();
    bool playlist = false;
    FileIdentity identity;
    CoverArtFinder covers;
    if (plan.refusal = refusalFor(path, &playlist, kSniffBytes, &identity); !plan.refusal.isEmpty())
        return plan;
    if (!playlist) {
        plan.items << itemFor(path, identity, &plan.note, &covers);
        return plan;
    }
    const LocalFile list = readLocalFile(fsEncodeName(path), kPlaylistLimit + 1);
    if (list.size > kPlaylistLimit) {
        plan.refusal = QStringLiteral("the playlist is larger than 1 MiB");
        return plan;
    }
    // Entries that are playlists themselves are left out: a list never leads to another list, or itself.
    for (const QString& entry : playlistEntries(path, list.head, kMaxEntries)) {
        bool nested = false;
        if (refusalFor(entry, &nested, kEntrySniffBytes, &identity).isEmpty() && !nested)
            plan.items << itemFor(entry, identity, &plan.note, &covers);
    }
    if (plan.items.isEmpty())
        plan.refusal = QStringLiteral("the playlist names no file on this computer that can be played");
    return plan;
}
