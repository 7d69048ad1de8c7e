// SPDX-License-Identifier: MIT
// TBitmap: storage, copy-on-write, size changes and conversion to 24-bit rows.
#include "common/Errors.h"
#include "imaging/Bitmap.h"

#include <gtest/gtest.h>
#include <vector>

using namespace kameola;

namespace {

std::vector<std::uint8_t> Rgb(const TBitmap& picture, int row)
{
    std::vector<std::uint8_t> out(static_cast<std::size_t>(picture.Width()) * 3, 0xEE);
    picture.RowToRgb(row, out.data());
    return out;
}

using Bytes = std::vector<std::uint8_t>;

} // namespace

TEST(BitmapTest, NewPictureIsEmptyDeviceFormat)
{
    TBitmap picture;
    EXPECT_EQ(picture.Width(), 0);
    EXPECT_EQ(picture.Height(), 0);
    EXPECT_EQ(picture.Format(), PixelFormat::pfDevice);
    EXPECT_FALSE(picture.HasStorage());
    EXPECT_EQ(picture.ScanLine(0), nullptr);
}

TEST(BitmapTest, CreatePadsRowsToFourBytes)
{
    struct Case { PixelFormat format; int width; std::size_t stride; };
    for (const Case& c : {Case{PixelFormat::pf1bit, 33, 8}, Case{PixelFormat::pf4bit, 9, 8},
                          Case{PixelFormat::pf8bit, 5, 8}, Case{PixelFormat::pf16bit, 3, 8},
                          Case{PixelFormat::pf24bit, 5, 16}, Case{PixelFormat::pf32bit, 3, 12},
                          Case{PixelFormat::pfDevice, 1, 4}}) {
        TBitmap picture;
        picture.Create(c.format, c.width, 2);
        EXPECT_EQ(picture.Stride(), c.stride) << BitsPerPixel(c.format);
        EXPECT_EQ(picture.ScanLine(1) - picture.ScanLine(0), static_cast<std::ptrdiff_t>(c.stride));
        for (std::size_t i = 0; i < c.stride; ++i)
            EXPECT_EQ(picture.ScanLine(1)[i], 0);
    }
}

TEST(BitmapTest, CreateKeepsMasksOnlyForSixteenAndThirtyTwoBits)
{
    TBitmap picture;
    picture.Create(PixelFormat::pf24bit, 1, 1, {}, {0xF800, 0x07E0, 0x001F});
    EXPECT_FALSE(picture.Masks().Any());
    picture.Create(PixelFormat::pf16bit, 1, 1, {}, {0xF800, 0x07E0, 0x001F});
    EXPECT_EQ(picture.Masks(), (BitFields{0xF800, 0x07E0, 0x001F}));
}

TEST(BitmapTest, CreateRefusesWhatTheLimitForbids)
{
    TBitmap picture;
    EXPECT_THROW(picture.Create(PixelFormat::pf32bit, 0x7FFFFFFF, 0x7FFFFFFF), EOutOfResources);
    EXPECT_THROW(picture.Create(PixelFormat::pf8bit, -1, 1), EOutOfResources);
    EXPECT_THROW(picture.Create(PixelFormat::pf32bit, 16385, 16384), EOutOfResources);  // > 1 GiB
    picture.Create(PixelFormat::pf8bit, 0, 7);
    EXPECT_FALSE(picture.HasStorage());
    EXPECT_EQ(picture.Height(), 7);
}

TEST(BitmapTest, CopiesShareStorageUntilOneChanges)
{
    TBitmap a;
    a.Create(PixelFormat::pf8bit, 4, 2, {{1, 2, 3}});
    TBitmap b = a;
    EXPECT_EQ(a.ScanLine(0), b.ScanLine(0));

    b.MutableScanLine(1)[2] = 9;
    EXPECT_NE(a.ScanLine(0), b.ScanLine(0));
    EXPECT_EQ(a.ScanLine(1)[2], 0);
    EXPECT_EQ(b.ScanLine(1)[2], 9);

    TBitmap c = a;
    c.SetPalette({{7, 7, 7}});
    EXPECT_EQ(a.Palette(), (std::vector<PaletteEntry>{{1, 2, 3}}));
    EXPECT_EQ(c.Palette(), (std::vector<PaletteEntry>{{7, 7, 7}}));

    // An unshared picture changes in place.
    const std::uint8_t* before = c.ScanLine(0);
    c.MutableScanLine(0)[0] = 1;
    EXPECT_EQ(c.ScanLine(0), before);
}

TEST(BitmapTest, PaletteKeepsAtMost256Entries)
{
    TBitmap picture;
    picture.Create(PixelFormat::pf8bit, 1, 1, std::vector<PaletteEntry>(300));
    EXPECT_EQ(picture.Palette().size(), 256u);
    picture.SetPalette(std::vector<PaletteEntry>(257));
    EXPECT_EQ(picture.Palette().size(), 256u);
}

TEST(BitmapTest, IndexedRowsGoThroughTheTableAndPastItsEndToBlack)
{
    TBitmap p1;
    p1.Create(PixelFormat::pf1bit, 10, 1, {{10, 20, 30}, {40, 50, 60}});
    p1.MutableScanLine(0)[0] = 0b1000'0001;
    p1.MutableScanLine(0)[1] = 0b0100'0000;
    const Bytes expected1 = {40, 50, 60, 10, 20, 30, 10, 20, 30, 10, 20, 30, 10, 20, 30,
                             10, 20, 30, 10, 20, 30, 40, 50, 60, 10, 20, 30, 40, 50, 60};
    EXPECT_EQ(Rgb(p1, 0), expected1);

    TBitmap p4;
    p4.Create(PixelFormat::pf4bit, 3, 1, {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}});
    p4.MutableScanLine(0)[0] = 0x2F;  // 2, then 15: past the table
    p4.MutableScanLine(0)[1] = 0x10;
    EXPECT_EQ(Rgb(p4, 0), (Bytes{3, 3, 3, 0, 0, 0, 2, 2, 2}));

    TBitmap p8;
    p8.Create(PixelFormat::pf8bit, 3, 1, {{9, 8, 7}, {6, 5, 4}});
    p8.MutableScanLine(0)[0] = 1;
    p8.MutableScanLine(0)[1] = 255;
    EXPECT_EQ(Rgb(p8, 0), (Bytes{6, 5, 4, 0, 0, 0, 9, 8, 7}));
}

TEST(BitmapTest, DirectRowsSwapToRedGreenBlue)
{
    TBitmap p24;
    p24.Create(PixelFormat::pf24bit, 2, 1);
    const Bytes bgr = {1, 2, 3, 4, 5, 6};
    std::copy(bgr.begin(), bgr.end(), p24.MutableScanLine(0));
    EXPECT_EQ(Rgb(p24, 0), (Bytes{3, 2, 1, 6, 5, 4}));

    for (PixelFormat format : {PixelFormat::pf32bit, PixelFormat::pfDevice}) {
        TBitmap p32;
        p32.Create(format, 2, 1);
        const Bytes bgrx = {1, 2, 3, 99, 4, 5, 6, 99};
        std::copy(bgrx.begin(), bgrx.end(), p32.MutableScanLine(0));
        EXPECT_EQ(Rgb(p32, 0), (Bytes{3, 2, 1, 6, 5, 4}));
    }
}

TEST(BitmapTest, SixteenBitChannelsWidenToFullScale)
{
    // Default layout 5-5-5, bit 15 ignored.
    TBitmap p;
    p.Create(PixelFormat::pf16bit, 4, 1);
    std::uint8_t* row = p.MutableScanLine(0);
    const std::uint16_t values[] = {0xFFFF, 0x7C00, 0x0001 | (16 << 5), 0x8000};
    for (int i = 0; i < 4; ++i) {
        row[2 * i] = static_cast<std::uint8_t>(values[i]);
        row[2 * i + 1] = static_cast<std::uint8_t>(values[i] >> 8);
    }
    // 1 → 8 (00001 → 00001000 | 000), 16 → 132 (10000 → 10000100).
    EXPECT_EQ(Rgb(p, 0), (Bytes{255, 255, 255, 255, 0, 0, 0, 132, 8, 0, 0, 0}));

    // 5-6-5 masks: green 6 bits, 1 → 4, 63 → 255.
    TBitmap q;
    q.Create(PixelFormat::pf16bit, 2, 1, {}, {0xF800, 0x07E0, 0x001F});
    row = q.MutableScanLine(0);
    row[0] = 0x20;  // green 1
    row[1] = 0x00;
    row[2] = 0xE0;  // green 63
    row[3] = 0x07;
    EXPECT_EQ(Rgb(q, 0), (Bytes{0, 4, 0, 0, 255, 0}));
}

TEST(BitmapTest, ArbitraryMasksWidenByRepeatingBits)
{
    // 32-bit with 10-10-10 (wider than 8: top 8 bits) and a 1-bit, 3-bit, 12-bit layout.
    TBitmap p;
    p.Create(PixelFormat::pf32bit, 2, 1, {}, {0x3FF00000, 0x000FFC00, 0x000003FF});
    std::uint8_t* row = p.MutableScanLine(0);
    const std::uint32_t a = (0x3FFu << 20) | (0x200u << 10) | 0x0FF;
    const std::uint32_t masks2[] = {a, 0};
    for (int i = 0; i < 2; ++i)
        for (int k = 0; k < 4; ++k)
            row[4 * i + k] = static_cast<std::uint8_t>(masks2[i] >> (8 * k));
    EXPECT_EQ(Rgb(p, 0), (Bytes{255, 128, 63, 0, 0, 0}));

    TBitmap q;
    q.Create(PixelFormat::pf32bit, 2, 1, {}, {0x80000000, 0x00000700, 0x00FFF000});
    row = q.MutableScanLine(0);
    const std::uint32_t v1 = 0x80000000u | (0x5u << 8) | (0xABCu << 12);  // 3 bits 101 → 10110110
    const std::uint32_t v2 = 0x00000700u;
    for (int k = 0; k < 4; ++k) {
        row[k] = static_cast<std::uint8_t>(v1 >> (8 * k));
        row[4 + k] = static_cast<std::uint8_t>(v2 >> (8 * k));
    }
    EXPECT_EQ(Rgb(q, 0), (Bytes{255, 0xB6, 0xAB, 0, 255, 0}));
}
