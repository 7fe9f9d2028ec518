#include "player/sidecar_subtitle.h"
#include "toolkit/fs_names.h"
#include "player/local_file.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <utility>
#include <vector>

namespace {

// "0:01:02.50" in seconds.
double assTime(const QByteArray& text) {
    const QList<QByteArray> parts = text.trimmed().split(':');
    return parts.size() == 3 ? parts[0].toDouble() * 3600 + parts[1].toDouble() * 60 + parts[2].toDouble()
                             : 0;
}

// Blur and wide borders cost the renderer time in proportion to the area they cover, for every event on
// screen at once. Many of them together is what stalls the drawing; one or two are ordinary styling.
bool costlyEffect(const QByteArray& line) {
    static const QRegularExpression effect(QStringLiteral(R"(\\(blur|be|bord|shad|[xy]bord)([0-9.]+))"));
    auto matches = effect.globalMatch(QString::fromUtf8(line));
    while (matches.hasNext()) {
        const auto match = matches.next();
        const double amount = match.captured(2).toDouble();
        if (amount >= (match.captured(1).endsWith(QLatin1String("bord")) ? 12 : 4))
            return true;
    }
    return false;
}

// True if more than a few costly events are ever on screen at the same time.
bool tooCostly(const QByteArray& ass) {
    std::vector<std::pair<double, int>> edges; // time, +1 start / -1 end
    for (const QByteArray& line : ass.split('\n')) {
        if (!line.startsWith("Dialogue:") || !costlyEffect(line))
            continue;
        const QList<QByteArray> fields = line.mid(9).split(',');
        if (fields.size() < 3)
            continue;
        edges.emplace_back(assTime(fields[1]), 1);
        edges.emplace_back(assTime(fields[2]), -1);
    }
    std::sort(edges.begin(), edges.end());
    int onScreen = 0;
    for (const auto& edge : edges)
        if ((onScreen += edge.second) > 8)
            return true;
    return false;
}

QString megabytes(qint64 bytes) {
    return QString::number(double(bytes) / (1024 * 1024), 'f', 1) + QStringLiteral(" MiB");
}

} // namespace

Sidecar sidecarFor(const QString& mediaPath) {
    const QFileInfo media(mediaPath);
    const QString base = media.dir().filePath(media.completeBaseName());
    Sidecar sidecar;
    for (const char* suffix : {".srt", ".ass", ".ssa", ".vtt"}) {
        const QString path = base + QLatin1String(suffix);
        const QByteArray bytes = fsEncodeName(path);
        LocalFile probe = readLocalFile(bytes, 0);
        if (!probe.error.isEmpty())
            continue; // not there, or not a plain file: nothing to show
        const QString name = fsDisplayName(QFileInfo(path).fileName());
        if (probe.size > kSidecarLimit) {
            sidecar.note = QStringLiteral("subtitle %1 not shown: %2, over the %3 limit")
                               .arg(name, megabytes(probe.size), megabytes(kSidecarLimit));
            continue;
        }
        sidecar.path = path;
        if (qstrcmp(suffix, ".ass") == 0 || qstrcmp(suffix, ".ssa") == 0)
            sidecar.plain = tooCostly(readLocalFile(bytes, kSidecarLimit).head);
        if (sidecar.plain)
            sidecar.note = QStringLiteral("subtitle %1 shown without its effects").arg(name);
        return sidecar;
    }
    return sidecar;
}
