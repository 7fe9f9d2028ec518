#include "opening/cover_art.h"
#include "files/fs_names.h"
#include "opening/local_file.h"
#include "opening/picture_header.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <dirent.h>

namespace {

const char* const kPictureSuffixes[] = {"jpg", "jpeg", "png", "webp", "bmp", "gif"};
const char* const kCoverNames[] = {"cover", "folder", "front", "album"};
// Decided by the name: a look inside would cost an open per song, and an audio file's video is rare.
const char* const kAudioSuffixes[] = {"mp3", "flac", "ogg", "oga", "opus", "m4a",  "aac",
                                      "wav", "wma",  "ape", "wv",  "mka",  "aiff", "aif",
                                      "mpc", "ac3",  "dts", "mp2", "tta",  "spx"};
// Enough for a JPEG's metadata before its size.
constexpr qint64 kHeaderBytes = qint64(256) * 1024;

bool hasSuffixAmong(const QString& name, const char* const* begin, const char* const* end) {
    const QString suffix = QFileInfo(name).suffix();
    return std::any_of(begin, end, [&](const char* s) {
        return suffix.compare(QLatin1String(s), Qt::CaseInsensitive) == 0;
    });
}

QStringList picturesIn(const QString& folder) {
    QStringList names;
    DIR* dir = ::opendir(fsEncodeName(folder).constData());
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        const QString name = fsDecodeName(QByteArray(entry->d_name));
        if (hasSuffixAmong(name, std::begin(kPictureSuffixes), std::end(kPictureSuffixes)))
            names << name;
    }
    ::closedir(dir);
    return names;
}

// "stem.suffix" with one of the picture suffixes in any case.
bool named(const QString& name, const QString& stem, const char* suffix, Qt::CaseSensitivity stemCase) {
    return name.size() == stem.size() + 1 + qsizetype(qstrlen(suffix)) && name.startsWith(stem, stemCase) &&
           name[stem.size()] == QLatin1Char('.') && name.endsWith(QLatin1String(suffix), Qt::CaseInsensitive);
}

// The candidates present in the folder, in the order they are tried.
QStringList candidates(const QStringList& pictures, const QString& songStem) {
    QStringList found;
    auto take = [&](const QString& stem, Qt::CaseSensitivity stemCase) {
        for (const char* suffix : kPictureSuffixes)
            for (const QString& name : pictures)
                if (named(name, stem, suffix, stemCase))
                    found << name;
    };
    take(songStem, Qt::CaseSensitive);
    for (const char* cover : kCoverNames)
        take(QLatin1String(cover), Qt::CaseInsensitive);
    return found;
}

// Why the picture is not shown, for the status text; empty if it may be.
QString limitProblem(const LocalFile& file) {
    if (file.size > kCoverArtLimit)
        return QStringLiteral("%1, over the %2 limit").arg(sizeText(file.size), sizeText(kCoverArtLimit));
    const PictureSize size = pictureSize(file.head);
    if (!size.known())
        return QStringLiteral("its size in pixels cannot be read");
    if (size.width * size.height > kCoverArtPixels)
        return QStringLiteral("%1 x %2 pixels, over the 4096 x 4096 limit").arg(size.width).arg(size.height);
    return {};
}

} // namespace

CoverArtFinder::Verdict CoverArtFinder::judge(const QString& path) const {
    const LocalFile file = readLocalFile(fsEncodeName(path), kHeaderBytes);
    if (!file.error.isEmpty())
        return {}; // not a plain file on a disk (never opened then), or unreadable
    const QString problem = limitProblem(file);
    return {problem.isEmpty(), problem};
}

CoverArt CoverArtFinder::find(const QString& mediaPath) {
    CoverArt cover;
    if (!hasSuffixAmong(mediaPath, std::begin(kAudioSuffixes), std::end(kAudioSuffixes)))
        return cover;
    const QFileInfo media(mediaPath);
    const QString folder = media.absolutePath();
    if (!pictures_.contains(folder))
        pictures_.insert(folder, picturesIn(folder));
    for (const QString& name : candidates(pictures_.value(folder), media.completeBaseName())) {
        const QString path = QDir(folder).filePath(name);
        if (!verdicts_.contains(path))
            verdicts_.insert(path, judge(path));
        const Verdict verdict = verdicts_.value(path);
        if (verdict.usable) {
            cover.path = path;
            return cover;
        }
        if (!verdict.problem.isEmpty() && cover.note.isEmpty())
            cover.note =
                QStringLiteral("cover art %1 not shown: %2").arg(fsDisplayName(name), verdict.problem);
    }
    return cover;
}
