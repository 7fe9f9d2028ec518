#include "toolkit/natural_order.h"
#include "toolkit/fs_names.h"
#include <algorithm>
#include <cstring>

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
    names_.reserve(bytes);
    keys_.reserve(bytes + bytes / 4);
}

QString SortedNames::at(qsizetype i) const {
    const Span span = spans_[size_t(i)];
    return fsDecodeName(QByteArray::fromRawData(bytes_.data() + span.offset, span.length));
}

QStringList SortedNames::toList() const {
    QStringList list;
    list.reserve(size());
    for (qsizetype i = 0; i < size(); ++i)
        list.append(at(i));
    return list;
}

void NaturalSorter::add(const char* name, size_t length) {
    Entry entry{0, quint32(keys_.size()), 0, quint32(names_.size()), quint32(length)};
    names_.append(name, length);
    const auto put = [this](char16_t unit) { appendUnit(keys_, unit); };
    const bool ascii =
        std::all_of(name, name + length, [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii && length <= 255) {
        // The usual case, and the one a folder of 100 000 files hinges on: the key (at most three bytes a
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
    entry.keyLength = quint32(keys_.size() - entry.keyOffset);
    entries_.push_back(entry);
}

SortedNames NaturalSorter::sorted() {
    // Names in one folder often share a long start ("Artist - Album - "); the prefix is taken after it.
    size_t common = entries_.empty() ? 0 : entries_.front().keyLength;
    const char* keys = keys_.data();
    for (const Entry& entry : entries_) {
        const char* first = keys + entries_.front().keyOffset;
        const char* key = keys + entry.keyOffset;
        size_t k = 0;
        while (k < common && k < entry.keyLength && key[k] == first[k])
            ++k;
        common = k;
    }
    for (Entry& entry : entries_) {
        quint64 prefix = 0;
        for (size_t k = common; k < common + 8; ++k)
            prefix = (prefix << 8) |
                     (k < entry.keyLength ? static_cast<unsigned char>(keys[entry.keyOffset + k]) : 0u);
        entry.prefix = prefix;
    }
    const char* names = names_.data();
    const auto compareBytes = [](const char* a, quint32 aLength, const char* b, quint32 bLength) {
        const int byBytes = std::memcmp(a, b, std::min(aLength, bLength));
        return byBytes != 0 ? byBytes : int(aLength > bLength) - int(aLength < bLength);
    };
    std::sort(entries_.begin(), entries_.end(), [&](const Entry& a, const Entry& b) {
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        const int byKey = compareBytes(keys + a.keyOffset, a.keyLength, keys + b.keyOffset, b.keyLength);
        if (byKey != 0)
            return byKey < 0;
        return compareBytes(names + a.nameOffset, a.nameLength, names + b.nameOffset, b.nameLength) < 0;
    });
    SortedNames sorted;
    sorted.spans_.reserve(entries_.size());
    for (const Entry& entry : entries_)
        sorted.spans_.push_back({entry.nameOffset, entry.nameLength});
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
