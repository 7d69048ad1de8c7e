// SPDX-License-Identifier: MIT
// The BMP reader: headers, depths, masks, colour tables, row order, RLE and failures, built
// as bytes in the test; plus the BMP suite as a corpus.
#include "common/Errors.h"
#include "imaging/Bitmap.h"
#include "tests/support/Bmp.h"
#include "tests/support/Files.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace kameola;
using namespace kameola::test;

namespace {

TBitmap Load(const Bytes& bytes)
{
    TBitmap picture;
    picture.LoadBmpData(bytes.data(), bytes.size());
    return picture;
}

Bytes Rgb(const TBitmap& picture, int row)
{
    Bytes out(static_cast<std::size_t>(picture.Width()) * 3, 0xEE);
    picture.RowToRgb(row, out.data());
    return out;
}

Bytes Row(const TBitmap& picture, int row, std::size_t n)
{
    return Bytes(picture.ScanLine(row), picture.ScanLine(row) + n);
}

const std::vector<PaletteEntry> kTable = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {10, 20, 30}};

} // namespace

TEST(BmpReaderTest, ZeroBytesGiveAnEmptyPictureAndShortFilesAReadError)
{
    TBitmap picture;
    picture.Create(PixelFormat::pf8bit, 2, 2);
    picture.LoadBmpData(nullptr, 0);
    EXPECT_EQ(picture.Width(), 0);
    EXPECT_EQ(picture.Height(), 0);
    EXPECT_FALSE(picture.HasStorage());

    const Bytes whole = BuildBmp({});
    for (std::size_t n = 1; n <= 13; ++n)
        EXPECT_THROW(picture.LoadBmpData(whole.data(), n), EReadError) << n;
}

TEST(BmpReaderTest, MalformedHeadersAreInvalidGraphics)
{
    BmpHeader f;
    f.pixels = {1, 2, 3, 0};
    auto expectInvalid = [](const Bytes& bytes, const char* what) {
        try {
            Load(bytes);
            ADD_FAILURE() << what;
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(e.Message(), EInvalidGraphic().Message()) << what;
        }
    };
    BmpHeader magic = f;
    magic.magic[1] = 'A';
    expectInvalid(BuildBmp(magic), "magic");
    for (std::uint16_t planes : {0, 2}) {
        BmpHeader p = f;
        p.planes = planes;
        expectInvalid(BuildBmp(p), "planes");
    }
    for (std::uint32_t size : {0u, 11u, 13u, 16u, 39u, 41u, 64u, 0xFFFFFFFFu}) {
        BmpHeader s = f;
        s.headerSize = size;
        expectInvalid(BuildBmp(s), "header size");
    }
    Bytes cut = BuildBmp(f);
    cut.resize(14 + 30);  // header cut short by the end of the file
    expectInvalid(cut, "header cut short");
    cut.resize(16);  // not even the size
    expectInvalid(cut, "size cut short");
}

TEST(BmpReaderTest, DepthsAndCompressionsThePictureCannotHoldAreRefused)
{
    struct Case { std::uint16_t bits; std::uint32_t compression; std::int32_t width; };
    for (const Case& c : {Case{2, 0, 1}, Case{64, 0, 1}, Case{0, 0, 1}, Case{24, 4, 1},
                          Case{24, 5, 1}, Case{8, 2, 1}, Case{4, 1, 1}, Case{24, 1, 1},
                          Case{24, 3, 1}, Case{8, 3, 1}, Case{32, 6, 1}, Case{24, 0, -1}}) {
        BmpHeader f;
        f.bits = c.bits;
        f.compression = c.compression;
        f.width = c.width;
        f.coloursUsed = 1;
        f.table = {{1, 2, 3}};
        f.pixels = Bytes(8, 0);
        EXPECT_THROW(Load(BuildBmp(f)), EInvalidGraphic) << c.bits << " " << c.compression;
    }
}

TEST(BmpReaderTest, HugeHeadersAreRefusedBeforeAllocating)
{
    for (auto [w, h] : {std::pair{100000, 100000}, std::pair{0x7FFFFFFF, 0x7FFFFFFF},
                        std::pair{0x7FFFFFFF, -0x7FFFFFFF}, std::pair{1, INT32_MIN}}) {
        BmpHeader f;
        f.bits = 32;
        f.width = w;
        f.height = h;
        EXPECT_THROW(Load(BuildBmp(f)), EInvalidGraphic) << w << "x" << h;
    }
    // A huge width without rows (or the reverse) makes no storage at all.
    BmpHeader f;
    f.width = 0x7FFFFFFF;
    f.height = 0;
    TBitmap wide = Load(BuildBmp(f));
    EXPECT_EQ(wide.Width(), 0x7FFFFFFF);
    EXPECT_FALSE(wide.HasStorage());
    f.width = 0;
    f.height = -5;
    TBitmap none = Load(BuildBmp(f));
    EXPECT_EQ(none.Height(), 5);
    EXPECT_FALSE(none.HasStorage());
}

TEST(BmpReaderTest, FuzzCrashZeroWidthWithManyRows)
{
    // Found by fuzzing: rows of a picture without storage were copied to a null row.
    const Bytes bytes = {
        0x42, 0x4d, 0x66, 0x10, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xa2, 0xff, 0xff, 0xff,
        0x28, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xca, 0x01, 0x00,
        0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x00, 0x13, 0x0b, 0x00, 0x00,
        0x13, 0x0b, 0x00, 0x00, 0x0c, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00, 0xff, 0x00, 0x00, 0x80, 0x00, 0x7f, 0x00, 0x00, 0x00, 0x42,
        0x4d, 0x3e, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x3e, 0x00, 0x00, 0x00, 0x36,
        0x00, 0x00, 0x00, 0x01, 0x00, 0x44, 0x44, 0xb4, 0x44, 0xb4, 0x44, 0x44, 0x44, 0x44,
        0x44, 0xb4, 0x44, 0xb4, 0x44, 0xb4, 0xb4, 0xb4, 0xb4, 0xb4, 0xb4, 0xbb, 0xbb, 0x66,
        0x66, 0x86, 0x66, 0x96, 0x86, 0x96, 0x86, 0xb8, 0x98, 0xb8, 0xb8, 0xb8, 0xb8, 0xbb,
        0x28, 0x00, 0x00, 0x00, 0x7f, 0x00, 0x00, 0x00, 0x36, 0x00, 0x00, 0x00, 0x01, 0x00,
        0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x13, 0xbb, 0xb2, 0x92,
        0xb2, 0x92, 0xb2, 0x92, 0xb2, 0x27, 0x90, 0x0b, 0x00, 0x00, 0x13, 0x0b, 0xa2, 0x00,
        0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x3f, 0x00, 0x00, 0x00,
        0x00, 0xff, 0x00, 0xef, 0xef, 0x50, 0x03, 0xf7, 0xf7, 0x50, 0x03, 0xff, 0xef, 0x50,
        0x03, 0xef, 0xef, 0x50, 0xff, 0xd0,
    };
    TBitmap p = Load(bytes);
    EXPECT_EQ(p.Width(), 0);
    EXPECT_EQ(p.Height(), 905969664);  // top-down
    EXPECT_FALSE(p.HasStorage());
    EXPECT_EQ(StretchPicture(p, 3, 2).Width(), 3);
}

TEST(BmpReaderTest, FailureLeavesThePictureAsItWas)
{
    TBitmap picture;
    picture.Create(PixelFormat::pf24bit, 3, 4);
    BmpHeader f;
    f.bits = 2;
    EXPECT_THROW(picture.LoadBmpData(BuildBmp(f).data(), BuildBmp(f).size()), EInvalidGraphic);
    EXPECT_EQ(picture.Width(), 3);
    EXPECT_EQ(picture.Height(), 4);
    EXPECT_TRUE(picture.HasStorage());
}

TEST(BmpReaderTest, IndexedDepthsGoThroughTheirTable)
{
    // 1 bit: 10 pixels 1,0,0,0,0,0,0,1 | 1,0, two rows bottom-up.
    BmpHeader f1;
    f1.bits = 1;
    f1.width = 10;
    f1.height = 2;
    f1.table = {{0, 0, 0}, {255, 255, 255}};
    f1.pixels = {0x81, 0x80, 0, 0, /* top row */ 0x00, 0x40, 0, 0};
    TBitmap p1 = Load(BuildBmp(f1));
    EXPECT_EQ(p1.Format(), PixelFormat::pf1bit);
    EXPECT_TRUE(p1.Monochrome());
    EXPECT_EQ(p1.Palette(), f1.table);
    EXPECT_EQ(Row(p1, 0, 2), (Bytes{0x00, 0x40}));
    EXPECT_EQ(Row(p1, 1, 2), (Bytes{0x81, 0x80}));
    Bytes top(30, 0);
    top[27] = top[28] = top[29] = 255;
    EXPECT_EQ(Rgb(p1, 0), top);

    // 3 pixels through kTable, colours used 4.
    auto threePixels = [](std::uint16_t bits, Bytes pixels) {
        BmpHeader f;
        f.bits = bits;
        f.width = 3;
        f.coloursUsed = 4;
        f.table = kTable;
        f.pixels = std::move(pixels);
        return Load(BuildBmp(f));
    };
    // 4 bits: the high nibble first.
    TBitmap p4 = threePixels(4, {0x31, 0x20, 0, 0});
    EXPECT_EQ(p4.Format(), PixelFormat::pf4bit);
    EXPECT_EQ(Rgb(p4, 0), (Bytes{10, 20, 30, 0, 255, 0, 0, 0, 255}));

    // 8 bits with a short table: an index past it is black.
    TBitmap p8 = threePixels(8, {3, 200, 0, 0});
    EXPECT_EQ(p8.Format(), PixelFormat::pf8bit);
    EXPECT_EQ(p8.Palette().size(), 4u);
    EXPECT_EQ(Rgb(p8, 0), (Bytes{10, 20, 30, 0, 0, 0, 255, 0, 0}));
}

TEST(BmpReaderTest, DefaultTableSizesFollowTheDepth)
{
    BmpHeader f;
    f.bits = 8;
    f.table.assign(256, {});
    f.table[255] = {1, 2, 3};
    f.pixels = {255, 0, 0, 0};
    TBitmap p = Load(BuildBmp(f));
    EXPECT_EQ(p.Palette().size(), 256u);
    EXPECT_EQ(Rgb(p, 0), (Bytes{1, 2, 3}));
}

TEST(BmpReaderTest, DirectDepths)
{
    BmpHeader f16;
    f16.bits = 16;
    f16.width = 2;
    f16.pixels = {0x1F, 0x7C, 0xE0, 0x03};  // 555: blue 31 + red 31, then green 31
    EXPECT_EQ(Rgb(Load(BuildBmp(f16)), 0), (Bytes{255, 0, 255, 0, 255, 0}));

    BmpHeader f24;
    f24.width = 2;
    f24.pixels = {1, 2, 3, 4, 5, 6, 0, 0};
    TBitmap p24 = Load(BuildBmp(f24));
    EXPECT_EQ(p24.Format(), PixelFormat::pf24bit);
    EXPECT_EQ(Rgb(p24, 0), (Bytes{3, 2, 1, 6, 5, 4}));

    BmpHeader f32;
    f32.bits = 32;
    f32.pixels = {7, 8, 9, 200};
    TBitmap p32 = Load(BuildBmp(f32));
    EXPECT_EQ(p32.Format(), PixelFormat::pf32bit);
    EXPECT_FALSE(p32.Masks().Any());
    EXPECT_EQ(Rgb(p32, 0), (Bytes{9, 8, 7}));
}

TEST(BmpReaderTest, MasksAfterTheHeaderOrInsideIt)
{
    const Bytes pixel565 = {0x20, 0xF8, 0, 0};  // red 31, green 1, blue 0
    for (std::uint32_t size : {40u, 52u, 56u, 108u, 124u}) {
        BmpHeader f;
        f.headerSize = size;
        f.bits = 16;
        f.compression = 3;
        f.masks = {0xF800, 0x07E0, 0x001F};
        f.pixels = pixel565;
        TBitmap p = Load(BuildBmp(f));
        EXPECT_EQ(p.Masks(), (BitFields{0xF800, 0x07E0, 0x001F})) << size;
        EXPECT_EQ(Rgb(p, 0), (Bytes{255, 4, 0})) << size;
    }
    // 32-bit with its channels in other places, colours after the masks become the palette.
    BmpHeader f;
    f.bits = 32;
    f.compression = 3;
    f.masks = {0x000000FF, 0x0000FF00, 0x00FF0000};
    f.coloursUsed = 1;
    f.table = {{5, 6, 7}};
    f.pixels = {10, 20, 30, 40};
    TBitmap p = Load(BuildBmp(f));
    EXPECT_EQ(Rgb(p, 0), (Bytes{10, 20, 30}));
    EXPECT_EQ(p.Palette(), f.table);

    // Masks in a longer header count only with compression 3.
    f.headerSize = 108;
    f.compression = 0;
    f.coloursUsed = 0;
    f.table = {};
    EXPECT_EQ(Rgb(Load(BuildBmp(f)), 0), (Bytes{30, 20, 10}));

    // Masks cut short by the end of the file.
    BmpHeader cut;
    cut.bits = 16;
    cut.compression = 3;
    cut.masks = {0xF800, 0x07E0};
    EXPECT_THROW(Load(BuildBmp(cut)), EReadError);
}

TEST(BmpReaderTest, CoreHeaderHasUnsignedSizesAndThreeByteEntries)
{
    BmpHeader f;
    f.headerSize = 12;
    f.bits = 8;
    f.width = 40000;  // above 32767: unsigned
    f.height = 2;
    f.table.assign(256, {});
    f.table[1] = {11, 22, 33};
    f.pixels.assign(80000, 0);
    f.pixels[40000 + 39999] = 1;  // second row in the file: the top row
    TBitmap p = Load(BuildBmp(f));
    EXPECT_EQ(p.Width(), 40000);
    EXPECT_EQ(p.Height(), 2);
    EXPECT_EQ(p.Palette()[1], (PaletteEntry{11, 22, 33}));
    EXPECT_EQ(p.ScanLine(0)[39999], 1);
    EXPECT_EQ(p.ScanLine(1)[39999], 0);
}

TEST(BmpReaderTest, RowsComeInPictureOrderEitherWay)
{
    BmpHeader f;
    f.bits = 8;
    f.width = 1;
    f.height = 3;
    f.coloursUsed = 4;
    f.table = kTable;
    f.pixels = {0, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0};
    TBitmap up = Load(BuildBmp(f));
    EXPECT_EQ(Rgb(up, 0), (Bytes{0, 0, 255}));
    EXPECT_EQ(Rgb(up, 2), (Bytes{255, 0, 0}));
    f.height = -3;
    TBitmap down = Load(BuildBmp(f));
    EXPECT_EQ(down.Height(), 3);
    EXPECT_EQ(Rgb(down, 0), (Bytes{255, 0, 0}));
    EXPECT_EQ(Rgb(down, 2), (Bytes{0, 0, 255}));
}

TEST(BmpReaderTest, PixelDataCutShortLeavesZeros)
{
    BmpHeader f;
    f.width = 2;
    f.height = -2;
    f.pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};  // the second row has 2 of its 8 bytes
    TBitmap p = Load(BuildBmp(f));
    EXPECT_EQ(Row(p, 0, 8), (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(Row(p, 1, 8), (Bytes{9, 10, 0, 0, 0, 0, 0, 0}));

    // An image size field below the array takes only that much.
    f.imageSize = 4;
    EXPECT_EQ(Row(Load(BuildBmp(f)), 0, 8), (Bytes{1, 2, 3, 4, 0, 0, 0, 0}));

    // One above it never reads past the array: the bytes after it are left alone.
    f.imageSize = 0xFFFFFFF0;
    f.height = 1;
    TBitmap capped = Load(BuildBmp(f));
    EXPECT_EQ(capped.Height(), 1);
    EXPECT_EQ(Row(capped, 0, 8), (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST(BmpReaderTest, PixelsStartAtTheFileOffsetWhenItLiesPastTheHeadersAndInTheFile)
{
    BmpHeader f;
    f.bits = 8;
    f.coloursUsed = 2;
    f.table = {{1, 1, 1}, {2, 2, 2}};
    f.gap = {0, 0, 0, 0};
    f.pixels = {1, 0, 0, 0};
    const Bytes base = BuildBmp(f);
    const std::size_t tableEnd = 14 + 40 + 8;
    auto withOffset = [&](std::uint32_t offset) {
        Bytes b = base;
        for (int i = 0; i < 4; ++i)
            b[10 + i] = static_cast<std::uint8_t>(offset >> (8 * i));
        return b;
    };
    // The offset past the gap: index 1.
    EXPECT_EQ(Rgb(Load(withOffset(tableEnd + 4)), 0), (Bytes{2, 2, 2}));
    // No usable offset (0, inside the headers, at or past the end of the file): right
    // after the table, where the gap reads as index 0.
    for (std::uint32_t offset : {0u, 20u, 14u + 39u, static_cast<std::uint32_t>(base.size()),
                                 0xFFFFFFFFu})
        EXPECT_EQ(Rgb(Load(withOffset(offset)), 0), (Bytes{1, 1, 1})) << offset;
    // An offset inside the colour table counts (the table is still read whole): the
    // pixels start at the second entry, whose first byte is 2.
    EXPECT_EQ(Rgb(Load(withOffset(14 + 40 + 4)), 0), Bytes(3, 0));
    EXPECT_EQ(Load(withOffset(14 + 40 + 4)).Palette().size(), 2u);

    // The last byte of the file is a valid start: the row takes that byte.
    Bytes last = withOffset(static_cast<std::uint32_t>(base.size() - 1));
    last.back() = 1;
    EXPECT_EQ(Rgb(Load(last), 0), (Bytes{2, 2, 2}));
}

TEST(BmpReaderTest, ColourTablesAreCappedAt256AndMustBeComplete)
{
    BmpHeader f;
    f.bits = 8;
    f.coloursUsed = 300;
    f.table.assign(300, {9, 9, 9});
    f.table[0] = {4, 5, 6};
    f.pixels = {0, 0, 0, 0};  // after all 300 entries
    TBitmap p = Load(BuildBmp(f));
    EXPECT_EQ(p.Palette().size(), 256u);
    EXPECT_EQ(Rgb(p, 0), (Bytes{4, 5, 6}));

    f.coloursUsed = 0xFFFFFFFF;
    EXPECT_THROW(Load(BuildBmp(f)), EReadError);

    BmpHeader cut;
    cut.bits = 4;  // 16 entries, only 3 there
    cut.table = {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}};
    try {
        Load(BuildBmp(cut));
        ADD_FAILURE();
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), EReadError().Message());
    }

    // A 1-bit picture keeps the two entries it can use.
    BmpHeader mono;
    mono.bits = 1;
    mono.coloursUsed = 5;
    mono.table.assign(5, {});
    mono.pixels = {0, 0, 0, 0};
    EXPECT_EQ(Load(BuildBmp(mono)).Palette().size(), 2u);
}

TEST(BmpReaderTest, TableOfADeepPictureIsItsPaletteOnly)
{
    BmpHeader f;
    f.coloursUsed = 2;
    f.table = {{1, 2, 3}, {4, 5, 6}};
    f.pixels = {0, 0, 0, 0};
    TBitmap p = Load(BuildBmp(f));
    EXPECT_EQ(p.Palette(), f.table);
    EXPECT_EQ(Rgb(p, 0), (Bytes{0, 0, 0}));
}

// RLE: expanded into device format through the table; rows bottom-up.
namespace {

TBitmap LoadRle(int bits, int width, int height, const Bytes& data)
{
    BmpHeader f;
    f.bits = static_cast<std::uint16_t>(bits);
    f.compression = bits == 8 ? 1 : 2;
    f.width = width;
    f.height = height;
    f.coloursUsed = 4;
    f.table = kTable;
    f.imageSize = static_cast<std::uint32_t>(data.size());
    f.pixels = data;
    return Load(BuildBmp(f));
}

// The device pixels of a row as table indices (-1 for black that is not in the table).
std::vector<int> Indices(const TBitmap& picture, int row)
{
    std::vector<int> out;
    const Bytes rgb = Rgb(picture, row);
    for (std::size_t i = 0; i < rgb.size(); i += 3) {
        int index = -1;
        for (std::size_t k = 0; k < kTable.size(); ++k)
            if (kTable[k] == PaletteEntry{rgb[i], rgb[i + 1], rgb[i + 2]})
                index = static_cast<int>(k);
        out.push_back(index);
    }
    return out;
}

} // namespace

TEST(BmpReaderTest, Rle8RunsAbsoluteRunsLinesAndDelta)
{
    const Bytes data = {
        3, 1,           // 1 1 1
        0, 3, 2, 3, 0, 0,  // absolute: 2 3 0, padded to 16 bits
        0, 0,           // end of line
        0, 2, 1, 1,     // delta right 1, down 1
        2, 3,           // 3 3 at x 1..2
        0, 1,           // end of picture
        5, 2,           // never read
    };
    TBitmap p = LoadRle(8, 6, 3, data);
    EXPECT_EQ(p.Format(), PixelFormat::pfDevice);
    EXPECT_EQ(p.Width(), 6);
    EXPECT_EQ(Indices(p, 2), (std::vector<int>{1, 1, 1, 2, 3, 0}));
    EXPECT_EQ(Indices(p, 1), (std::vector<int>{-1, -1, -1, -1, -1, -1}));
    EXPECT_EQ(Indices(p, 0), (std::vector<int>{-1, 3, 3, -1, -1, -1}));
    EXPECT_TRUE(p.Palette().empty());
    EXPECT_EQ(p.ScanLine(0)[7], 0);  // the unused fourth byte
}

TEST(BmpReaderTest, Rle4AlternatesNibbles)
{
    const Bytes data = {
        5, 0x12,              // 1 2 1 2 1
        0, 3, 0x30, 0x10,     // absolute: 3 0 1 (2 bytes, even: no padding)
        0, 0,
        0, 5, 0x01, 0x23, 0x10, 0,  // absolute of 5: 3 bytes + 1 padding
        1, 0x32,              // 3
    };
    TBitmap p = LoadRle(4, 8, 2, data);
    EXPECT_EQ(Indices(p, 1), (std::vector<int>{1, 2, 1, 2, 1, 3, 0, 1}));
    EXPECT_EQ(Indices(p, 0), (std::vector<int>{0, 1, 2, 3, 1, 3, -1, -1}));
}

TEST(BmpReaderTest, MalformedRleStaysInsideThePicture)
{
    const std::vector<Bytes> streams = {
        {255, 1, 255, 2},               // runs far past the right edge
        {0, 255, 1, 1},                 // absolute run cut short
        {0, 2, 255, 255, 3, 1},         // delta past the corner
        {0, 2},                         // delta cut short
        {0, 0, 0, 0, 0, 0, 0, 0, 2, 1}, // more lines than the picture has
        {7},                            // odd byte count
        {2, 9, 0, 3, 200, 201, 202},    // indices past the table: black
        {},
    };
    for (const Bytes& s : streams) {
        for (int bits : {4, 8}) {
            TBitmap p = LoadRle(bits, 3, 2, s);
            EXPECT_EQ(p.Width(), 3);
            EXPECT_EQ(p.Height(), 2);
        }
    }
    TBitmap edge = LoadRle(8, 3, 1, {255, 1, 0, 1});
    EXPECT_EQ(Indices(edge, 0), (std::vector<int>{1, 1, 1}));
    TBitmap dark = LoadRle(8, 3, 1, {2, 9, 0, 3, 200, 2, 202});
    EXPECT_EQ(Indices(dark, 0), (std::vector<int>{-1, -1, -1}));
}

TEST(BmpReaderTest, TopDownRle)
{
    TBitmap p = LoadRle(8, 1, -2, {1, 1, 0, 0, 1, 2, 0, 1});
    EXPECT_EQ(Indices(p, 0), (std::vector<int>{1}));
    EXPECT_EQ(Indices(p, 1), (std::vector<int>{2}));
}

TEST(BmpReaderTest, FilesAreReadWholeAndMissingOnesAreOpenErrors)
{
    ScratchDir dir;
    const std::string missing = dir / "none.bmp";
    TBitmap p;
    try {
        p.LoadBmpFile(missing);
        ADD_FAILURE();
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), EFOpenError(missing).Message());
    }
    EXPECT_THROW(p.LoadBmpFile(dir.Path().string()), EFOpenError);

    BmpHeader f;
    f.width = 2;
    f.pixels = {1, 2, 3, 4, 5, 6, 0, 0};
    const Bytes bytes = BuildBmp(f);
    const std::string path = dir / "a.bmp";
    WriteBytes(path, bytes);
    p.LoadBmpFile(path);
    EXPECT_EQ(Rgb(p, 0), (Bytes{3, 2, 1, 6, 5, 4}));

    WriteBytes(path, {});
    p.LoadBmpFile(path);
    EXPECT_EQ(p.Width(), 0);
}
