#pragma once
// The core's audio and subtitle tracks, read one track at a time. Observing the whole track list would have
// the core build it afresh, every title in it, on each change: a file may hold a thousand tracks titled
// with 100 KB each, and each copy of the list would cost 100 MB. The list is observed without its value;
// on a change its tracks are read, a few at a time, each cut short where it leaves the core (tagText).

#include "engine/engine_events.h"

#include <QList>
#include <QObject>
#include <cstdint>

struct MpvLibrary;
struct mpv_handle;
struct mpv_event;

class TrackReader : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;

    void attach(const MpvLibrary* lib, mpv_handle* core);
    void detach();

    // A change notice or a property reply: true if it was ours.
    bool take(const mpv_event& event);

  signals:
    void tracksRead(const QList<MediaTrack>& tracks);

  private:
    void start();
    void ask(int index);
    void finish();
    uint64_t reply(int slot) const;

    const MpvLibrary* lib_ = nullptr;
    mpv_handle* core_ = nullptr;
    uint64_t serial_ = 0; // answers to an older reading are dropped
    bool reading_ = false;
    bool again_ = false; // the list changed while it was read
    int count_ = 0;
    int answered_ = 0;
    QList<MediaTrack> tracks_;
};
