#include "gallery/TextEncoding.h"

#include <gtest/gtest.h>

using namespace kameola;

TEST(TextEncoding, Cp932Bytes)
{
    EXPECT_EQ(ToShiftJis("表"), "\x95\x5C");
    EXPECT_EQ(ToShiftJis("ソ"), "\x83\x5C");
    EXPECT_EQ(ToShiftJis("画像一覧"), "\x89\xE6\x91\x9C\x88\xEA\x97\x97");
    EXPECT_EQ(ToShiftJis("ＭＳ Ｐゴシック"), "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E");
    EXPECT_EQ(ToShiftJis("<A HREF=\"a\\b\">~"), "<A HREF=\"a\\b\">~");
    EXPECT_EQ(ToShiftJis("ｱ"), "\xB1");  // half-width katakana is one byte
    EXPECT_EQ(ToShiftJis(""), "");
}

TEST(TextEncoding, UnmappableAndInvalid)
{
    EXPECT_EQ(ToShiftJis("café"), "caf&#233;");
    EXPECT_EQ(ToShiftJis("😀x"), "&#128512;x");
    EXPECT_EQ(ToShiftJis("a\xFF" "b"), "a&#65533;b");
    EXPECT_EQ(ToShiftJis("\xE8\xA1"), "&#65533;&#65533;");         // cut-short sequence
    EXPECT_EQ(ToShiftJis("\xC0\xAF"), "&#65533;&#65533;");         // overlong "/"
    EXPECT_EQ(ToShiftJis("\xED\xA0\x80"), "&#65533;&#65533;&#65533;");  // surrogate
}
