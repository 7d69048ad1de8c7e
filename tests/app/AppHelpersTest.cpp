// SPDX-License-Identifier: MIT
// Tests of the window helpers: LeadingInteger, the application title and the command edge.
#include "common/Errors.h"
#include "app/ApplicationTitle.h"
#include "app/CommandGuard.h"
#include "app/LeadingInteger.h"
#include "app/ProgramIcon.h"
#include "tests/app/FakeServices.h"

#include <QImage>

#include <gtest/gtest.h>
#include <stdexcept>

using namespace kameola;
using namespace kameola::test;

TEST(LeadingInteger, ReadsTheNumberAtTheStart)
{
    EXPECT_EQ(LeadingInteger("12"), 12);
    EXPECT_EQ(LeadingInteger("  7"), 7);
    EXPECT_EQ(LeadingInteger("12a"), 12);
    EXPECT_EQ(LeadingInteger("1,000"), 1);
    EXPECT_EQ(LeadingInteger("+42"), 42);
    EXPECT_EQ(LeadingInteger("abc"), 0);
    EXPECT_EQ(LeadingInteger(""), 0);
    EXPECT_EQ(LeadingInteger("   "), 0);
    EXPECT_EQ(LeadingInteger("\t7"), 0);  // only 0x20 is a blank
    EXPECT_EQ(LeadingInteger(" 7 "), 7);
}

TEST(LeadingInteger, TheSignCountsOnlyWhenEverythingWasRead)
{
    EXPECT_EQ(LeadingInteger("-5"), -5);
    EXPECT_EQ(LeadingInteger("-5a"), 5);
    EXPECT_EQ(LeadingInteger("-5 "), 5);
    EXPECT_EQ(LeadingInteger("-"), 0);
}

TEST(LeadingInteger, ReadsHexadecimalAfterItsPrefixes)
{
    EXPECT_EQ(LeadingInteger("$1F"), 31);
    EXPECT_EQ(LeadingInteger("0x1F"), 31);
    EXPECT_EQ(LeadingInteger("0X1f"), 31);
    EXPECT_EQ(LeadingInteger("x1f"), 31);
    EXPECT_EQ(LeadingInteger("X1F"), 31);
    EXPECT_EQ(LeadingInteger("-$10"), -16);
    EXPECT_EQ(LeadingInteger("$1G"), 1);
    EXPECT_EQ(LeadingInteger("$"), 0);
    EXPECT_EQ(LeadingInteger("1F"), 1);  // no prefix: decimal
}

TEST(LeadingInteger, LargeValuesWrapOrStopReading)
{
    EXPECT_EQ(LeadingInteger("2147483647"), 2147483647);
    EXPECT_EQ(LeadingInteger("-2147483648"), INT32_MIN);
    EXPECT_EQ(LeadingInteger("2147483648"), INT32_MIN);  // 32-bit arithmetic wraps
    // Ten digits at most: reading stops before the eleventh, and the sign is dropped.
    EXPECT_EQ(LeadingInteger("99999999999"), 999999999);
    EXPECT_EQ(LeadingInteger("-99999999999"), 999999999);
    EXPECT_EQ(LeadingInteger("$FFFFFFFFF"), -1);  // eight hex digits, then it stops
}

TEST(LeadingInteger, LowWordIsTheSigned16BitPart)
{
    EXPECT_EQ(LowWord(40000), -25536);
    EXPECT_EQ(LowWord(65544), 8);
    EXPECT_EQ(LowWord(-1), -1);
    EXPECT_EQ(LowWord(32767), 32767);
}

TEST(ApplicationTitle, IsTheProgramNameCutAtTheFirstDotInLowerCase)
{
    EXPECT_EQ(ApplicationTitleFor("/usr/local/bin/kameola"), "kameola");
    EXPECT_EQ(ApplicationTitleFor("/opt/KAMEOLA.EXE"), "Kameola");
    EXPECT_EQ(ApplicationTitleFor("build/My.Tool.bin"), "My");
    EXPECT_EQ(ApplicationTitleFor("ÄPFEL"), "Äpfel");
    EXPECT_EQ(ApplicationTitleFor(".hidden"), "");
    EXPECT_EQ(ApplicationTitleFor(""), "");

    SetApplicationTitle("Kameola");
    EXPECT_EQ(ApplicationTitle(), "Kameola");
}

TEST(RunCommand, ShowsErrorsWithTheFullStopRuleAndDropsAborts)
{
    SetApplicationTitle("Kameola");
    FakeServices services;
    RunCommand(services, nullptr, [] { throw EFOpenError("/tmp/x"); });
    RunCommand(services, nullptr, [] { throw EAbort(); });
    RunCommand(services, nullptr, [] { throw std::runtime_error("ends with a dot."); });
    RunCommand(services, nullptr, [] { throw 42; });
    bool ran = false;
    RunCommand(services, nullptr, [&] { ran = true; });

    EXPECT_TRUE(ran);
    ASSERT_EQ(services.boxes.size(), 3u);
    EXPECT_EQ(services.boxes[0].text, ErrorBoxText(EFOpenError("/tmp/x")));
    EXPECT_EQ(services.boxes[0].caption, "Kameola");
    EXPECT_TRUE(services.boxes[0].error);
    EXPECT_EQ(services.boxes[1].text, "ends with a dot.");
    EXPECT_TRUE(services.boxes[2].error);  // even an unknown throw gets a box
}

TEST(ProgramIcon, ABuiltInCopyStandsInWhenTheThemeLacksIt)
{
    QIcon::setThemeSearchPaths({});  // no icon theme installed
    for (const QIcon& icon : {BuiltInProgramIcon(), ProgramIcon()}) {
        ASSERT_FALSE(icon.isNull());
        for (int size : {16, 32, 48, 256})
            EXPECT_EQ(icon.pixmap(size).size(), QSize(size, size)) << size;
        const QImage image = icon.pixmap(32).toImage();
        EXPECT_NE(image.pixelColor(16, 16), image.pixelColor(0, 0)) << "a picture, not a blank";
    }
}
