#pragma once
// A core whose sound server went away mid-file falls back to the silent output, and keeps it for the files
// after it (a file of the same format reuses the output that is open), so a server started again would go
// unheard. Once the core has had a real output, a load while it is on the silent one has the outputs tried
// again first: asked before the load, so the core takes it in order, never while it opens the new file's
// sound (asked once the file had loaded, it now and then left the file waiting for sound for ever).

#include <QObject>
#include <QString>

class MpvClient;

class SoundOutputWatch : public QObject {
    Q_OBJECT
  public:
    explicit SoundOutputWatch(MpvClient& client);
    // Called just before a load command is sent.
    void beforeLoad();

  private:
    void changed(const QString& name);

    MpvClient& client_;
    QString current_;
    bool hadReal_ = false;
};
