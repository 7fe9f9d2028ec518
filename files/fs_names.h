#pragma once
// File names are bytes on Linux and need not be valid UTF-8. Qt decodes invalid bytes to U+FFFD, which
// names a different file. Here each byte that is not part of valid UTF-8 becomes the lone surrogate
// U+DC00 + byte (the scheme Python calls "surrogateescape"), so every name comes back to its own bytes.

#include <QByteArray>
#include <QString>

QString fsDecodeName(const QByteArray& bytes);
QByteArray fsEncodeName(const QString& name);

// The name as a person should see it, never broken over two rows: a newline as a return arrow, a tab as
// a right arrow, other control characters and escaped bytes as U+FFFD.
QString fsDisplayName(const QString& name);
