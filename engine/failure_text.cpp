#include "engine/failure_text.h"
#include "opening/media_url.h"

void FailureText::clear() {
    openError_.clear();
    demuxerDetail_.clear();
}

void FailureText::noteLogLine(const char* prefix, const char* level, const QString& line) {
    if (qstrcmp(level, "error") != 0 && qstrcmp(level, "fatal") != 0)
        return;
    // "Cannot open file '/x': No such file or directory" names why the file could not be opened.
    if (qstrcmp(prefix, "file") == 0 || qstrcmp(prefix, "stream") == 0) {
        const qsizetype at = line.lastIndexOf(QStringLiteral("': "));
        if (at >= 0 && openError_.isEmpty())
            openError_ = line.mid(at + 3);
    } else if (qstrcmp(prefix, "ffmpeg/demuxer") == 0 && demuxerDetail_.isEmpty()) {
        // "mov,mp4,m4a,3gp,3g2,mj2: moov atom not found"
        const qsizetype at = line.indexOf(QStringLiteral(": "));
        demuxerDetail_ = at >= 0 ? line.mid(at + 2) : line;
    }
}

QString FailureText::describe(const QString& url, OpenError error, const QString& errorText) const {
    QString detail = openError_;
    if (detail.isEmpty()) {
        switch (error) {
        case OpenError::UnknownFormat:
            detail = QStringLiteral("unrecognized file format");
            break;
        case OpenError::LoadingFailed:
            detail = QStringLiteral("the file could not be opened");
            break;
        case OpenError::NothingToPlay:
            detail = QStringLiteral("no audio or video to play");
            break;
        case OpenError::None:
        case OpenError::Other:
            detail = errorText.isEmpty() ? QStringLiteral("the file could not be played") : errorText;
        }
        if (!demuxerDetail_.isEmpty())
            detail += QStringLiteral(" (%1)").arg(demuxerDetail_);
    }
    return cannotPlay(url, detail);
}

QString FailureText::cannotPlay(const QString& url, const QString& reason) {
    return QStringLiteral("Cannot play %1: %2").arg(displayName(url), reason);
}

QString FailureText::displayName(const QString& url) {
    return isNetworkAddress(url) ? url : fileNameOf(url);
}
