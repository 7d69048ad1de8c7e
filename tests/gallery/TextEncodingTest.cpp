// SPDX-License-Identifier: MIT
#include "gallery/TextEncoding.h"

#include <gtest/gtest.h>
#include <string>

using namespace kameola;

TEST(TextEncoding, Cp932Bytes)
{
    const struct {
        const char* utf8;
        std::string cp932;
    } cases[] = {
        {"表", "\x95\x5C"},
        {"ソ", "\x83\x5C"},
        {"画像一覧", "\x89\xE6\x91\x9C\x88\xEA\x97\x97"},
        {"ＭＳ Ｐゴシック", "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E"},
        {"<A HREF=\"a\\b\">~", "<A HREF=\"a\\b\">~"},
        {"ｱ", "\xB1"},  // half-width katakana is one byte
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ToShiftJis(c.utf8), c.cp932) << c.utf8;
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

// Characters whose CP932 bytes read back as other characters are written as references;
// characters whose bytes read back as themselves stay bytes, also with 0x5C as trail byte.
TEST(TextEncoding, OnlyBytesThatReadBackAsTheSameCharacter)
{
    EXPECT_EQ(ToShiftJis("¥100.gif"), "&#165;100.gif");
    EXPECT_EQ(ToShiftJis("旅〜行.jpg"), "\x97\xB7&#12316;\x8D\x73.jpg");
    EXPECT_EQ(ToShiftJis("—‖−¢£¬‾"), "&#8212;&#8214;&#8722;&#162;&#163;&#172;&#8254;");

    // Their look-alikes that CP932 does hold stay bytes.
    EXPECT_EQ(ToShiftJis("～"), "\x81\x60");  // U+FF5E
    EXPECT_EQ(ToShiftJis("―"), "\x81\x5C");  // U+2015, trail byte 0x5C
    EXPECT_EQ(ToShiftJis("∥－￠￡￢￣"), "\x81\x61\x81\x7C\x81\x91\x81\x92\x81\xCA\x81\x50");
    EXPECT_EQ(ToShiftJis("表ソ①"), "\x95\x5C\x83\x5C\x87\x40");
    EXPECT_EQ(ToShiftJis("\\~"), "\\~");
}

