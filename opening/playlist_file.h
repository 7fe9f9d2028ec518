#pragma once
// Playlist files read by us, not by the engine: m3u, m3u8 (as a plain list) and pls. Only what they name
// comes out, as local paths; which of those may be played is decided by the caller.

#include <QByteArray>
#include <QString>
#include <QStringList>

// True if the file is a playlist, by its name or its first bytes.
bool looksLikePlaylist(const QString& path, const QByteArray& head);

// The local files the playlist names, in order, resolved against the playlist's folder; network addresses
// and other non-file entries are left out. At most `maxEntries`.
QStringList playlistEntries(const QString& playlistPath, const QByteArray& content, int maxEntries);
