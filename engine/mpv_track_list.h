#pragma once
// Values read from the core that need more than a cast: one track of its track list (a node) as the audio
// or subtitle track the menus offer, its chapter list, and counts and places that may be unavailable (then
// `none`).

#include "engine/engine_events.h"

#include <QString>
#include <mpv/client.h>

// False for a track that is neither audio nor subtitle, or a node that is no track.
bool trackOf(const mpv_node& entry, MediaTrack& track);
// A title or tag from the file, cut to kMaxTagBytes where it leaves the core: a file may give each of its
// thousand tracks a title of megabytes, which no menu or desktop service needs whole.
inline constexpr qsizetype kMaxTagBytes = 512;
QString tagText(const char* utf8);
MediaChapters chaptersOf(const mpv_event_property& value);
int countOf(const mpv_event_property& value, int none);
