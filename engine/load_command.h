#pragma once
// The core's command that loads one item of a plan: the file by its own bytes, also where they are not valid
// UTF-8, with the plan's subtitle, cover art and start as per-file options.

#include "opening/open_policy.h"

#include <QByteArrayList>

// replace: the first item of a load, which replaces what the core holds; start >= 0: where it starts, in
// seconds.
QByteArrayList loadCommand(const OpenItem& item, bool replace, double start);
