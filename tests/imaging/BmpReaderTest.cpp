// The BMP reader: headers, depths, masks, colour tables, row order, RLE and failures, built
// as bytes in the test; plus the BMP suite as a corpus.
#include "imaging/Bitmap.h"
#include "common/Errors.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace kameola;

namespace bmptest {

using Bytes = std::vector<std::uint8_t>;

struct BmpFields {
    char magic[2] = {'B', 'M'};
    std::uint32_t headerSize = 40;  // 12 writes a core header
    std::int32_t width = 1;
    std::int32_t height = 1;
    std::uint16_t planes = 1;
    std::uint16_t bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t imageSize = 0;
    std::uint32_t coloursUsed = 0;
    std::vector<std::uint32_t> masks;  // after a 40-byte header, else inside the header
    std::vector<kameola::PaletteEntry> table;  // 4-byte entries, 3-byte for a core header
    Bytes gap;  // between the table and the pixels
    Bytes pixels;
};

inline void Put16(Bytes& out, std::uint32_t v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline void Put32(Bytes& out, std::uint32_t v)
{
    Put16(out, v);
    Put16(out, v >> 16);
}

inline Bytes WriteBmp(const BmpFields& f)
{
    Bytes out = {static_cast<std::uint8_t>(f.magic[0]), static_cast<std::uint8_t>(f.magic[1])};
    Put32(out, 0);  // file size: not read
    Put32(out, 0);
    Put32(out, 0);  // pixel offset: not read
    const std::size_t header = out.size();
    Put32(out, f.headerSize);
    if (f.headerSize == 12) {
        Put16(out, static_cast<std::uint32_t>(f.width));
        Put16(out, static_cast<std::uint32_t>(f.height));
        Put16(out, f.planes);
        Put16(out, f.bits);
    } else {
        Put32(out, static_cast<std::uint32_t>(f.width));
        Put32(out, static_cast<std::uint32_t>(f.height));
        Put16(out, f.planes);
        Put16(out, f.bits);
        Put32(out, f.compression);
        Put32(out, f.imageSize);
        Put32(out, 2835);
        Put32(out, 2835);
        Put32(out, f.coloursUsed);
        Put32(out, 0);
        if (f.headerSize > 40)
            for (std::uint32_t m : f.masks)
                Put32(out, m);
        out.resize(header + f.headerSize, 0);
        if (f.headerSize == 40)
            for (std::uint32_t m : f.masks)
                Put32(out, m);
    }
    for (const kameola::PaletteEntry& e : f.table) {
        out.insert(out.end(), {e.Blue, e.Green, e.Red});
        if (f.headerSize != 12)
            out.push_back(0);
    }
    out.insert(out.end(), f.gap.begin(), f.gap.end());
    out.insert(out.end(), f.pixels.begin(), f.pixels.end());
    return out;
}

} // namespace bmptest

using namespace bmptest;

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

    const Bytes whole = WriteBmp({});
    for (std::size_t n = 1; n <= 13; ++n)
        EXPECT_THROW(picture.LoadBmpData(whole.data(), n), EReadError) << n;
}

TEST(BmpReaderTest, MalformedHeadersAreInvalidGraphics)
{
    BmpFields f;
    f.pixels = {1, 2, 3, 0};
    auto expectInvalid = [](const Bytes& bytes, const char* what) {
        try {
            Load(bytes);
            ADD_FAILURE() << what;
        } catch (const EInvalidGraphic& e) {
            EXPECT_STREQ(e.what(), "ビットマップイメージが不正です") << what;
        }
    };
    BmpFields magic = f;
    magic.magic[1] = 'A';
    expectInvalid(WriteBmp(magic), "magic");
    for (std::uint16_t planes : {0, 2}) {
        BmpFields p = f;
        p.planes = planes;
        expectInvalid(WriteBmp(p), "planes");
    }
    for (std::uint32_t size : {0u, 11u, 13u, 16u, 39u, 41u, 64u, 0xFFFFFFFFu}) {
        BmpFields s = f;
        s.headerSize = size;
        expectInvalid(WriteBmp(s), "header size");
    }
    Bytes cut = WriteBmp(f);
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
        BmpFields f;
        f.bits = c.bits;
        f.compression = c.compression;
        f.width = c.width;
        f.coloursUsed = 1;
        f.table = {{1, 2, 3}};
        f.pixels = Bytes(8, 0);
        EXPECT_THROW(Load(WriteBmp(f)), EInvalidGraphic) << c.bits << " " << c.compression;
    }
}

TEST(BmpReaderTest, HugeHeadersAreRefusedBeforeAllocating)
{
    for (auto [w, h] : {std::pair{100000, 100000}, std::pair{0x7FFFFFFF, 0x7FFFFFFF},
                        std::pair{0x7FFFFFFF, -0x7FFFFFFF}, std::pair{1, INT32_MIN}}) {
        BmpFields f;
        f.bits = 32;
        f.width = w;
        f.height = h;
        EXPECT_THROW(Load(WriteBmp(f)), EInvalidGraphic) << w << "x" << h;
    }
    // A huge width without rows (or the reverse) makes no storage at all.
    BmpFields f;
    f.width = 0x7FFFFFFF;
    f.height = 0;
    TBitmap wide = Load(WriteBmp(f));
    EXPECT_EQ(wide.Width(), 0x7FFFFFFF);
    EXPECT_FALSE(wide.HasStorage());
    f.width = 0;
    f.height = -5;
    TBitmap none = Load(WriteBmp(f));
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
    BmpFields f;
    f.bits = 2;
    EXPECT_THROW(picture.LoadBmpData(WriteBmp(f).data(), WriteBmp(f).size()), EInvalidGraphic);
    EXPECT_EQ(picture.Width(), 3);
    EXPECT_EQ(picture.Height(), 4);
    EXPECT_TRUE(picture.HasStorage());
}

TEST(BmpReaderTest, IndexedDepthsGoThroughTheirTable)
{
    // 1 bit: 10 pixels 1,0,0,0,0,0,0,1 | 1,0, two rows bottom-up.
    BmpFields f1;
    f1.bits = 1;
    f1.width = 10;
    f1.height = 2;
    f1.table = {{0, 0, 0}, {255, 255, 255}};
    f1.pixels = {0x81, 0x80, 0, 0, /* top row */ 0x00, 0x40, 0, 0};
    TBitmap p1 = Load(WriteBmp(f1));
    EXPECT_EQ(p1.Format(), PixelFormat::pf1bit);
    EXPECT_TRUE(p1.Monochrome());
    EXPECT_EQ(p1.Palette(), f1.table);
    EXPECT_EQ(Row(p1, 0, 2), (Bytes{0x00, 0x40}));
    EXPECT_EQ(Row(p1, 1, 2), (Bytes{0x81, 0x80}));
    Bytes top(30, 0);
    top[27] = top[28] = top[29] = 255;
    EXPECT_EQ(Rgb(p1, 0), top);

    // 4 bits, 3 pixels, colours used 4: the high nibble first.
    BmpFields f4;
    f4.bits = 4;
    f4.width = 3;
    f4.coloursUsed = 4;
    f4.table = kTable;
    f4.pixels = {0x31, 0x20, 0, 0};
    TBitmap p4 = Load(WriteBmp(f4));
    EXPECT_EQ(p4.Format(), PixelFormat::pf4bit);
    EXPECT_EQ(Rgb(p4, 0), (Bytes{10, 20, 30, 0, 255, 0, 0, 0, 255}));

    // 8 bits with a short table: an index past it is black.
    BmpFields f8;
    f8.bits = 8;
    f8.width = 3;
    f8.coloursUsed = 4;
    f8.table = kTable;
    f8.pixels = {3, 200, 0, 0};
    TBitmap p8 = Load(WriteBmp(f8));
    EXPECT_EQ(p8.Format(), PixelFormat::pf8bit);
    EXPECT_EQ(p8.Palette().size(), 4u);
    EXPECT_EQ(Rgb(p8, 0), (Bytes{10, 20, 30, 0, 0, 0, 255, 0, 0}));
}

TEST(BmpReaderTest, DefaultTableSizesFollowTheDepth)
{
    BmpFields f;
    f.bits = 8;
    f.table.assign(256, {});
    f.table[255] = {1, 2, 3};
    f.pixels = {255, 0, 0, 0};
    TBitmap p = Load(WriteBmp(f));
    EXPECT_EQ(p.Palette().size(), 256u);
    EXPECT_EQ(Rgb(p, 0), (Bytes{1, 2, 3}));
}

TEST(BmpReaderTest, DirectDepths)
{
    BmpFields f16;
    f16.bits = 16;
    f16.width = 2;
    f16.pixels = {0x1F, 0x7C, 0xE0, 0x03};  // 555: blue 31 + red 31, then green 31
    EXPECT_EQ(Rgb(Load(WriteBmp(f16)), 0), (Bytes{255, 0, 255, 0, 255, 0}));

    BmpFields f24;
    f24.width = 2;
    f24.pixels = {1, 2, 3, 4, 5, 6, 0, 0};
    TBitmap p24 = Load(WriteBmp(f24));
    EXPECT_EQ(p24.Format(), PixelFormat::pf24bit);
    EXPECT_EQ(Rgb(p24, 0), (Bytes{3, 2, 1, 6, 5, 4}));

    BmpFields f32;
    f32.bits = 32;
    f32.pixels = {7, 8, 9, 200};
    TBitmap p32 = Load(WriteBmp(f32));
    EXPECT_EQ(p32.Format(), PixelFormat::pf32bit);
    EXPECT_FALSE(p32.Masks().Any());
    EXPECT_EQ(Rgb(p32, 0), (Bytes{9, 8, 7}));
}

TEST(BmpReaderTest, MasksAfterTheHeaderOrInsideIt)
{
    const Bytes pixel565 = {0x20, 0xF8, 0, 0};  // red 31, green 1, blue 0
    for (std::uint32_t size : {40u, 52u, 56u, 108u, 124u}) {
        BmpFields f;
        f.headerSize = size;
        f.bits = 16;
        f.compression = 3;
        f.masks = {0xF800, 0x07E0, 0x001F};
        f.pixels = pixel565;
        TBitmap p = Load(WriteBmp(f));
        EXPECT_EQ(p.Masks(), (BitFields{0xF800, 0x07E0, 0x001F})) << size;
        EXPECT_EQ(Rgb(p, 0), (Bytes{255, 4, 0})) << size;
    }
    // 32-bit with its channels in other places, colours after the masks become the palette.
    BmpFields f;
    f.bits = 32;
    f.compression = 3;
    f.masks = {0x000000FF, 0x0000FF00, 0x00FF0000};
    f.coloursUsed = 1;
    f.table = {{5, 6, 7}};
    f.pixels = {10, 20, 30, 40};
    TBitmap p = Load(WriteBmp(f));
    EXPECT_EQ(Rgb(p, 0), (Bytes{10, 20, 30}));
    EXPECT_EQ(p.Palette(), f.table);

    // Masks in a longer header count only with compression 3.
    f.headerSize = 108;
    f.compression = 0;
    f.coloursUsed = 0;
    f.table = {};
    EXPECT_EQ(Rgb(Load(WriteBmp(f)), 0), (Bytes{30, 20, 10}));

    // Masks cut short by the end of the file.
    BmpFields cut;
    cut.bits = 16;
    cut.compression = 3;
    cut.masks = {0xF800, 0x07E0};
    EXPECT_THROW(Load(WriteBmp(cut)), EReadError);
}

TEST(BmpReaderTest, CoreHeaderHasUnsignedSizesAndThreeByteEntries)
{
    BmpFields f;
    f.headerSize = 12;
    f.bits = 8;
    f.width = 40000;  // above 32767: unsigned
    f.height = 2;
    f.table.assign(256, {});
    f.table[1] = {11, 22, 33};
    f.pixels.assign(80000, 0);
    f.pixels[40000 + 39999] = 1;  // second row in the file: the top row
    TBitmap p = Load(WriteBmp(f));
    EXPECT_EQ(p.Width(), 40000);
    EXPECT_EQ(p.Height(), 2);
    EXPECT_EQ(p.Palette()[1], (PaletteEntry{11, 22, 33}));
    EXPECT_EQ(p.ScanLine(0)[39999], 1);
    EXPECT_EQ(p.ScanLine(1)[39999], 0);
}

TEST(BmpReaderTest, RowsComeInPictureOrderEitherWay)
{
    BmpFields f;
    f.bits = 8;
    f.width = 1;
    f.height = 3;
    f.coloursUsed = 4;
    f.table = kTable;
    f.pixels = {0, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0};
    TBitmap up = Load(WriteBmp(f));
    EXPECT_EQ(Rgb(up, 0), (Bytes{0, 0, 255}));
    EXPECT_EQ(Rgb(up, 2), (Bytes{255, 0, 0}));
    f.height = -3;
    TBitmap down = Load(WriteBmp(f));
    EXPECT_EQ(down.Height(), 3);
    EXPECT_EQ(Rgb(down, 0), (Bytes{255, 0, 0}));
    EXPECT_EQ(Rgb(down, 2), (Bytes{0, 0, 255}));
}

TEST(BmpReaderTest, PixelDataCutShortLeavesZeros)
{
    BmpFields f;
    f.width = 2;
    f.height = -2;
    f.pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};  // the second row has 2 of its 8 bytes
    TBitmap p = Load(WriteBmp(f));
    EXPECT_EQ(Row(p, 0, 8), (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(Row(p, 1, 8), (Bytes{9, 10, 0, 0, 0, 0, 0, 0}));

    // An image size field below the array takes only that much.
    f.imageSize = 4;
    EXPECT_EQ(Row(Load(WriteBmp(f)), 0, 8), (Bytes{1, 2, 3, 4, 0, 0, 0, 0}));

    // One above it never reads past the array: the bytes after it are left alone.
    f.imageSize = 0xFFFFFFF0;
    f.height = 1;
    TBitmap capped = Load(WriteBmp(f));
    EXPECT_EQ(capped.Height(), 1);
    EXPECT_EQ(Row(capped, 0, 8), (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST(BmpReaderTest, PixelsStartAtTheFileOffsetWhenItLiesPastTheHeadersAndInTheFile)
{
    BmpFields f;
    f.bits = 8;
    f.coloursUsed = 2;
    f.table = {{1, 1, 1}, {2, 2, 2}};
    f.gap = {0, 0, 0, 0};
    f.pixels = {1, 0, 0, 0};
    const Bytes base = WriteBmp(f);
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
    BmpFields f;
    f.bits = 8;
    f.coloursUsed = 300;
    f.table.assign(300, {9, 9, 9});
    f.table[0] = {4, 5, 6};
    f.pixels = {0, 0, 0, 0};  // after all 300 entries
    TBitmap p = Load(WriteBmp(f));
    EXPECT_EQ(p.Palette().size(), 256u);
    EXPECT_EQ(Rgb(p, 0), (Bytes{4, 5, 6}));

    f.coloursUsed = 0xFFFFFFFF;
    EXPECT_THROW(Load(WriteBmp(f)), EReadError);

    BmpFields cut;
    cut.bits = 4;  // 16 entries, only 3 there
    cut.table = {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}};
    try {
        Load(WriteBmp(cut));
        ADD_FAILURE();
    } catch (const EReadError& e) {
        EXPECT_STREQ(e.what(), "ストリームからの読み込みエラー");
    }

    // A 1-bit picture keeps the two entries it can use.
    BmpFields mono;
    mono.bits = 1;
    mono.coloursUsed = 5;
    mono.table.assign(5, {});
    mono.pixels = {0, 0, 0, 0};
    EXPECT_EQ(Load(WriteBmp(mono)).Palette().size(), 2u);
}

TEST(BmpReaderTest, TableOfADeepPictureIsItsPaletteOnly)
{
    BmpFields f;
    f.coloursUsed = 2;
    f.table = {{1, 2, 3}, {4, 5, 6}};
    f.pixels = {0, 0, 0, 0};
    TBitmap p = Load(WriteBmp(f));
    EXPECT_EQ(p.Palette(), f.table);
    EXPECT_EQ(Rgb(p, 0), (Bytes{0, 0, 0}));
}

// RLE: expanded into device format through the table; rows bottom-up.
namespace {

TBitmap LoadRle(int bits, int width, int height, const Bytes& data)
{
    BmpFields f;
    f.bits = static_cast<std::uint16_t>(bits);
    f.compression = bits == 8 ? 1 : 2;
    f.width = width;
    f.height = height;
    f.coloursUsed = 4;
    f.table = kTable;
    f.imageSize = static_cast<std::uint32_t>(data.size());
    f.pixels = data;
    return Load(WriteBmp(f));
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
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("kameola-bmp-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::create_directories(dir);
    const std::string missing = (dir / "none.bmp").string();
    TBitmap p;
    try {
        p.LoadBmpFile(missing);
        ADD_FAILURE();
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), "ファイル " + missing + " は開けません");
    }
    EXPECT_THROW(p.LoadBmpFile(dir.string()), EFOpenError);

    BmpFields f;
    f.width = 2;
    f.pixels = {1, 2, 3, 4, 5, 6, 0, 0};
    const Bytes bytes = WriteBmp(f);
    const std::string path = (dir / "a.bmp").string();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    p.LoadBmpFile(path);
    EXPECT_EQ(Rgb(p, 0), (Bytes{3, 2, 1, 6, 5, 4}));

    std::ofstream(path, std::ios::binary | std::ios::trunc).close();
    p.LoadBmpFile(path);
    EXPECT_EQ(p.Width(), 0);
    std::filesystem::remove_all(dir);
}
