// Tests of the windows' font and the Japanese typeface list.
#include "Fonts.h"

#include <QFontInfo>
#include <gtest/gtest.h>

using namespace kameola;

TEST(FontsTest, FilterDropsVerticalAndNonJapaneseCjkFacesKeepingOrder)
{
    const QStringList reported = {
        QStringLiteral("IPAPGothic"),
        QStringLiteral("@IPAPGothic"),
        QStringLiteral("Noto Sans CJK SC"),
        QStringLiteral("Noto Sans CJK JP"),
        QStringLiteral("Noto Serif CJK TC"),
        QStringLiteral("Noto Sans Mono CJK KR"),
        QStringLiteral("Noto Sans CJK HK"),
        QStringLiteral("@Noto Sans CJK JP"),
        QStringLiteral("IPAGothic"),
        QStringLiteral("ＭＳ Ｐゴシック"),
    };
    const QStringList expected = {
        QStringLiteral("IPAPGothic"),
        QStringLiteral("Noto Sans CJK JP"),
        QStringLiteral("IPAGothic"),
        QStringLiteral("ＭＳ Ｐゴシック"),
    };
    EXPECT_EQ(FilterJapaneseTypefaces(reported), expected);
    EXPECT_TRUE(FilterJapaneseTypefaces({}).isEmpty());
    // A name that merely contains a region code as part of a word stays.
    EXPECT_EQ(FilterJapaneseTypefaces({QStringLiteral("CJKSC Fancy")}).size(), 1);
}

TEST(FontsTest, InstalledListHasOnlyJapaneseFaces)
{
    const QStringList faces = JapaneseTypefaces();
    for (const QString& face : faces) {
        EXPECT_FALSE(face.startsWith(QLatin1Char('@'))) << face.toStdString();
        EXPECT_FALSE(face.contains(QStringLiteral("CJK SC"))) << face.toStdString();
    }
    // Latin-only faces never appear (DejaVu has no kana).
    EXPECT_FALSE(faces.contains(QStringLiteral("DejaVu Sans")));
}

TEST(FontsTest, WindowFontRendersInAnInstalledJapaneseFace)
{
    RegisterWindowFontSubstitution();
    RegisterWindowFontSubstitution();  // a second call adds nothing
    const QStringList subs = QFont::substitutes(QString::fromUtf8(kWindowFaceName));
    EXPECT_EQ(subs.filter(QStringLiteral("IPAPGothic"), Qt::CaseInsensitive).size(), 1);

    const QFont font = WindowFont();
    EXPECT_EQ(font.pixelSize(), 12);
    EXPECT_EQ(font.family(), QString::fromUtf8(kWindowFaceName));
    if (JapaneseTypefaces().contains(QStringLiteral("IPAPGothic"))) {
        EXPECT_EQ(QFontInfo(font).family().toLower(), QStringLiteral("ipapgothic"));
    }
}
