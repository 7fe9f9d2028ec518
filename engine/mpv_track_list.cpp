#include "engine/mpv_track_list.h"

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

} // namespace

bool trackOf(const mpv_node& entry, MediaTrack& track) {
    return entry.format == MPV_FORMAT_NODE_MAP && trackOfMap(*entry.u.list, track);
}

int countOf(const mpv_event_property& p, int none) {
    return p.format == MPV_FORMAT_INT64 && p.data ? int(*static_cast<int64_t*>(p.data)) : none;
}
