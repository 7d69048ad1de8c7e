// SPDX-License-Identifier: MIT
// Tests of TGauge: percentages, range errors, clamping, repaints and the painted bar.
#include "common/Errors.h"
#include "widgets/Gauges.h"

#include <QImage>
#include <QPaintEvent>
#include <QTest>

#include <gtest/gtest.h>
#include <climits>

using namespace kameola;

namespace {

std::string RangeError(TGauge& gauge, bool setMax, int value)
{
    try {
        if (setMax)
            gauge.SetMaxValue(value);
        else
            gauge.SetMinValue(value);
    } catch (const EInvalidOperation& e) {
        return e.Message();
    }
    return "(no error)";
}

class CountingGauge : public TGauge {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        ++paints;
        TGauge::paintEvent(event);
    }
};

} // namespace

TEST(Gauge, PercentagesOfARunOverItsEntries)
{
    TGauge gauge;
    // One entry: the range 0..0 shows 0%.
    gauge.SetMaxValue(0);
    EXPECT_EQ(gauge.PercentDone(), 0);

    // Five entries: 0..4.
    gauge.SetMaxValue(4);
    std::vector<int> shown;
    for (int i = 0; i < 5; ++i) {
        gauge.SetProgress(i);
        shown.push_back(gauge.PercentDone());
    }
    EXPECT_EQ(shown, (std::vector<int>{0, 25, 50, 75, 100}));

    // Truncated, not rounded: 2 of 3 is 66%.
    gauge.SetMaxValue(3);
    gauge.SetProgress(2);
    EXPECT_EQ(gauge.PercentDone(), 66);
}

TEST(Gauge, PercentageOfTheWidestRangeDoesNotOverflow)
{
    TGauge gauge;
    gauge.SetMaxValue(INT_MAX);
    gauge.SetMinValue(INT_MIN);
    gauge.SetProgress(0);
    EXPECT_EQ(gauge.PercentDone(), 50);
    gauge.SetProgress(INT_MAX);
    EXPECT_EQ(gauge.PercentDone(), 100);
}

TEST(Gauge, RangeErrorsNameTheAllowedValuesAndChangeNothing)
{
    TGauge gauge;
    EXPECT_EQ(RangeError(gauge, true, -1), EInvalidOperation(1, 2147483647).Message());
    EXPECT_EQ(gauge.MaxValue(), 100);
    EXPECT_EQ(RangeError(gauge, false, 101), EInvalidOperation(-2147483647, 99).Message());
    EXPECT_EQ(gauge.MinValue(), 0);

    gauge.SetMinValue(10);
    EXPECT_EQ(RangeError(gauge, true, 9), EInvalidOperation(11, 2147483647).Message());
    // Equal bounds are allowed.
    EXPECT_EQ(RangeError(gauge, true, 10), "(no error)");
    EXPECT_EQ(gauge.MaxValue(), 10);
}

TEST(Gauge, ProgressIsKeptInsideTheRange)
{
    TGauge gauge;
    gauge.SetProgress(250);
    EXPECT_EQ(gauge.Progress(), 100);
    gauge.SetProgress(-3);
    EXPECT_EQ(gauge.Progress(), 0);

    gauge.SetProgress(80);
    gauge.SetMaxValue(50);  // lowers the progress with it
    EXPECT_EQ(gauge.Progress(), 50);
    gauge.SetMinValue(20);
    gauge.SetProgress(0);
    EXPECT_EQ(gauge.Progress(), 20);
    gauge.SetMaxValue(60);
    gauge.SetMinValue(40);  // raises the progress with it
    EXPECT_EQ(gauge.Progress(), 40);
}

TEST(Gauge, RepaintsOnlyWhenTheWholePercentageChanges)
{
    CountingGauge gauge;
    gauge.resize(100, 20);
    gauge.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&gauge));
    gauge.SetMaxValue(1000);
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    gauge.paints = 0;

    gauge.SetProgress(5);  // 0.5%: still 0%
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(gauge.paints, 0);

    gauge.SetProgress(10);  // 1%
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_GT(gauge.paints, 0);
}

TEST(Gauge, PaintsAFramedWhiteBoxWithABlackBarAndInvertedText)
{
    TGauge gauge;
    gauge.resize(102, 25);
    gauge.SetProgress(50);
    const QImage image = gauge.grab().toImage();
    ASSERT_EQ(image.width(), 102);
    const auto at = [&](int x, int y) { return image.pixelColor(x, y); };

    EXPECT_EQ(at(0, 0), QColor(Qt::black));     // frame
    EXPECT_EQ(at(101, 24), QColor(Qt::black));  // frame
    EXPECT_EQ(at(2, 2), QColor(Qt::black));     // bar: half of the 100-pixel inner width
    EXPECT_EQ(at(50, 2), QColor(Qt::black));
    EXPECT_EQ(at(51, 2), QColor(Qt::white));    // background
    EXPECT_EQ(at(99, 22), QColor(Qt::white));

    // The text "50%" straddles the bar's end: some white pixels left of it and some black
    // pixels right of it.
    int whiteOnBar = 0;
    int blackOnBackground = 0;
    for (int y = 1; y < 24; ++y) {
        for (int x = 1; x <= 100; ++x) {
            const QColor c = at(x, y);
            if (x <= 50 && c.lightness() > 128)
                ++whiteOnBar;
            if (x > 50 && c.lightness() < 128)
                ++blackOnBackground;
        }
    }
    EXPECT_GT(whiteOnBar, 0);
    EXPECT_GT(blackOnBackground, 0);

    gauge.SetShowText(false);
    const QImage plain = gauge.grab().toImage();
    for (int y = 1; y < 24; ++y)
        for (int x = 1; x <= 100; ++x)
            ASSERT_EQ(plain.pixelColor(x, y), x <= 50 ? QColor(Qt::black) : QColor(Qt::white))
                << x << "," << y;
}
