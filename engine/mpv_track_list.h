#pragma once
// Observed values that need more than a cast: the core's track list (a node) as the audio and subtitle
// tracks the menus offer, its chapter list, and counts and places that may be unavailable (then `none`).

#include "engine/engine_events.h"

#include <QList>
#include <mpv/client.h>

QList<MediaTrack> tracksOf(const mpv_event_property& value);
MediaChapters chaptersOf(const mpv_event_property& value);
int countOf(const mpv_event_property& value, int none);
