// SPDX-License-Identifier: MIT
// StretchPicture for TBitmap and the size changes it builds on.
#include "common/Errors.h"
#include "imaging/Bitmap.h"

#include <gtest/gtest.h>
#include <vector>

using namespace kameola;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Rgb(const TBitmap& picture, int row)
{
    Bytes out(static_cast<std::size_t>(picture.Width()) * 3);
    picture.RowToRgb(row, out.data());
    return out;
}

// An 8-bit picture whose pixel (x, y) is index y × width + x, the table mapping index i to (i, i, i).
TBitmap Numbered(int width, int height)
{
    std::vector<PaletteEntry> table(256);
    for (int i = 0; i < 256; ++i)
        table[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i)};
    TBitmap picture;
    picture.Create(PixelFormat::pf8bit, width, height, table);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.MutableScanLine(y)[x] = static_cast<std::uint8_t>(y * width + x);
    return picture;
}

} // namespace

TEST(StretchTest, NearestSourceIndexIsFloorOfTheScaledIndex)
{
    EXPECT_EQ(NearestSourceIndex(0, 3, 10), 0);
    EXPECT_EQ(NearestSourceIndex(1, 3, 10), 3);
    EXPECT_EQ(NearestSourceIndex(2, 3, 10), 6);
    EXPECT_EQ(NearestSourceIndex(4, 5, 2), 1);
    EXPECT_EQ(NearestSourceIndex(2147483646, 2147483647, 2147483647), 2147483646);
}

TEST(StretchTest, NearestNeighbourDropsAndRepeats)
{
    const TBitmap source = Numbered(4, 3);
    const TBitmap shrunk = StretchPicture(source, 2, 2);
    EXPECT_EQ(shrunk.Format(), PixelFormat::pf8bit);
    EXPECT_EQ(shrunk.Palette(), source.Palette());
    // Columns 0, 2; rows 0, 1 (floor(1 × 3 / 2)).
    EXPECT_EQ(Bytes(shrunk.ScanLine(0), shrunk.ScanLine(0) + 2), (Bytes{0, 2}));
    EXPECT_EQ(Bytes(shrunk.ScanLine(1), shrunk.ScanLine(1) + 2), (Bytes{4, 6}));

    const TBitmap grown = StretchPicture(source, 6, 5);
    // Columns 0 0 1 2 2 3, rows 0 0 1 1 2.
    const int rows[] = {0, 0, 1, 1, 2};
    for (int y = 0; y < 5; ++y) {
        const Bytes expected = {std::uint8_t(rows[y] * 4), std::uint8_t(rows[y] * 4), std::uint8_t(rows[y] * 4 + 1),
                                std::uint8_t(rows[y] * 4 + 2), std::uint8_t(rows[y] * 4 + 2), std::uint8_t(rows[y] * 4 + 3)};
        EXPECT_EQ(Bytes(grown.ScanLine(y), grown.ScanLine(y) + 6), expected) << y;
    }
}

TEST(StretchTest, DirectAndNibbleFormatsSampleWholePixels)
{
    TBitmap p24;
    p24.Create(PixelFormat::pf24bit, 2, 1);
    const Bytes bgr = {1, 2, 3, 4, 5, 6};
    std::copy(bgr.begin(), bgr.end(), p24.MutableScanLine(0));
    EXPECT_EQ(Rgb(StretchPicture(p24, 4, 1), 0), (Bytes{3, 2, 1, 3, 2, 1, 6, 5, 4, 6, 5, 4}));

    TBitmap p4;
    p4.Create(PixelFormat::pf4bit, 3, 1, {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {3, 3, 3}});
    p4.MutableScanLine(0)[0] = 0x12;
    p4.MutableScanLine(0)[1] = 0x30;
    EXPECT_EQ(Rgb(StretchPicture(p4, 2, 1), 0), (Bytes{1, 1, 1, 2, 2, 2}));
}

TEST(StretchTest, MonochromeSourcesAndTheirPixelsSoBlackPrevails)
{
    // 4 × 2, black (0) only at (3, 1); shrunk to 2 × 1 the right half is black.
    TBitmap mono;
    mono.Create(PixelFormat::pf1bit, 4, 2, {{0, 0, 0}, {255, 255, 255}});
    mono.MutableScanLine(0)[0] = 0xF0;
    mono.MutableScanLine(1)[0] = 0xE0;
    const TBitmap small = StretchPicture(mono, 2, 1);
    EXPECT_TRUE(small.Monochrome());
    EXPECT_EQ(Rgb(small, 0), (Bytes{255, 255, 255, 0, 0, 0}));
    // Nearest neighbour alone would have sampled (2, 0): white.

    // Enlarging repeats pixels.
    const TBitmap big = StretchPicture(mono, 8, 4);
    EXPECT_EQ(big.ScanLine(0)[0], 0xFF);
    EXPECT_EQ(big.ScanLine(3)[0], 0xFC);
}

TEST(StretchTest, MonochromeWithWhiteFirstKeepsItsBlackLines)
{
    // White is entry 0: a one-pixel black line (1 bits) in column 5 and in row 2 of an
    // 8 × 8 picture must survive a shrink to 2 × 2, as it does with black first.
    for (bool whiteFirst : {true, false}) {
        const std::vector<PaletteEntry> table =
            whiteFirst ? std::vector<PaletteEntry>{{255, 255, 255}, {0, 0, 0}}
                       : std::vector<PaletteEntry>{{0, 0, 0}, {255, 255, 255}};
        const std::uint8_t ink = whiteFirst ? 1 : 0;
        TBitmap mono;
        mono.Create(PixelFormat::pf1bit, 8, 8, table);
        for (int y = 0; y < 8; ++y)
            mono.MutableScanLine(y)[0] = static_cast<std::uint8_t>(
                y == 2 ? (ink ? 0xFF : 0x00) : (ink ? 0x04 : 0xFB));
        const TBitmap small = StretchPicture(mono, 2, 2);
        ASSERT_TRUE(small.Monochrome());
        // Top row: the horizontal line; bottom row: only the vertical line on the right.
        EXPECT_EQ(Rgb(small, 0), (Bytes{0, 0, 0, 0, 0, 0})) << whiteFirst;
        EXPECT_EQ(Rgb(small, 1), (Bytes{255, 255, 255, 0, 0, 0})) << whiteFirst;
    }
}

TEST(StretchTest, EmptySourceGivesWhiteDevicePicture)
{
    const TBitmap white = StretchPicture(TBitmap(), 3, 2);
    EXPECT_EQ(white.Format(), PixelFormat::pfDevice);
    EXPECT_EQ(white.Width(), 3);
    EXPECT_EQ(white.Height(), 2);
    EXPECT_EQ(Rgb(white, 1), Bytes(9, 255));
}

TEST(StretchTest, ZeroAndNegativeSizesMakeNoStorage)
{
    const TBitmap source = Numbered(4, 3);
    const TBitmap flat = StretchPicture(source, 5, 0);
    EXPECT_EQ(flat.Width(), 5);
    EXPECT_EQ(flat.Height(), 0);
    EXPECT_FALSE(flat.HasStorage());
    const TBitmap thin = StretchPicture(source, 0, 7);
    EXPECT_EQ(thin.Width(), 0);
    EXPECT_EQ(thin.Height(), 7);
    const TBitmap negative = StretchPicture(source, -3, -1);  // counted as 0
    EXPECT_EQ(negative.Width(), 0);
    EXPECT_EQ(negative.Height(), 0);
    EXPECT_THROW(StretchPicture(source, 0x7FFFFFFF, 0x7FFFFFFF), EOutOfResources);
}

TEST(StretchTest, SizeChangesFillWithWhiteAndKeepTheCorner)
{
    TBitmap p = Numbered(2, 2);
    TBitmap copy = p;
    p.SetWidth(3);
    EXPECT_EQ(copy.Width(), 2);  // the copy is unchanged
    EXPECT_EQ(Bytes(p.ScanLine(1), p.ScanLine(1) + 3), (Bytes{2, 3, 255}));  // 255: whitest entry
    p.SetHeight(3);
    EXPECT_EQ(Rgb(p, 2), Bytes(9, 255));

    TBitmap p16;
    p16.Create(PixelFormat::pf16bit, 1, 1);
    p16.SetWidth(2);
    EXPECT_EQ(Rgb(p16, 0), (Bytes{0, 0, 0, 255, 255, 255}));
}

TEST(StretchTest, RedMaskZeroGetsDefaultMasksAndConvertedPixels)
{
    TBitmap p;
    p.Create(PixelFormat::pf16bit, 1, 1, {}, {0, 0x03E0, 0x001F});
    p.MutableScanLine(0)[0] = 0xFF;  // green 7, blue 31
    p.MutableScanLine(0)[1] = 0x00;
    const Bytes before = Rgb(p, 0);
    const TBitmap s = StretchPicture(p, 2, 1);
    EXPECT_EQ(s.Masks(), (BitFields{0xF800, 0x07E0, 0x001F}));
    const Bytes after = Rgb(s, 0);  // 5-bit green 7 (57) re-quantised to 6 bits: within a step
    for (std::size_t i = 0; i < after.size(); ++i)
        EXPECT_NEAR(after[i], before[i % 3], 2) << i;

    TBitmap q;
    q.Create(PixelFormat::pf32bit, 1, 1, {}, {0, 0xFF00, 0xFF});
    q.SetHeight(2);
    EXPECT_EQ(q.Masks(), (BitFields{0xFF0000, 0x00FF00, 0x0000FF}));
}
