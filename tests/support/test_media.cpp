#include "support/test_media.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

TestMedia::TestMedia() : dir_(QDir::temp().filePath(QStringLiteral("tolvane-media-XXXXXX"))) {
    ffmpegFound_ = !QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty();
}

QString TestMedia::make(const QString& name, const QStringList& arguments) {
    const QString path = dir_.filePath(name);
    if (QFileInfo(path).size() > 0)
        return path;
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList all{QStringLiteral("-nostdin"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                    QStringLiteral("-y")};
    all << arguments << path;
    ffmpeg.start(QStringLiteral("ffmpeg"), all);
    if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitCode() != 0)
        qWarning("ffmpeg could not make %s", qPrintable(name));
    return path;
}

static QString secondsText(double seconds) {
    return QString::number(seconds, 'f', 2);
}

QString TestMedia::video(double seconds) {
    const QString s = secondsText(seconds);
    return make(QStringLiteral("pattern %1 s.mp4").arg(s),
                {"-f",       "lavfi",
                 "-i",       QStringLiteral("testsrc2=size=160x120:rate=25:duration=%1").arg(s),
                 "-f",       "lavfi",
                 "-i",       QStringLiteral("sine=frequency=440:duration=%1").arg(s),
                 "-c:v",     "libx264",
                 "-preset",  "ultrafast",
                 "-g",       "25",
                 "-pix_fmt", "yuv420p",
                 "-c:a",     "aac",
                 "-b:a",     "48k",
                 "-shortest"});
}

QString TestMedia::silentVideo(double seconds) {
    const QString s = secondsText(seconds);
    return make(QStringLiteral("silent pattern %1 s.mp4").arg(s),
                {"-f", "lavfi", "-i", QStringLiteral("testsrc2=size=160x120:rate=25:duration=%1").arg(s),
                 "-c:v", "libx264", "-preset", "ultrafast", "-g", "25", "-pix_fmt", "yuv420p"});
}

QString TestMedia::mp3(double seconds) {
    const QString s = secondsText(seconds);
    return make(QStringLiteral("tone %1 s.mp3").arg(s),
                {"-f", "lavfi", "-i", QStringLiteral("sine=frequency=660:duration=%1").arg(s), "-c:a",
                 "libmp3lame", "-b:a", "64k"});
}

QString TestMedia::wav(double seconds) {
    const QString s = secondsText(seconds);
    return make(
        QStringLiteral("tone %1 s.wav").arg(s),
        {"-f", "lavfi", "-i", QStringLiteral("sine=frequency=880:duration=%1:sample_rate=22050").arg(s)});
}

QString TestMedia::truncatedVideo() {
    const QString path = dir_.filePath(QStringLiteral("truncated.mp4"));
    if (QFileInfo(path).size() > 0)
        return path;
    QFile whole(video(2.0));
    QFile half(path);
    if (whole.open(QIODevice::ReadOnly) && half.open(QIODevice::WriteOnly))
        half.write(whole.read(whole.size() / 2));
    return path;
}

QString TestMedia::textFile() {
    const QString path = dir_.filePath(QStringLiteral("Read me.txt"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write("Not a media file: the player shows why it cannot play it.\n");
    return path;
}

QString TestMedia::emptyFile() {
    const QString path = dir_.filePath(QStringLiteral("empty.mp4"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    return path;
}

QString TestMedia::missingFile() const {
    return dir_.filePath(QStringLiteral("no such file.mp4"));
}
