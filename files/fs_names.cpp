#include "files/fs_names.h"
#include <algorithm>

namespace {

constexpr char16_t escapeBase = 0xDC00;

bool isEscapedByte(char16_t unit) {
    return unit >= escapeBase + 0x80 && unit <= escapeBase + 0xFF;
}

// Length of the valid UTF-8 sequence starting at bytes[i], or 0 when it is not one (overlong forms,
// surrogates and code points beyond U+10FFFF are invalid).
int validSequenceLength(const QByteArray& bytes, qsizetype i, char32_t& codePoint) {
    const auto at = [&](qsizetype k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char lead = at(i);
    int length;
    char32_t minimum;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, minimum = 0x80, codePoint = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, minimum = 0x800, codePoint = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, minimum = 0x10000, codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > bytes.size())
        return 0;
    for (int k = 1; k < length; ++k) {
        if ((at(i + k) & 0xC0) != 0x80)
            return 0;
        codePoint = (codePoint << 6) | (at(i + k) & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

QString fsDecodeName(const QByteArray& bytes) {
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return QString::fromLatin1(bytes); // the common case, and the quick one
    QString name;
    name.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size();) {
        char32_t codePoint = 0;
        const int length = validSequenceLength(bytes, i, codePoint);
        if (length == 0) {
            name.append(QChar(char16_t(escapeBase + static_cast<unsigned char>(bytes[i]))));
            ++i;
            continue;
        }
        if (codePoint >= 0x10000) {
            const char32_t c = codePoint - 0x10000;
            name.append(QChar(char16_t(0xD800 + (c >> 10))));
            name.append(QChar(char16_t(0xDC00 + (c & 0x3FF))));
        } else {
            name.append(QChar(char16_t(codePoint)));
        }
        i += length;
    }
    return name;
}

QByteArray fsEncodeName(const QString& name) {
    QByteArray bytes;
    bytes.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t unit = name.at(i).unicode();
        char32_t codePoint = unit;
        if (QChar::isHighSurrogate(unit) && i + 1 < name.size() && name.at(i + 1).isLowSurrogate()) {
            codePoint = QChar::surrogateToUcs4(unit, name.at(i + 1).unicode());
            ++i;
        } else if (isEscapedByte(unit)) {
            bytes.append(char(unit - escapeBase));
            continue;
        }
        if (codePoint < 0x80) {
            bytes.append(char(codePoint));
        } else if (codePoint < 0x800) {
            bytes.append(char(0xC0 | (codePoint >> 6)));
            bytes.append(char(0x80 | (codePoint & 0x3F)));
        } else if (codePoint < 0x10000) {
            bytes.append(char(0xE0 | (codePoint >> 12)));
            bytes.append(char(0x80 | ((codePoint >> 6) & 0x3F)));
            bytes.append(char(0x80 | (codePoint & 0x3F)));
        } else {
            bytes.append(char(0xF0 | (codePoint >> 18)));
            bytes.append(char(0x80 | ((codePoint >> 12) & 0x3F)));
            bytes.append(char(0x80 | ((codePoint >> 6) & 0x3F)));
            bytes.append(char(0x80 | (codePoint & 0x3F)));
        }
    }
    return bytes;
}

QString fsDisplayName(const QString& name) {
    QString shown = name;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const char16_t unit = shown.at(i).unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < shown.size() && shown.at(i + 1).isLowSurrogate())
            ++i; // a real character outside the basic plane, not an escaped byte
        else if (isEscapedByte(unit) || ((unit < 0x20 || unit == 0x7F) && unit != u'\n' && unit != u'\t'))
            shown[i] = QChar(char16_t(0xFFFD));
        else if (unit == u'\n')
            shown[i] = QChar(char16_t(0x21B5)); // the return arrow: common fonts have it, unlike U+240A
        else if (unit == u'\t')
            shown[i] = QChar(char16_t(0x2192));
    }
    return shown;
}
