#include "toolkit/outside_text.h"

namespace {

// Embeddings, overrides and isolates reorder whatever follows them, including our own words after a name.
bool isBidiControl(char32_t c) {
    return (c >= 0x202a && c <= 0x202e) || (c >= 0x2066 && c <= 0x2069);
}

bool isControl(char32_t c) {
    return c < 0x20 || (c >= 0x7f && c < 0xa0) || c == 0x2028 || c == 0x2029;
}

} // namespace

QString OutsideText::line(const QString& text, int maxChars) {
    QString shown;
    shown.reserve(std::min<qsizetype>(text.size(), maxChars + 1));
    for (const char32_t c : text.toUcs4()) {
        if (shown.size() >= maxChars) {
            shown += QChar(0x2026);
            break;
        }
        if (isBidiControl(c))
            continue;
        if (isControl(c))
            shown += QLatin1Char(' ');
        else
            shown += QString::fromUcs4(&c, 1);
    }
    return shown;
}

QString OutsideText::entry(const QString& text, int maxChars) {
    return line(text, maxChars).replace(QLatin1Char('&'), QLatin1String("&&"));
}

QString OutsideText::tip(const QString& text) {
    const QString shown = line(text);
    if (shown.trimmed().isEmpty())
        return {}; // no tip, as for an empty text
    // "<qt>" makes Qt read it as rich text whatever follows; pre-wrap keeps the spaces as they are.
    return QStringLiteral("<qt><p style='white-space:pre-wrap'>") + shown.toHtmlEscaped() +
           QStringLiteral("</p></qt>");
}

QMessageBox* OutsideText::messageBox(QMessageBox::Icon icon, const QString& title, const QString& text,
                                     QWidget* parent) {
    auto* box = new QMessageBox(icon, line(title), QString(), QMessageBox::Ok, parent);
    box->setTextFormat(Qt::PlainText);
    QStringList lines = text.split(QLatin1Char('\n')); // the line breaks of our own wording stay
    for (QString& each : lines)
        each = line(each);
    box->setText(lines.join(QLatin1Char('\n')));
    return box;
}
