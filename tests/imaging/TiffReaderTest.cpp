// SPDX-License-Identifier: MIT
// The TIFF reader's own rules: the first page upright for all eight orientations, 16-bit
// samples as v × 255 / 65535 rounded, alpha over white, grey as three equal channels, the
// RGB profile carried, and damaged or unsupported files refused with "TIFF エラー".
#include "common/Errors.h"
#include "common/FileIo.h"
#include "imaging/Orientation.h"
#include "imaging/PictureReader.h"
#include "tests/support/Files.h"
#include "tests/support/Heif.h"
#include "tests/support/Pictures.h"
#include "tests/support/Tiff.h"

#include <gtest/gtest.h>

#include <functional>

using namespace kameola;
using namespace kameola::test;

namespace {

struct Row {
    const char* Name;
    TiffShape Shape;
    std::function<void(const ReadPicture&, const TiffShape&)> Check;
};

void Upright(const ReadPicture& read, const TiffShape& shape)
{
    const TBitmap expected =
        OrientUpright(QuadrantPicture(shape.Width, shape.Height), shape.Orientation ? shape.Orientation : 1);
    EXPECT_EQ(read.Width, expected.Width());
    EXPECT_EQ(read.Height, expected.Height());
    EXPECT_EQ(QuadrantsDiffer(read.Picture, expected, 0), "");
}

std::function<void(const ReadPicture&, const TiffShape&)> Everywhere(std::uint32_t rgb)
{
    return [rgb](const ReadPicture& read, const TiffShape&) {
        for (int y = 0; y < read.Picture.Height(); ++y)
            for (int x = 0; x < read.Picture.Width(); ++x)
                ASSERT_EQ(RgbAt(read.Picture, x, y), rgb) << x << "," << y;
    };
}

TiffShape Oriented(int orientation, bool tiled = false)
{
    return {.Width = 48, .Orientation = orientation, .Tiled = tiled};
}

} // namespace

TEST(TiffReader, Table)
{
    const std::vector<std::uint8_t> srgb = SrgbProfile();
    std::vector<Row> rows = {
        {"no orientation tag", {}, Upright},
        {"16-bit samples scale to 8 bits", {.Bits = 16}, Upright},
        {"16-bit rounding: 128 -> 0, 129 -> 1, 32767 -> 127, 65407 -> 255",
         {.Width = 4, .Height = 4, .Bits = 16, .Value16 = 129}, Everywhere(0x010101)},
        {"16-bit 128 rounds down", {.Width = 4, .Height = 4, .Bits = 16, .Value16 = 128},
         Everywhere(0x000000)},
        {"16-bit 32767", {.Width = 4, .Height = 4, .Bits = 16, .Value16 = 32767}, Everywhere(0x7F7F7F)},
        {"16-bit 65407", {.Width = 4, .Height = 4, .Bits = 16, .Value16 = 65407}, Everywhere(0xFFFFFF)},
        {"grey gives three equal channels", {.Samples = 1},
         [](const ReadPicture& read, const TiffShape&) {
             EXPECT_EQ(RgbAt(read.Picture, 4, 4), 0x000000u);   // red's green value
             EXPECT_EQ(RgbAt(read.Picture, 28, 4), 0xFFFFFFu);  // green's
         }},
        {"16-bit grey", {.Bits = 16, .Samples = 1, .Value16 = 32895}, Everywhere(0x808080)},
        {"transparent is white", {.Samples = 4, .Alpha = 0}, Everywhere(0xFFFFFF)},
        {"opaque alpha keeps the colours", {.Samples = 4}, Upright},
        // yellow (255, 255, 0) at 128/255 over white
        {"half alpha over white", {.Width = 1, .Height = 1, .Samples = 4, .Alpha = 128},
         Everywhere(0xFFFF7F)},
        {"premultiplied half alpha over white",
         {.Width = 1, .Height = 1, .Samples = 4, .Associated = true, .Alpha = 128},
         Everywhere(0xFFFF7F)},
        {"CMYK is converted", {.Samples = 4, .Cmyk = true}, Upright},
        {"the first of several pages", {.Pages = 3}, Upright},
        {"an RGB profile is carried byte for byte", {.Icc = srgb},
         [&srgb](const ReadPicture& read, const TiffShape&) { EXPECT_EQ(read.Icc, srgb); }},
        {"a grey profile is not", {.Samples = 1, .Icc = GreyProfile()},
         [](const ReadPicture& read, const TiffShape&) { EXPECT_TRUE(read.Icc.empty()); }},
        {"1 x 1", {.Width = 1, .Height = 1}, Everywhere(0xFFFF00)},
    };
    for (int orientation = 1; orientation <= 8; ++orientation) {
        rows.push_back({"orientation", Oriented(orientation), Upright});
        rows.push_back({"orientation, tiled", Oriented(orientation, true), Upright});
    }
    ScratchDir dir;
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.Name) + " " + std::to_string(row.Shape.Orientation));
        const std::string path = dir / "a.tif";
        WriteTiff(path, row.Shape);
        ReadPicture read;
        ASSERT_NO_THROW(read = ReadWith(TiffReader(), path));
        row.Check(read, row.Shape);
    }
}

TEST(TiffReader, RefusedFiles)
{
    ScratchDir dir;
    WriteTiff(dir / "good.tif", {});
    const std::string good = ReadFile(dir / "good.tif");
    WriteTiff(dir / "twelve.tif", {.Bits = 12});
    struct Case {
        const char* Name;
        std::string Bytes;
    };
    const Case cases[] = {
        {"empty", ""},
        {"not a TIFF", "BM not a tiff at all"},
        {"header only", good.substr(0, 8)},
        {"cut short in its pixels", good.substr(0, good.size() / 3)},
        {"12-bit samples", ReadFile(dir / "twelve.tif")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        WriteFile(dir / "a.tif", c.Bytes);
        try {
            ReadWith(TiffReader(), dir / "a.tif");
            ADD_FAILURE() << "read";
        } catch (const EPictureError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("TIFF エラー (", 0), 0u) << e.what();
        }
    }
}

// A declared size whose picture would pass the storage limit is refused from the header.
TEST(TiffReader, DeclaredSizeBeyondTheLimit)
{
    ScratchDir dir;
    WriteTiff(dir / "a.tif", {});
    DeclareTiffSize(dir / "a.tif", 30000, 30000);
    bool reserved = false;
    FileHandle file = OpenRegularFile(dir / "a.tif");
    EXPECT_THROW(TiffReader().Open(file.Get(), [&](std::size_t) { reserved = true; }),
                 EOutOfResources);
    EXPECT_FALSE(reserved);
}
