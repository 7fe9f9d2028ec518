#include "opening/playlist_file.h"
#include "files/fs_names.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace {

// A line of the list as a local path; empty if it names something else (a URL, a stream).
QString localPath(const QDir& folder, const QByteArray& line) {
    if (line.startsWith("file://")) {
        const QUrl url(QString::fromUtf8(line));
        return url.isLocalFile() ? QDir::cleanPath(url.toLocalFile()) : QString();
    }
    // "http://", "rtsp://", "edl://" and the like: never a file of ours.
    if (line.contains("://"))
        return {};
    const QString name = fsDecodeName(line);
    return QDir::cleanPath(QDir::isAbsolutePath(name) ? name : folder.filePath(name));
}

QByteArray entryText(const QByteArray& line, bool pls) {
    if (!pls)
        return line.startsWith('#') ? QByteArray() : line;
    // "File1=clip.mp4"
    if (!line.toLower().startsWith("file"))
        return {};
    const qsizetype equals = line.indexOf('=');
    return equals < 0 ? QByteArray() : line.mid(equals + 1).trimmed();
}

} // namespace

bool looksLikePlaylist(const QString& path, const QByteArray& head) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("m3u") || suffix == QLatin1String("m3u8") || suffix == QLatin1String("pls"))
        return true;
    QByteArray start = head.left(16).trimmed();
    if (start.startsWith("\xef\xbb\xbf"))
        start = start.mid(3);
    return start.startsWith("#EXTM3U") || start.toLower().startsWith("[playlist]");
}

QStringList playlistEntries(const QString& playlistPath, const QByteArray& content, int maxEntries) {
    const QDir folder = QFileInfo(playlistPath).absoluteDir();
    const bool pls = content.left(64).trimmed().toLower().contains("[playlist]");
    QStringList entries;
    for (QByteArray line : content.split('\n')) {
        line = entryText(line.trimmed(), pls);
        if (line.isEmpty() || line.startsWith("\xef\xbb\xbf#"))
            continue;
        const QString path = localPath(folder, line);
        if (!path.isEmpty() && !entries.contains(path))
            entries << path;
        if (entries.size() >= maxEntries)
            break;
    }
    return entries;
}
