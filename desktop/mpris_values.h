#pragma once
// Values as MPRIS carries them: times in whole microseconds, files as file:// URLs.

#include <QString>
#include <QtGlobal>

// Seconds as microseconds: NaN and negatives are 0, what int64 cannot hold is its largest value.
qint64 mprisMicroseconds(double seconds);

// The address of what plays. A local file's URL is made of the file system's own bytes, percent-encoded,
// also where they are not UTF-8; other addresses are kept as they are, encoded.
QString mprisUrl(const QString& url);
