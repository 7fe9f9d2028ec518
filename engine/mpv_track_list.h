#pragma once
// Observed values that need more than a cast: the core's track list (a node) as the audio and subtitle
// tracks the menus offer, and counts and places that may be unavailable (then `none`).

#include "engine/engine_events.h"

#include <QList>
#include <QString>
#include <mpv/client.h>

QList<MediaTrack> tracksOf(const mpv_event_property& value);
// A title or tag from the file, cut to kMaxTagBytes where it leaves the core: a file may give each of its
// thousand tracks a title of megabytes, which no menu or desktop service needs whole.
inline constexpr qsizetype kMaxTagBytes = 512;
QString tagText(const char* utf8);
int countOf(const mpv_event_property& value, int none);
