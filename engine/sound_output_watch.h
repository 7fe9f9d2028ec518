#pragma once
// A core whose sound server went away mid-file falls back to the silent output, and keeps it for the files
// after it (a file of the same format reuses the output that is open), so a server started again would go
// unheard. Once the core has had a real output, each file that loads on the silent one asks for the outputs
// to be tried again.

#include <QObject>
#include <QString>

class MpvClient;

class SoundOutputWatch : public QObject {
    Q_OBJECT
  public:
    explicit SoundOutputWatch(MpvClient& client);

  private:
    void changed(const QString& name);
    void fileLoaded();

    MpvClient& client_;
    QString current_;
    bool hadReal_ = false;
};
