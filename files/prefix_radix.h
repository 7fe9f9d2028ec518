#pragma once
// Sorts entries by a 64-bit prefix of their sort key, least significant digit first: a sort whose cost
// grows with the number of entries, not faster, which is what keeps a million names quick. A big range is
// sorted on two threads, each taking half of every pass.

#include <QtGlobal>
#include <cstddef>

struct PrefixedEntry {
    quint64 prefix; // eight key bytes, big-endian: what the passes sort on
    quint32 key;    // for the caller: where the key is
    quint32 name;   // for the caller: where the name is
};

// Below this many entries a second thread costs more than it saves.
constexpr size_t kTwoThreadSortEntries = 1 << 18;

// Stable. `spare` has room for last - first entries.
void sortByPrefix(PrefixedEntry* first, PrefixedEntry* last, PrefixedEntry* spare);
