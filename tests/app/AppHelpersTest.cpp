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

// The number a text field holds, read as the field's integer conversion does.
TEST(LeadingInteger, Table)
{
    struct Row {
        const char* text;
        int value;
    };
    const Row rows[] = {
        // the number at the start; only 0x20 is a blank
        {"12", 12},
        {"  7", 7},
        {"12a", 12},
        {"1,000", 1},
        {"+42", 42},
        {"abc", 0},
        {"", 0},
        {"   ", 0},
        {"\t7", 0},
        {" 7 ", 7},
        // the sign counts only when everything was read
        {"-5", -5},
        {"-5a", 5},
        {"-5 ", 5},
        {"-", 0},
        // hexadecimal after its prefixes; none is decimal
        {"$1F", 31},
        {"0x1F", 31},
        {"0X1f", 31},
        {"x1f", 31},
        {"X1F", 31},
        {"-$10", -16},
        {"$1G", 1},
        {"$", 0},
        {"1F", 1},
        // 32-bit arithmetic wraps; ten decimal or eight hex digits at most, then the sign
        // is dropped
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"2147483648", INT32_MIN},
        {"99999999999", 999999999},
        {"-99999999999", 999999999},
        {"$FFFFFFFFF", -1},
    };
    for (const Row& row : rows)
        EXPECT_EQ(LeadingInteger(row.text), row.value) << '"' << row.text << '"';
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
