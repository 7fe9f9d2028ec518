#pragma once
// The order of the folder and file lists: case-insensitive, with runs of digits compared as numbers
// ("track2" before "track10"). Keys are built once per name so that sorting compares plain bytes.

#include "files/prefix_radix.h"
#include <QString>
#include <string>
#include <vector>

// A sorted list of names kept as one block of bytes: a folder of 100 000 files costs two allocations,
// not 100 000, and a name becomes a QString only when a row is drawn or asked for.
class SortedNames {
  public:
    qsizetype size() const { return qsizetype(offsets_.size()); }
    bool isEmpty() const { return offsets_.empty(); }
    QString at(qsizetype i) const; // fsDecodeName form

  private:
    friend class NaturalSorter;
    std::string bytes_;            // each name ended by a NUL, which no file name holds
    std::vector<quint32> offsets_; // where each name starts, in order
};

// Sorts a whole folder's names, taken as raw file-name bytes straight from readdir: for the usual ASCII
// names the key comes from the bytes while they are still in the cache, with no string built twice.
class NaturalSorter {
  public:
    // Room for about this many names of this many bytes in all (spare room costs no memory till used).
    void reserve(size_t count, size_t bytes);
    void add(const char* name, size_t length);
    // The names in natural order; names with equal keys ("a" and "A", "1" and "01") are ordered by their
    // bytes, so the order never depends on the order they were added in. Leaves the sorter empty.
    SortedNames sorted();

    using Entry = PrefixedEntry; // prefix: eight key bytes; key: where the prefix was taken, once tied
                                 // where the key's length and key are; name: offset in names_

  private:
    std::string names_;
    std::string firstKey_, scratch_; // the first name's key; the key being built (no other is kept)
    size_t shared_ = 0;              // key bytes every name added shares with the first
    size_t takenTooDeep_ = 0;        // the entries before this one may hold a prefix taken past shared_
    std::vector<Entry> entries_;
};
