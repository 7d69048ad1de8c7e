// SPDX-License-Identifier: MIT
// The windows' own font and the list of Japanese typefaces offered for the page.
#include "app/Fonts.h"

#include <QFontDatabase>
#include <QRegularExpression>

namespace kameola {

void RegisterWindowFontSubstitution()
{
    // Qt keeps each substitute once, so calling this again adds nothing.
    QFont::insertSubstitutions(QString::fromUtf8(kWindowFaceName),
                               {QStringLiteral("IPAPGothic"), QStringLiteral("VL PGothic"),
                                QStringLiteral("Noto Sans CJK JP")});
}

QFont WindowFont()
{
    QFont font(QString::fromUtf8(kWindowFaceName));
    font.setPixelSize(12);
    return font;
}

QStringList FilterJapaneseTypefaces(const QStringList& families)
{
    // Pan-CJK families come in one member per region ("Noto Sans CJK SC", "Source Han
    // Serif KR", ...); only the Japanese member (JP) is made for Japanese text.
    static const QRegularExpression otherRegion(
        QStringLiteral(R"(\bCJK\s+(SC|TC|HK|KR)\b)"), QRegularExpression::CaseInsensitiveOption);
    QStringList kept;
    for (const QString& family : families) {
        if (family.startsWith(QLatin1Char('@')))
            continue;
        if (otherRegion.match(family).hasMatch())
            continue;
        kept << family;
    }
    return kept;
}

QStringList JapaneseTypefaces()
{
    return FilterJapaneseTypefaces(QFontDatabase::families(QFontDatabase::Japanese));
}

} // namespace kameola
