#pragma once
// Windows cursor (.cur) files as pointer shapes. Qt reads the picture; the hot spot, which Qt's reader
// drops, comes from the file's directory entry.

#include <QCursor>
#include <QString>

// The cursor's first image with its hot spot; the standard arrow if the file cannot be read as a cursor.
QCursor loadCursorFile(const QString& path);
