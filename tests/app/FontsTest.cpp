// SPDX-License-Identifier: MIT
// Tests of the windows' font and the Japanese typeface filter.
#include "app/Fonts.h"

#include <QFontInfo>

#include <gtest/gtest.h>

using namespace kameola;

TEST(FontsTest, FilterDropsVerticalAndChineseOrKoreanFacesKeepingOrder)
{
    const QStringList reported = {"IPAPGothic", "@IPAPGothic", "Noto Sans CJK SC", "Noto Sans CJK JP",
                                  "Noto Serif CJK TC", "Noto Sans Mono CJK KR", "Noto Sans CJK HK",
                                  "@Noto Sans CJK JP", "IPAGothic", "CJKSC Fancy"};
    EXPECT_EQ(FilterJapaneseTypefaces(reported),
              (QStringList{"IPAPGothic", "Noto Sans CJK JP", "IPAGothic", "CJKSC Fancy"}));
    EXPECT_FALSE(JapaneseTypefaces().contains(QStringLiteral("DejaVu Sans")));
}

TEST(FontsTest, WindowFontRendersInAnInstalledJapaneseFace)
{
    RegisterWindowFontSubstitution();
    RegisterWindowFontSubstitution();  // a second call adds nothing
    const QStringList subs = QFont::substitutes(QString::fromUtf8(kWindowFaceName));
    EXPECT_EQ(subs.filter(QStringLiteral("IPAPGothic"), Qt::CaseInsensitive).size(), 1);

    const QFont font = WindowFont();
    EXPECT_EQ(font.pixelSize(), 12);
    if (JapaneseTypefaces().contains(QStringLiteral("IPAPGothic"))) {
        EXPECT_EQ(QFontInfo(font).family().toLower(), QStringLiteral("ipapgothic"));
    }
}
