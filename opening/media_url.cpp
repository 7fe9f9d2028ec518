#include "opening/media_url.h"

#include <QFileInfo>
#include <QUrl>

QString localPathOf(const QString& url) {
    const QUrl asUrl(url);
    return asUrl.isLocalFile() ? asUrl.toLocalFile() : url;
}

bool isNetworkAddress(const QString& url) {
    const QUrl asUrl(url);
    return asUrl.isValid() && asUrl.scheme().size() > 1 && !asUrl.isLocalFile();
}

QString fileNameOf(const QString& url) {
    const QString name = QFileInfo(localPathOf(url)).fileName();
    return name.isEmpty() ? url : name;
}
