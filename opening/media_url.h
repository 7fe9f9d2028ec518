#pragma once
// What the component's URL names: a file on this computer (a path, or a file: URL) or a network address.

#include <QString>

// The file's path for a file: URL; anything else as it was given.
QString localPathOf(const QString& url);
// A real scheme that is not file: ("http:clip.mp4" and "C:" style names are files).
bool isNetworkAddress(const QString& url);
// The file's own name, for captions and messages; the whole URL where it names no file.
QString fileNameOf(const QString& url);
