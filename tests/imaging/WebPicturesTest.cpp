// SPDX-License-Identifier: MIT
// The readers of PNG, WebP, GIF and AVIF files: one table per reader, a row per rule.
#include "imaging/PictureReader.h"

#include "common/Errors.h"
#include "common/FileIo.h"
#include "tests/support/Files.h"
#include "tests/support/WebPictures.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace kameola {
namespace {

using namespace test;

struct Rgb {
    int R, G, B;
};

struct Sample {
    int X, Y;
    Rgb Colour;
};

// What a row's file reads as: size and pixels as shown upright, and profile; or its error.
struct Row {
    std::string Name;
    Bytes File;
    int Width = 0, Height = 0;
    std::vector<Sample> Samples;
    bool Icc = false;
    std::string Error;             // the start of the message; "resources" for EOutOfResources
    std::size_t StorageLimit = 0;  // a lower picture storage limit for this row
    int Tolerance = 0;             // for lossy coding
};

Row Good(std::string name, Bytes file, int width, int height, std::vector<Sample> samples = {},
         int tolerance = 0)
{
    Row row;
    row.Name = std::move(name);
    row.File = std::move(file);
    row.Width = width;
    row.Height = height;
    row.Samples = std::move(samples);
    row.Tolerance = tolerance;
    return row;
}

Row WithIcc(Row row)
{
    row.Icc = true;
    return row;
}

Row Bad(std::string name, Bytes file, std::string error, std::size_t storageLimit = 0)
{
    Row row;
    row.Name = std::move(name);
    row.File = std::move(file);
    row.Error = std::move(error);
    row.StorageLimit = storageLimit;
    return row;
}

class StorageLimit {
public:
    explicit StorageLimit(std::size_t bytes) : m_old(PictureStorageLimit())
    {
        if (bytes)
            SetPictureStorageLimit(bytes);
    }
    ~StorageLimit() { SetPictureStorageLimit(m_old); }

private:
    std::size_t m_old;
};

// The header alone tells the size as shown upright; the picture has it too.
void ExpectPicture(const Row& row, const PictureReader& reader, int fd, SourcePicture& source)
{
    EXPECT_EQ(source.Width(), row.Width);
    EXPECT_EQ(source.Height(), row.Height);
    const std::optional<PictureHeader> header = reader.ReadHeader(fd);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->Width, row.Width);
    EXPECT_EQ(header->Height, row.Height);
    const TBitmap picture = source.Decode();
    ASSERT_EQ(picture.Format(), PixelFormat::pf24bit);
    ASSERT_EQ(picture.Width(), row.Width);
    ASSERT_EQ(picture.Height(), row.Height);
    for (const Sample& s : row.Samples) {
        const std::uint8_t* p = picture.ScanLine(s.Y) + 3 * s.X;
        EXPECT_NEAR(p[2], s.Colour.R, row.Tolerance) << "red at " << s.X << "," << s.Y;
        EXPECT_NEAR(p[1], s.Colour.G, row.Tolerance) << "green at " << s.X << "," << s.Y;
        EXPECT_NEAR(p[0], s.Colour.B, row.Tolerance) << "blue at " << s.X << "," << s.Y;
    }
    EXPECT_EQ(!source.IccProfile().empty(), row.Icc);
    if (row.Icc) {
        EXPECT_EQ(source.IccProfile(), SmallIccProfile("RGB "));
    }
}

// Each file is opened from disk: its bytes are reserved first, then again with the picture
// and the decoder's peak once the header's size has passed the storage limit.
void CheckRows(const PictureReader& reader, const std::vector<Row>& rows)
{
    ScratchDir dir;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Name);
        const StorageLimit limit(row.StorageLimit);
        WriteBytes(dir / "picture", row.File);
        const FileHandle file = OpenRegularFile(dir / "picture");
        ASSERT_TRUE(file.Valid());
        std::vector<std::size_t> reserved;
        const ReserveMemory reserve = [&](std::size_t bytes) { reserved.push_back(bytes); };
        try {
            const auto source = reader.Open(file.Get(), reserve);
            EXPECT_EQ(reserved.size(), 2u);
            EXPECT_EQ(reserved.front(), row.File.size());
            EXPECT_GE(reserved.back(), row.File.size() + 3 * std::size_t(row.Width) * row.Height);
            if (!row.Error.empty()) {
                static_cast<void>(source->Decode());
                ADD_FAILURE() << "decoded, expected " << row.Error;
                continue;
            }
            ExpectPicture(row, reader, file.Get(), *source);
        } catch (const EOutOfResources&) {
            EXPECT_EQ(row.Error, "resources");
            EXPECT_LE(reserved.size(), 1u) << "reserved the peak before refusing the size";
        } catch (const EPictureError& e) {
            EXPECT_FALSE(row.Error.empty()) << e.Message();
            EXPECT_EQ(e.Message().rfind(row.Error, 0), 0u) << e.Message();
            EXPECT_EQ(e.Message().back(), ')');
        }
    }
}

Bytes CutShort(Bytes file, std::size_t keep)
{
    file.resize(std::min(keep, file.size()));
    return file;
}

const Rgba kRed{255, 0, 0};
const Rgba kBlue{0, 0, 255};
const Rgb kWhite{255, 255, 255};

PngShape Png(int width, int height, int colorType, int depth, Bytes samples)
{
    PngShape shape;
    shape.Width = width;
    shape.Height = height;
    shape.ColorType = colorType;
    shape.BitDepth = depth;
    shape.Samples = std::move(samples);
    return shape;
}

PngShape RgbPng(int width, int height, Bytes samples, int depth = 8, bool alpha = false)
{
    return Png(width, height, alpha ? 6 : 2, depth, std::move(samples));
}

Bytes Gradient(int width, int height)
{
    Bytes samples;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            samples.insert(samples.end(), {std::uint8_t(x * 20), std::uint8_t(y * 20), std::uint8_t(x + y)});
    return samples;
}

TEST(WebPicturesTest, Png)
{
    PngShape interlaced = RgbPng(9, 9, Gradient(9, 9));
    interlaced.Interlaced = true;
    PngShape oriented = RgbPng(2, 1, {1, 2, 3, 4, 5, 6});
    oriented.Exif = TiffOrientationBlock(6);
    PngShape orientedAtEnd = oriented;
    orientedAtEnd.ExifAfterData = true;
    PngShape profiled = oriented;
    profiled.Exif.clear();
    profiled.Icc = SmallIccProfile("RGB ");
    PngShape greyProfiled = Png(2, 1, 0, 8, {7, 200});
    greyProfiled.Icc = SmallIccProfile("GRAY");
    PngShape palette = Png(2, 1, 3, 8, {0, 1});
    palette.Palette = {kRed, {0, 0, 255, 0}};
    const Bytes big = EncodePng(RgbPng(32, 32, Bytes(32 * 32 * 3, 90)));
    // An eXIf chunk whose header claims 1.7 GB right after the header chunk: refused as cut
    // short, without allocating what it claims.
    Bytes hugeExif = CutShort(big, 33);
    hugeExif.insert(hugeExif.end(), {0x69, 0, 0, 0x1A, 'e', 'X', 'I', 'f', 'M', 'M', 0, 42});
    Bytes damaged = big;
    damaged[damaged.size() - 20] ^= 0x55;  // inside the image data
    CheckRows(PngReader(), {
        Good("rgb", EncodePng(RgbPng(3, 1, {1, 2, 3, 40, 50, 60, 255, 254, 253})), 3, 1,
         {{0, 0, {1, 2, 3}}, {1, 0, {40, 50, 60}}, {2, 0, {255, 254, 253}}}),
        Good("alpha over white", EncodePng(RgbPng(2, 1, {255, 0, 0, 128, 10, 20, 30, 0}, 8, true)), 2, 1,
         {{0, 0, {255, 127, 127}}, {1, 0, kWhite}}),
        Good("grey as three equal channels", EncodePng(Png(2, 1, 0, 8, {7, 200})), 2, 1,
         {{0, 0, {7, 7, 7}}, {1, 0, {200, 200, 200}}}),
        Good("grey with alpha", EncodePng(Png(2, 1, 4, 8, {100, 0, 100, 255})), 2, 1,
         {{0, 0, kWhite}, {1, 0, {100, 100, 100}}}),
        Good("1-bit grey", EncodePng(Png(8, 1, 0, 1, {0xB0})), 8, 1,
         {{0, 0, kWhite}, {1, 0, {0, 0, 0}}, {3, 0, kWhite}, {4, 0, {0, 0, 0}}}),
        Good("16 bits rounded to 8", EncodePng(RgbPng(2, 1, {0xFF, 0xFF, 0, 129, 0, 128, 0x64, 0x64, 0, 0, 0x80, 0x80}, 16)), 2, 1,
         {{0, 0, {255, 1, 0}}, {1, 0, {100, 0, 128}}}),
        Good("16-bit alpha", EncodePng(RgbPng(1, 1, {0, 0, 0, 0, 0, 0, 0x80, 0x80}, 16, true)), 1, 1,
         {{0, 0, {127, 127, 127}}}),
        Good("palette with transparency", EncodePng(palette), 2, 1, {{0, 0, {255, 0, 0}}, {1, 0, kWhite}}),
        Good("interlaced", EncodePng(interlaced), 9, 9,
         {{0, 0, {0, 0, 0}}, {8, 3, {160, 60, 11}}, {5, 8, {100, 160, 13}}}),
        Good("eXIf orientation turns it upright", EncodePng(oriented), 1, 2, {{0, 0, {1, 2, 3}}, {0, 1, {4, 5, 6}}}),
        Good("eXIf after the image data", EncodePng(orientedAtEnd), 1, 2, {{0, 1, {4, 5, 6}}}),
        WithIcc(Good("RGB profile carried", EncodePng(profiled), 2, 1)),
        Good("grey profile not carried", EncodePng(greyProfiled), 2, 1),
        Good("one pixel", EncodePng(RgbPng(1, 1, {9, 8, 7})), 1, 1, {{0, 0, {9, 8, 7}}}),
        Bad("cut short", CutShort(big, big.size() / 2), "PNG エラー ("),
        Bad("damaged image data", damaged, "PNG エラー ("),
        Bad("eXIf longer than the file", hugeExif, "PNG エラー ("),
        Bad("empty file", {}, "PNG エラー ("),
        Bad("not a PNG", Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0}, "PNG エラー (not a PNG file)"),
        Bad("over the storage limit, checked before the data", CutShort(big, big.size() / 2), "resources", 1024),
    });
}

TEST(WebPicturesTest, Webp)
{
    RgbaPicture alpha = Plain(2, 1, {255, 0, 0, 128});
    alpha.Pixels[1] = {10, 20, 30, 0};
    Bytes prefixed = {'E', 'x', 'i', 'f', 0, 0};
    const Bytes tiff = TiffOrientationBlock(3);
    prefixed.insert(prefixed.end(), tiff.begin(), tiff.end());
    RgbaPicture firstWithHole = Plain(3, 2, kRed);
    firstWithHole.Pixels[4].A = 0;
    const Bytes still = EncodeWebp(Halves(32, 32, kRed, kBlue));
    CheckRows(WebpReader(), {
        Good("lossless", still, 32, 32, {{0, 0, {255, 0, 0}}, {31, 31, {0, 0, 255}}}),
        Good("alpha over white", EncodeWebp(alpha), 2, 1, {{0, 0, {255, 127, 127}}, {1, 0, kWhite}}),
        Good("EXIF orientation turns it upright", EncodeWebp(Halves(2, 1, kRed, kBlue), TiffOrientationBlock(8)), 1, 2,
         {{0, 0, {0, 0, 255}}, {0, 1, {255, 0, 0}}}),
        Good("EXIF orientation after Exif signature", EncodeWebp(Halves(2, 1, kRed, kBlue), prefixed), 2, 1,
         {{0, 0, {0, 0, 255}}, {1, 0, {255, 0, 0}}}),
        WithIcc(Good("RGB profile carried", EncodeWebp(Plain(2, 1, kRed), {}, SmallIccProfile("RGB ")), 2, 1)),
        Good("grey profile not carried", EncodeWebp(Plain(2, 1, kRed), {}, SmallIccProfile("GRAY")), 2, 1),
        Good("first frame of an animation", EncodeAnimatedWebp({Plain(3, 2, kRed), Plain(3, 2, kBlue)}), 3, 2,
         {{0, 0, {255, 0, 0}}, {2, 1, {255, 0, 0}}}),
        Good("first frame's transparency over white", EncodeAnimatedWebp({firstWithHole, Plain(3, 2, kBlue)}), 3, 2,
         {{0, 0, {255, 0, 0}}, {1, 1, kWhite}}),
        Good("one pixel", EncodeWebp(Plain(1, 1, {9, 8, 7})), 1, 1, {{0, 0, {9, 8, 7}}}),
        Bad("cut short", CutShort(still, still.size() / 2), "WebP エラー ("),
        Bad("empty file", {}, "WebP エラー ("),
        Bad("not a WebP", Bytes(64, 'x'), "WebP エラー ("),
        Bad("over the storage limit", still, "resources", 1024),
    });
}

// Colour indexes of a frame of one index, with one pixel set apart.
GifFrame Frame(int left, int top, int width, int height, std::uint8_t index)
{
    return {left, top, width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width * height), index)};
}

TEST(WebPicturesTest, Gif)
{
    const std::vector<Rgba> colours = {kRed, kBlue, {0, 255, 0}, {9, 9, 9}};
    GifFrame transparent = Frame(0, 0, 2, 1, 0);
    transparent.Indexes[1] = 1;
    transparent.Transparent = 1;
    GifFrame interlaced = Frame(0, 0, 1, 10, 0);
    for (int y = 0; y < 10; ++y)
        interlaced.Indexes[static_cast<std::size_t>(y)] = static_cast<std::uint8_t>(y % 4);
    interlaced.Interlaced = true;
    const Bytes plain = EncodeGif(40, 40, colours, {Frame(0, 0, 40, 40, 1)});
    CheckRows(GifReader(), {
        Good("one frame", EncodeGif(2, 2, colours, {Frame(0, 0, 2, 2, 2)}), 2, 2, {{1, 1, {0, 255, 0}}}),
        Good("transparent colour over white", EncodeGif(2, 1, colours, {transparent}), 2, 1,
         {{0, 0, {255, 0, 0}}, {1, 0, kWhite}}),
        Good("frame on its logical screen", EncodeGif(4, 3, colours, {Frame(1, 1, 2, 1, 0)}), 4, 3,
         {{0, 0, kWhite}, {1, 1, {255, 0, 0}}, {2, 1, {255, 0, 0}}, {3, 2, kWhite}}),
        Good("interlaced rows in place", EncodeGif(1, 10, colours, {interlaced}), 1, 10,
         {{0, 0, {255, 0, 0}}, {0, 1, {0, 0, 255}}, {0, 2, {0, 255, 0}}, {0, 3, {9, 9, 9}}, {0, 9, {0, 0, 255}}}),
        Good("first frame of an animation", EncodeGif(2, 2, colours, {Frame(0, 0, 2, 2, 0), Frame(0, 0, 2, 2, 1)}), 2, 2,
         {{0, 0, {255, 0, 0}}, {1, 1, {255, 0, 0}}}),
        Good("a frame past the screen enlarges it", EncodeGif(2, 2, colours, {Frame(1, 1, 3, 3, 1)}), 4, 4,
         {{0, 0, kWhite}, {3, 3, {0, 0, 255}}}),
        Good("one pixel", EncodeGif(1, 1, colours, {Frame(0, 0, 1, 1, 3)}), 1, 1, {{0, 0, {9, 9, 9}}}),
        Bad("no colour table", EncodeGif(2, 2, {}, {Frame(0, 0, 2, 2, 0)}), "GIF エラー ("),
        Bad("no image", EncodeGif(2, 2, colours, {}), "GIF エラー (no image)"),
        Bad("cut short", CutShort(plain, plain.size() - 8), "GIF エラー ("),
        Bad("empty file", {}, "GIF エラー ("),
        Bad("not a GIF", Bytes(64, 'x'), "GIF エラー ("),
        Bad("over the storage limit", plain, "resources", 1024),
    });
}

TEST(WebPicturesTest, Avif)
{
    const RgbaPicture halves = Halves(16, 8, kRed, kBlue);
    RgbaPicture alpha = Plain(8, 8, {255, 0, 0, 0});
    const Bytes plain = EncodeHeifPicture(halves, {});
    HeifEncoding tenBits;
    tenBits.BitDepth = 10;
    HeifEncoding withAlpha;
    withAlpha.Alpha = true;
    HeifEncoding profiled;
    profiled.Icc = SmallIccProfile("RGB ");
    const auto turned = [](int orientation) {
        HeifEncoding shape;
        shape.Orientation = orientation;
        return shape;
    };
    const int tol = 24;  // lossy coding and the colour conversion round trip
    CheckRows(AvifReader(), {
        Good("plain", plain, 16, 8, {{2, 4, {255, 0, 0}}, {13, 4, {0, 0, 255}}}, tol),
        Good("turned a quarter by irot", EncodeHeifPicture(halves, turned(6)), 8, 16,
         {{4, 2, {255, 0, 0}}, {4, 13, {0, 0, 255}}}, tol),
        Good("mirrored by imir", EncodeHeifPicture(halves, turned(2)), 16, 8,
         {{2, 4, {0, 0, 255}}, {13, 4, {255, 0, 0}}}, tol),
        Good("alpha over white", EncodeHeifPicture(alpha, withAlpha), 8, 8, {{4, 4, kWhite}}, tol),
        Good("10 bits to 8", EncodeHeifPicture(halves, tenBits), 16, 8, {{2, 4, {255, 0, 0}}}, tol),
        WithIcc(Good("RGB profile carried", EncodeHeifPicture(halves, profiled), 16, 8)),
        Bad("cut short", CutShort(plain, plain.size() / 2), "AVIF エラー ("),
        Bad("empty file", {}, "AVIF エラー ("),
        Bad("not an AVIF", Bytes(64, 'x'), "AVIF エラー ("),
        Bad("over the storage limit", plain, "resources", 128),
    });
}

} // namespace
} // namespace kameola
