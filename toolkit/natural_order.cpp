#include "toolkit/natural_order.h"
#include "toolkit/fs_names.h"
#include <QtEndian>
#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <utility>

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

    // Key bytes at..at+7, big-endian, zeros past the end: a smaller prefix always means an earlier key.
    quint64 prefixAt(const Entry& entry, size_t at) const {
        const size_t length = keyLength(entry);
        const unsigned char* key = keyBytes(entry);
        if (length >= at + 8)
            return qFromBigEndian<quint64>(key + at);
        quint64 prefix = 0;
        for (size_t k = at; k < at + 8; ++k)
            prefix = (prefix << 8) | (k < length ? key[k] : 0u);
        return prefix;
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

    // Least significant byte first, skipping the bytes every entry shares.
    void radix(Entry* first, Entry* last) const {
        const size_t count = size_t(last - first);
        std::array<std::array<quint32, 256>, 8> counts{};
        for (const Entry* entry = first; entry != last; ++entry)
            for (size_t byte = 0; byte < 8; ++byte)
                ++counts[byte][(entry->prefix >> (8 * byte)) & 0xFF];
        Entry* from = first;
        Entry* to = spare + (first - base);
        for (size_t byte = 0; byte < 8; ++byte) {
            std::array<quint32, 256>& buckets = counts[byte];
            if (buckets[(from->prefix >> (8 * byte)) & 0xFF] == count)
                continue;
            quint32 next = 0;
            for (quint32& bucket : buckets)
                next += std::exchange(bucket, next);
            for (const Entry* entry = from; entry != from + count; ++entry)
                to[buckets[(entry->prefix >> (8 * byte)) & 0xFF]++] = *entry;
            std::swap(from, to);
        }
        if (from != first)
            std::copy(from, from + count, first);
    }
};

} // namespace

QString naturalSortKey(const QString& name) {
    QString key;
    key.reserve(name.size() + 4);
    buildKey(reinterpret_cast<const char16_t*>(name.constData()), size_t(name.size()), caseFold,
             [&](char16_t unit) { key.append(QChar(unit)); });
    return key;
}

bool naturallyBefore(const QString& a, const QString& b) {
    const int byKey = naturalSortKey(a).compare(naturalSortKey(b));
    return byKey != 0 ? byKey < 0 : fsEncodeName(a) < fsEncodeName(b);
}

void NaturalSorter::reserve(size_t count, size_t bytes) {
    entries_.reserve(count);
    names_.reserve(bytes + count);
    keys_.reserve(bytes + bytes / 4 + 4 * count);
}

QString SortedNames::at(qsizetype i) const {
    const char* name = bytes_.data() + offsets_[size_t(i)];
    return fsDecodeName(QByteArray::fromRawData(name, qsizetype(std::strlen(name))));
}

QStringList SortedNames::toList() const {
    QStringList list;
    list.reserve(size());
    for (qsizetype i = 0; i < size(); ++i)
        list.append(at(i));
    return list;
}

void NaturalSorter::add(const char* name, size_t length) {
    const Entry entry{0, quint32(keys_.size()), quint32(names_.size())};
    names_.append(name, length);
    names_.push_back('\0');
    keys_.append(sizeof(quint32), '\0'); // the key's length, filled in below
    const auto put = [this](char16_t unit) { appendUnit(keys_, unit); };
    const bool ascii =
        std::all_of(name, name + length, [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii && length <= 255) {
        // The usual case, and the one a folder of a million files hinges on: the key (at most three bytes a
        // character) is built on the stack and appended once.
        char key[1024];
        size_t size = 0;
        buildKey(
            reinterpret_cast<const unsigned char*>(name), length, [](char16_t c) { return c; },
            [&](char16_t unit) {
                if (unit < 0x80) {
                    key[size++] = char(unit);
                } else { // only a digit run's length goes past ASCII here
                    key[size++] = char(0xC0 | (unit >> 6));
                    key[size++] = char(0x80 | (unit & 0x3F));
                }
            });
        keys_.append(key, size);
    } else if (ascii) {
        buildKey(
            reinterpret_cast<const unsigned char*>(name), length, [](char16_t c) { return c; }, put);
    } else { // the key comes from the decoded name, case-folded
        const QString decoded = fsDecodeName(QByteArray::fromRawData(name, qsizetype(length)));
        buildKey(reinterpret_cast<const char16_t*>(decoded.constData()), size_t(decoded.size()), caseFold,
                 put);
    }
    const quint32 keyLength = quint32(keys_.size() - entry.key - sizeof(quint32));
    std::memcpy(keys_.data() + entry.key, &keyLength, sizeof keyLength);
    entries_.push_back(entry);
}

SortedNames NaturalSorter::sorted() {
    if (!entries_.empty()) {
        const std::unique_ptr<Entry[]> spare(new Entry[entries_.size()]);
        EntrySort{keys_.data(), names_.data(), spare.get(), entries_.data()}.sort(
            entries_.data(), entries_.data() + entries_.size(), 0);
    }
    SortedNames sorted;
    sorted.offsets_.reserve(entries_.size());
    for (const Entry& entry : entries_)
        sorted.offsets_.push_back(entry.name);
    sorted.bytes_ = std::move(names_);
    *this = NaturalSorter();
    return sorted;
}

void sortNaturally(QStringList& names) {
    NaturalSorter sorter;
    for (const QString& name : names) {
        const QByteArray bytes = fsEncodeName(name);
        sorter.add(bytes.constData(), size_t(bytes.size()));
    }
    names = sorter.sorted().toList();
}
