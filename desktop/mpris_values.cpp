#include "desktop/mpris_values.h"

#include "files/fs_names.h"
#include <QDir>
#include <QUrl>
#include <limits>

qint64 mprisMicroseconds(double seconds) {
    const double micro = seconds * 1e6;
    if (!(micro > 0)) // NaN too
        return 0;
    // 2^63 exactly: the first double past the largest int64.
    if (micro >= 9223372036854775808.0)
        return std::numeric_limits<qint64>::max();
    return qint64(micro);
}

QString mprisUrl(const QString& url) {
    if (url.isEmpty() || !QUrl(url).scheme().isEmpty())
        return QUrl(url).toString(QUrl::FullyEncoded);
    // Put together as text: QDir's own path handling would replace the escaped bytes.
    const QString absolute =
        url.startsWith(QLatin1Char('/')) ? url : QDir::currentPath() + QLatin1Char('/') + url;
    const QByteArray path = fsEncodeName(absolute);
    return QStringLiteral("file://") + QString::fromLatin1(path.toPercentEncoding("/"));
}
