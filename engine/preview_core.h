#pragma once
// A second, paused core that draws single frames of the file playing for the seek bar's preview: made when
// first asked for, with the main core's options and shut doors, no audio and no subtitles, keyframe seeks,
// drawn in memory with libmpv's software renderer. All of it runs on a worker thread of its own; the UI
// thread only posts asks and receives finished pictures. One seek is in flight at a time; a newer ask
// replaces one not yet begun. release() gives its memory back: the worker ends the core and itself, and a
// core held by a share that stopped answering ends there whenever the share answers, like a held main core.

#include "engine/engine_events.h"
#include "opening/local_file.h"

#include <QObject>
#include <QString>
#include <memory>

class PreviewCore : public QObject {
    Q_OBJECT
  public:
    explicit PreviewCore(QObject* parent = nullptr);
    ~PreviewCore() override; // never waits: the worker ends on its own

    // The frame at `seconds` of `path` (a file the open plan accepted as `identity`), `width` pixels wide.
    void request(const QString& path, const FileIdentity& identity, double seconds, int width);
    void release();
    // A worker (and its core) exists: for the tests and the memory bound.
    bool running() const;

    // What the UI thread and the worker share.
    struct Shared;

  signals:
    void pictureReady(const QString& path, double seconds, const PreviewPicture& picture);

  private:
    std::shared_ptr<Shared> shared_;
};
