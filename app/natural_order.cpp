#include "app/natural_order.h"
#include <algorithm>
#include <vector>

namespace {

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// Digit runs become '0', their length without leading zeros, then those digits: a shorter number sorts
// first, equal lengths compare digit by digit. The leading '0' keeps numbers where digits sort among
// other characters.
void appendNumber(QString& key, const QChar* digits, qsizetype length) {
    while (length > 0 && *digits == u'0')
        ++digits, --length;
    key.append(QLatin1Char('0'));
    key.append(QChar(char16_t(std::min<qsizetype>(length, 0xFFFF))));
    key.append(digits, length);
}

} // namespace

QString naturalSortKey(const QString& name) {
    QString key;
    key.reserve(name.size() + 4);
    const QChar* data = name.constData();
    const qsizetype size = name.size();
    for (qsizetype i = 0; i < size;) {
        const char16_t c = data[i].unicode();
        if (isDigit(c)) {
            qsizetype end = i;
            while (end < size && isDigit(data[end].unicode()))
                ++end;
            appendNumber(key, data + i, end - i);
            i = end;
        } else if (c < 0x80) {
            key.append(QChar(c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c));
            ++i;
        } else {
            key.append(data[i].toCaseFolded());
            ++i;
        }
    }
    return key;
}

bool naturallyBefore(const QString& a, const QString& b) {
    const int byKey = naturalSortKey(a).compare(naturalSortKey(b));
    return byKey != 0 ? byKey < 0 : a < b;
}

void sortNaturally(QStringList& names) {
    struct Item {
        QString key;
        QString name;
    };
    std::vector<Item> items;
    items.reserve(names.size());
    for (QString& name : names)
        items.push_back({naturalSortKey(name), std::move(name)});
    std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
        const int byKey = a.key.compare(b.key);
        return byKey != 0 ? byKey < 0 : a.name < b.name;
    });
    for (qsizetype i = 0; i < names.size(); ++i)
        names[i] = std::move(items[size_t(i)].name);
}
