#include "engine/mpv_track_list.h"

#include <cmath>
#include <cstring>

QString tagText(const char* utf8) {
    if (!utf8)
        return {};
    qsizetype size = qsizetype(strnlen(utf8, size_t(kMaxTagBytes) + 1));
    if (size > kMaxTagBytes) {
        size = kMaxTagBytes;
        while (size > 0 && (quint8(utf8[size]) & 0xc0) == 0x80) // not within a character
            --size;
    }
    return QString::fromUtf8(utf8, size);
}

namespace {

QString nodeText(const mpv_node& node) {
    return node.format == MPV_FORMAT_STRING ? tagText(node.u.string) : QString();
}

// One map of the track list; only audio and subtitle tracks are kept.
bool trackOfMap(const mpv_node_list& map, MediaTrack& track) {
    QString type;
    for (int i = 0; i < map.num; ++i) {
        const char* key = map.keys[i];
        const mpv_node& value = map.values[i];
        if (qstrcmp(key, "type") == 0)
            type = nodeText(value);
        else if (qstrcmp(key, "id") == 0 && value.format == MPV_FORMAT_INT64)
            track.id = value.u.int64;
        else if (qstrcmp(key, "lang") == 0)
            track.language = nodeText(value);
        else if (qstrcmp(key, "title") == 0)
            track.title = nodeText(value);
        else if (qstrcmp(key, "external") == 0 && value.format == MPV_FORMAT_FLAG)
            track.external = value.u.flag != 0;
        else if (qstrcmp(key, "selected") == 0 && value.format == MPV_FORMAT_FLAG)
            track.selected = value.u.flag != 0;
    }
    track.subtitle = type == QLatin1String("sub");
    return track.subtitle || type == QLatin1String("audio");
}

// The maps of an observed array of maps, each handed to `take`; anything else in it is passed over.
template <typename Take> void forEachMap(const mpv_event_property& p, Take take) {
    if (p.format != MPV_FORMAT_NODE || !p.data)
        return;
    const auto* node = static_cast<const mpv_node*>(p.data);
    if (node->format != MPV_FORMAT_NODE_ARRAY)
        return;
    for (int i = 0; i < node->u.list->num; ++i)
        if (node->u.list->values[i].format == MPV_FORMAT_NODE_MAP)
            take(*node->u.list->values[i].u.list);
}

} // namespace

bool trackOf(const mpv_node& entry, MediaTrack& track) {
    return entry.format == MPV_FORMAT_NODE_MAP && trackOfMap(*entry.u.list, track);
}

// Chapters without a finite start are left out: a broken file's times place no mark.
MediaChapters chaptersOf(const mpv_event_property& p) {
    MediaChapters chapters;
    forEachMap(p, [&](const mpv_node_list& map) {
        MediaChapter chapter;
        bool timed = false;
        for (int k = 0; k < map.num; ++k) {
            const mpv_node& value = map.values[k];
            if (qstrcmp(map.keys[k], "title") == 0)
                chapter.title = nodeText(value);
            else if (qstrcmp(map.keys[k], "time") == 0 && value.format == MPV_FORMAT_DOUBLE)
                timed = std::isfinite(chapter.start = value.u.double_);
        }
        if (timed)
            chapters << chapter;
    });
    return chapters;
}

int countOf(const mpv_event_property& p, int none) {
    return p.format == MPV_FORMAT_INT64 && p.data ? int(*static_cast<int64_t*>(p.data)) : none;
}
