#include "app/fonts.h"
#include <QStringList>

void installFontSubstitutes() {
    // MS Sans Serif is a narrow grotesque, Tahoma and Segoe UI Symbol are wide humanist faces.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Tahoma"), {QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Segoe UI Symbol"), {QStringLiteral("DejaVu Sans")});
}

QFont makeFont(const FontSpec& spec, const QFont& base) {
    QFont font = base;
    if (spec.face)
        font.setFamilies({QString::fromUtf8(spec.face)});
    if (spec.points > 0)
        font.setPointSizeF(spec.points);
    font.setWeight(spec.bold ? QFont::Bold : QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}
