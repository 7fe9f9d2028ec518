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

const unsigned TestMedia::kQuadrants[4] = {0xd02020, 0x20c020, 0x2030d0, 0xe0e0e0};

QString TestMedia::quadrants(bool swapped) {
    QString graph;
    for (int i = 0; i < 4; ++i)
        graph += QStringLiteral("color=c=0x%1:s=80x60:r=25:d=4[q%2];")
                     .arg(kQuadrants[swapped ? 3 - i : i], 6, 16, QLatin1Char('0'))
                     .arg(i);
    graph += QStringLiteral("[q0][q1]hstack[top];[q2][q3]hstack[bottom];[top][bottom]vstack,"
                            "scale=out_color_matrix=%1:out_range=tv,format=yuv420p")
                 .arg(swapped ? "bt601" : "bt709");
    // BT.709 primaries either way: the software scaler maps SD primaries onto HD ones (as the engine's own
    // software outputs do), the OpenGL path does not; what is checked is the matrix read from the tags.
    return make(QStringLiteral("quadrants%1.mp4").arg(swapped ? " swapped" : ""),
                {"-filter_complex", graph, "-c:v", "libx264", "-preset", "ultrafast", "-colorspace",
                 swapped ? "smpte170m" : "bt709", "-color_primaries", "bt709", "-color_trc", "bt709",
                 "-color_range", "tv"});
}

QString TestMedia::oddSized(int width, int height) {
    return make(QStringLiteral("pattern %1x%2.mkv").arg(width).arg(height),
                {"-f", "lavfi", "-i", "testsrc2=size=320x240:rate=25:duration=1", "-vf",
                 QStringLiteral("scale=%1:%2").arg(width).arg(height), "-c:v", "ffv1", "-pix_fmt",
                 "yuv444p"});
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

QString TestMedia::writeText(const QString& name, const QByteArray& text) {
    const QString path = dir_.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(text);
    return path;
}

QString TestMedia::languages() {
    // Six blocks in English, two in French: each shows as its own amount of white.
    const QByteArray cue = "1\n00:00:00,000 --> 00:00:06,000\n";
    const QString eng = writeText(QStringLiteral("eng.srt"), cue + QByteArray("\u2588").repeated(6) + '\n');
    const QString fra = writeText(QStringLiteral("fra.srt"), cue + QByteArray("\u2588").repeated(2) + '\n');
    // The same-named subtitle beside it, which comes with the file: four blocks.
    writeText(QStringLiteral("languages.srt"), cue + QByteArray("\u2588").repeated(4) + '\n');
    return make(QStringLiteral("languages.mkv"), {"-f",
                                                  "lavfi",
                                                  "-i",
                                                  "color=c=black:size=160x120:rate=25:duration=6",
                                                  "-f",
                                                  "lavfi",
                                                  "-i",
                                                  "sine=frequency=440:duration=6",
                                                  "-f",
                                                  "lavfi",
                                                  "-i",
                                                  "sine=frequency=880:duration=6",
                                                  "-i",
                                                  eng,
                                                  "-i",
                                                  fra,
                                                  "-map",
                                                  "0",
                                                  "-map",
                                                  "1",
                                                  "-map",
                                                  "2",
                                                  "-map",
                                                  "3",
                                                  "-map",
                                                  "4",
                                                  "-c:v",
                                                  "libx264",
                                                  "-preset",
                                                  "ultrafast",
                                                  "-pix_fmt",
                                                  "yuv420p",
                                                  "-c:a",
                                                  "libvorbis",
                                                  "-c:s",
                                                  "srt",
                                                  "-metadata:s:a:0",
                                                  "language=eng",
                                                  "-metadata:s:a:1",
                                                  "language=fra",
                                                  "-metadata:s:s:0",
                                                  "language=eng",
                                                  "-metadata:s:s:1",
                                                  "language=fra"});
}

QString TestMedia::chapters() {
    QByteArray meta = ";FFMETADATA1\n";
    for (int i = 0; i < 3; ++i)
        meta += QStringLiteral("[CHAPTER]\nTIMEBASE=1/1000\nSTART=%1\nEND=%2\ntitle=Part %3\n")
                    .arg(i * 4000)
                    .arg(i * 4000 + 4000)
                    .arg(i + 1)
                    .toUtf8();
    const QString chapters = writeText(QStringLiteral("chapters.txt"), meta);
    return make(QStringLiteral("chapters.mkv"),
                {"-f", "lavfi", "-i", "testsrc2=size=160x120:rate=25:duration=12", "-i", chapters,
                 "-map_chapters", "1", "-c:v", "libx264", "-preset", "ultrafast", "-g", "25", "-pix_fmt",
                 "yuv420p"});
}

QString TestMedia::colourList() {
    QByteArray list;
    for (const char* colour : {"red", "green", "blue"}) {
        const QString name = QStringLiteral("%1.mp4").arg(QLatin1String(colour));
        list += make(name, {"-f", "lavfi", "-i",
                            QStringLiteral("color=c=%1:size=160x120:rate=25:duration=4").arg(colour), "-c:v",
                            "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p"})
                    .toUtf8() +
                '\n';
    }
    return writeText(QStringLiteral("colours.m3u"), list);
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
