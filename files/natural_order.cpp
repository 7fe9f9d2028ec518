#include "files/natural_order.h"
#include "files/fs_names.h"
#include "files/prefix_radix.h"
#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <memory>
#include <span>

namespace {

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// Builds the key of name, handing each key unit to put. Digit runs become '0', their length without
// leading zeros, then those digits: a shorter number sorts first, equal lengths compare digit by digit.
// The leading '0' keeps numbers where digits sort among other characters.
template <class Char, class Fold, class Put>
void buildKey(const Char* data, size_t size, Fold&& fold, Put&& put) {
    for (size_t i = 0; i < size;) {
        const char16_t c = char16_t(data[i]);
        if (isDigit(c)) {
            size_t start = i;
            while (start < size && char16_t(data[start]) == u'0')
                ++start;
            size_t end = start;
            while (end < size && isDigit(char16_t(data[end])))
                ++end;
            put(u'0');
            put(char16_t(std::min<size_t>(end - start, 0xFFFF)));
            for (size_t k = start; k < end; ++k)
                put(char16_t(data[k]));
            i = end;
        } else {
            put(c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c < 0x80 ? c : fold(c));
            ++i;
        }
    }
}

char16_t caseFold(char16_t c) {
    return QChar(c).toCaseFolded().unicode();
}

// Key units written the way UTF-8 writes code points: byte order then matches unit order, and the
// common ASCII names take one byte a character.
void appendUnit(std::string& bytes, char16_t unit) {
    if (unit < 0x80) {
        bytes.push_back(char(unit));
    } else if (unit < 0x800) {
        bytes.push_back(char(0xC0 | (unit >> 6)));
        bytes.push_back(char(0x80 | (unit & 0x3F)));
    } else {
        bytes.push_back(char(0xE0 | (unit >> 12)));
        bytes.push_back(char(0x80 | ((unit >> 6) & 0x3F)));
        bytes.push_back(char(0x80 | (unit & 0x3F)));
    }
}

using Entry = NaturalSorter::Entry;

// Key bytes at..at+7, big-endian, zeros past the end: a smaller prefix always means an earlier key.
quint64 keyPrefix(const unsigned char* key, size_t length, size_t at) {
    if (length >= at + 8)
        return qFromBigEndian<quint64>(key + at);
    quint64 prefix = 0;
    for (size_t k = at; k < at + 8; ++k)
        prefix = (prefix << 8) | (k < length ? key[k] : 0u);
    return prefix;
}

// Appends the key of a name given as file-name bytes.
void appendKey(std::string& key, const char* name, size_t length) {
    const bool ascii =
        std::all_of(name, name + length, [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    const auto put = [&key](char16_t unit) { appendUnit(key, unit); };
    if (ascii && length <= 255) {
        // The usual case, and the one a folder of a million files hinges on: the key (at most three bytes a
        // character) is built on the stack and appended once.
        char bytes[1024];
        size_t size = 0;
        buildKey(
            reinterpret_cast<const unsigned char*>(name), length, [](char16_t c) { return c; },
            [&](char16_t unit) {
                if (unit < 0x80) {
                    bytes[size++] = char(unit);
                } else { // only a digit run's length goes past ASCII here
                    bytes[size++] = char(0xC0 | (unit >> 6));
                    bytes[size++] = char(0x80 | (unit & 0x3F));
                }
            });
        key.append(bytes, size);
    } else if (ascii) {
        buildKey(
            reinterpret_cast<const unsigned char*>(name), length, [](char16_t c) { return c; }, put);
    } else { // the key comes from the decoded name, case-folded
        const QString decoded = fsDecodeName(QByteArray::fromRawData(name, qsizetype(length)));
        buildKey(reinterpret_cast<const char16_t*>(decoded.constData()), size_t(decoded.size()), caseFold,
                 put);
    }
}

// Orders entries by key, then by name bytes. Radix passes over eight key bytes at a time keep a folder's
// sort growing with its size, not faster (a comparison sort of a million names costs a fifth more per
// name than one of 100 000); entries that share those eight bytes go on to the next eight, and small
// groups to a comparison sort.
struct EntrySort {
    const char* keys;
    const char* names;
    Entry* spare;      // room for every entry, for the radix passes
    const Entry* base; // the first entry of all, to find a range's share of spare

    size_t keyLength(const Entry& entry) const {
        quint32 length;
        std::memcpy(&length, keys + entry.key, sizeof length);
        return length;
    }
    const unsigned char* keyBytes(const Entry& entry) const {
        return reinterpret_cast<const unsigned char*>(keys + entry.key + sizeof(quint32));
    }

    bool before(const Entry& a, const Entry& b) const {
        const size_t aLength = keyLength(a), bLength = keyLength(b);
        const int byKey = std::memcmp(keyBytes(a), keyBytes(b), std::min(aLength, bLength));
        if (byKey != 0)
            return byKey < 0;
        if (aLength != bLength)
            return aLength < bLength;
        return std::strcmp(names + a.name, names + b.name) < 0;
    }

    quint64 prefixAt(const Entry& entry, size_t at) const {
        return keyPrefix(keyBytes(entry), keyLength(entry), at);
    }

    // Sorts first..last, whose keys agree on their first depth bytes.
    void sort(Entry* first, Entry* last, size_t depth) const {
        if (last - first < 128) {
            std::sort(first, last, [this](const Entry& a, const Entry& b) { return before(a, b); });
            return;
        }
        // Names in one folder often share a long start ("Artist - Album - "): the prefix is taken after it.
        const unsigned char* firstKey = keyBytes(*first);
        size_t shared = keyLength(*first), longest = 0;
        for (const Entry* entry = first; entry != last; ++entry) {
            const size_t length = keyLength(*entry);
            const unsigned char* key = keyBytes(*entry);
            size_t k = depth;
            while (k < shared && k < length && key[k] == firstKey[k])
                ++k;
            shared = k;
            longest = std::max(longest, length);
        }
        if (longest <= depth) { // every key has ended: only the names tell them apart
            std::sort(first, last, [this](const Entry& a, const Entry& b) { return before(a, b); });
            return;
        }
        for (Entry* entry = first; entry != last; ++entry)
            entry->prefix = prefixAt(*entry, shared);
        radix(first, last);
        for (Entry* run = first; run != last;) {
            Entry* end = run + 1;
            while (end != last && end->prefix == run->prefix)
                ++end;
            if (end - run > 1)
                sort(run, end, shared + 8);
            run = end;
        }
    }

    void radix(Entry* first, Entry* last) const { sortByPrefix(first, last, spare + (first - base)); }
};

// Names whose prefixes tie get their keys built again, into scratch, and are sorted on from key byte depth.
void sortTies(std::vector<Entry>& entries, EntrySort sort, std::string& scratch, size_t depth) {
    Entry* const last = entries.data() + entries.size();
    for (Entry* run = entries.data(); run != last;) {
        Entry* end = run + 1;
        while (end != last && end->prefix == run->prefix)
            ++end;
        if (end - run > 1) {
            scratch.clear();
            for (Entry* entry = run; entry != end; ++entry) {
                const char* name = sort.names + entry->name;
                entry->key = quint32(scratch.size());
                scratch.append(sizeof(quint32), '\0'); // the key's length, filled in below
                appendKey(scratch, name, std::strlen(name));
                const quint32 length = quint32(scratch.size() - entry->key - sizeof(quint32));
                std::memcpy(scratch.data() + entry->key, &length, sizeof length);
            }
            sort.keys = scratch.data();
            sort.sort(run, end, depth);
        }
        run = end;
    }
}

} // namespace

void NaturalSorter::reserve(size_t count, size_t bytes) {
    entries_.reserve(count);
    names_.reserve(bytes + count);
}

QString SortedNames::at(qsizetype i) const {
    const char* name = bytes_.data() + offsets_[size_t(i)];
    return fsDecodeName(QByteArray::fromRawData(name, qsizetype(std::strlen(name))));
}

void NaturalSorter::add(const char* name, size_t length) {
    names_.append(name, length);
    names_.push_back('\0');
    scratch_.clear();
    appendKey(scratch_, name, length);
    if (entries_.empty()) {
        firstKey_ = scratch_;
        shared_ = firstKey_.size();
    }
    const size_t limit = std::min(shared_, scratch_.size());
    size_t k = 0;
    while (k < limit && scratch_[k] == firstKey_[k])
        ++k;
    if (k < shared_)
        takenTooDeep_ = entries_.size(); // the prefixes taken so far, deeper than the shared bytes now
    shared_ = k;
    // The prefix is taken after the bytes all names shared so far; should that shrink, sorted() takes it
    // again (key holds where it was taken till then).
    const auto* key = reinterpret_cast<const unsigned char*>(scratch_.data());
    entries_.push_back(
        {keyPrefix(key, scratch_.size(), shared_), quint32(shared_), quint32(names_.size() - length - 1)});
}

SortedNames NaturalSorter::sorted() {
    const char* names = names_.data();
    for (Entry& entry : std::span(entries_.data(), takenTooDeep_)) {
        if (entry.key == shared_)
            continue;
        scratch_.clear();
        appendKey(scratch_, names + entry.name, std::strlen(names + entry.name));
        entry.prefix =
            keyPrefix(reinterpret_cast<const unsigned char*>(scratch_.data()), scratch_.size(), shared_);
    }
    if (!entries_.empty()) {
        const std::unique_ptr<Entry[]> spare(new Entry[entries_.size()]);
        EntrySort whole{nullptr, names, spare.get(), entries_.data()};
        whole.radix(entries_.data(), entries_.data() + entries_.size());
        sortTies(entries_, whole, scratch_, shared_ + 8);
    }
    SortedNames sorted;
    sorted.offsets_.reserve(entries_.size());
    for (const Entry& entry : entries_)
        sorted.offsets_.push_back(entry.name);
    sorted.bytes_ = std::move(names_);
    *this = NaturalSorter();
    return sorted;
}
