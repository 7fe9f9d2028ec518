#include "toolkit/fonts.h"
#include <QStringList>

void installFontSubstitutes() {
    // MS Sans Serif is a narrow grotesque, Tahoma and Segoe UI Symbol are wide humanist faces.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Tahoma"), {QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Segoe UI Symbol"), {QStringLiteral("DejaVu Sans")});
}

QFont makeFont(const FontSpec& wanted, const QFont& base) {
    QFont font = base;
    if (wanted.face)
        font.setFamilies({QString::fromUtf8(wanted.face)});
    if (wanted.points > 0)
        font.setPointSizeF(wanted.points);
    font.setWeight(wanted.bold ? QFont::Bold : QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}
