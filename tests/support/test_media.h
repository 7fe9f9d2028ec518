#pragma once
// Real media for the tests, made at test time with the ffmpeg command into a temporary folder:
// small, short, generated once per program and reused.

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class TestMedia {
  public:
    TestMedia();
    bool isValid() const { return dir_.isValid() && ffmpegFound_; }
    QString folder() const { return dir_.path(); }

    // H.264 in MP4 (test pattern, 160x120, 25 frames a second) with an AAC tone.
    QString video(double seconds = 2.0);
    // The same without a sound track.
    QString silentVideo(double seconds = 2.0);
    // 4 s of four coloured quadrants (kQuadrants, reading order; swapped: in reverse), 160x120, BT.709,
    // limited range, tagged so: colours and edges a drawing path must show as they are.
    QString quadrants(bool swapped = false);
    static const unsigned kQuadrants[4];
    // 1 s of the test pattern at an odd size (FFV1, 4:4:4: any size encodes).
    QString oddSized(int width, int height);
    // A tone only.
    QString mp3(double seconds = 2.0);
    QString wav(double seconds = 1.0);
    // The first half of a video whose index stands at its end: no player can open it.
    QString truncatedVideo();
    // Matroska, 6 s on black: two audio tracks (tones of 440 and 880 Hz, tagged eng and fra) and two
    // subtitle tracks (eng and fra: six and two white blocks along the whole clip), and the same-named
    // subtitle file beside it (four blocks).
    QString languages();
    // 12 s of video in three chapters of 4 s.
    QString chapters();
    // A playlist file of three 4 s clips, red, green and blue.
    QString colourList();
    QString textFile();
    QString emptyFile();
    // A path in the folder where no file is.
    QString missingFile() const;

  private:
    QString make(const QString& name, const QStringList& arguments);
    QString writeText(const QString& name, const QByteArray& text);

    QTemporaryDir dir_;
    bool ffmpegFound_ = false;
};
