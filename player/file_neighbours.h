#pragma once
// Previous and Next of the media player past the ends of its file: the files of the file list around the
// one chosen. The player is told whether there is one before and after; asked to go there, the list gets
// the very arrow key a user would press, so the file opens by the list's own click, as any other pick.

#include <QObject>
#include <QPointer>

class FileList;
class MediaPlayer;

class FileNeighbours : public QObject {
    Q_OBJECT
  public:
    FileNeighbours(FileList* list, MediaPlayer* player);

  private:
    void tell();
    void go(int step);

    QPointer<FileList> list_;
    MediaPlayer* player_;
};
