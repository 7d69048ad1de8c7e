// SPDX-License-Identifier: MIT
// Tests of TJPEGImage: loading, decoding, encoding and saving.
#include "common/Errors.h"
#include "imaging/Jpeg.h"
#include "tests/support/Files.h"
#include "tests/support/Jpeg.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <jerror.h>

namespace kameola {
namespace {

using namespace test;

int JpegCode(const std::function<void()>& action)
{
    try {
        action();
    } catch (const EJPEG& e) {
        EXPECT_EQ(e.Message(), EJPEG(e.Code()).Message());
        return e.Code();
    }
    return -1;
}

// A flat 24-bit picture of one colour.
TBitmap FlatPicture(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    TBitmap picture;
    picture.Create(PixelFormat::pf24bit, width, height);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* p = picture.MutableScanLine(y);
        for (int x = 0; x < width; ++x, p += 3) {
            p[0] = b;
            p[1] = g;
            p[2] = r;
        }
    }
    return picture;
}

Bytes Compress(const TBitmap& picture, bool progressive = false)
{
    TJPEGImage jpeg;
    jpeg.Settings().ProgressiveOutput = progressive;
    jpeg.AssignBitmap(picture);
    jpeg.CompressJpeg();
    return jpeg.Data().Bytes;
}

void ExpectPixelNear(const TBitmap& picture, int x, int y, int r, int g, int b, int tolerance)
{
    ASSERT_EQ(picture.Format(), PixelFormat::pf24bit);
    const std::uint8_t* p = picture.ScanLine(y) + 3 * x;
    EXPECT_NEAR(p[2], r, tolerance) << "red at " << x << "," << y;
    EXPECT_NEAR(p[1], g, tolerance) << "green at " << x << "," << y;
    EXPECT_NEAR(p[0], b, tolerance) << "blue at " << x << "," << y;
}

TEST(JpegSettingsTest, EachNewPictureCopiesTheDefaults)
{
    const JpegSettings saved = DefaultJpegSettings();
    DefaultJpegSettings().EncodeQuality = 40;
    TJPEGImage copied;
    DefaultJpegSettings() = saved;
    EXPECT_EQ(copied.Settings().EncodeQuality, 40);
    EXPECT_EQ(TJPEGImage().Settings().EncodeQuality, 90);
}

TEST(JpegEncodeTest, WritesPlainJfifWithQuality90Tables)
{
    const Bytes bytes = Compress(FlatPicture(17, 9, 10, 20, 30));
    const Bytes expected = {0xD8, 0xE0, 0xDB, 0xDB, 0xC0, 0xC4, 0xC4, 0xC4, 0xC4, 0xDA, 0xD9};
    EXPECT_EQ(MarkerSequence(bytes), expected);

    // APP0: "JFIF\0", version 1.01, density unit 0, density 1 × 1, no thumbnail.
    const Bytes app0 = {0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0x00, 1, 1, 0, 0, 1, 0, 1, 0, 0};
    ASSERT_GE(bytes.size(), 20u);
    EXPECT_EQ(Bytes(bytes.begin() + 2, bytes.begin() + 20), app0);

    // Frame: 8-bit, 9 × 17, components 1, 2, 3 sampled 2×2, 1×1, 1×1 with tables 0, 1, 1.
    const std::size_t sof = FindSegment(bytes, 0xC0);
    ASSERT_NE(sof, std::string::npos);
    const Bytes frame = {0xFF, 0xC0, 0, 17, 8, 0, 9, 0, 17, 3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1};
    EXPECT_EQ(Bytes(bytes.begin() + sof, bytes.begin() + sof + 19), frame);

    // The luminance table's first row, read back in natural order by the codec.
    const std::vector<int> luma = QuantTable(bytes, 0), chroma = QuantTable(bytes, 1);
    ASSERT_EQ(luma.size(), 64u);
    ASSERT_EQ(chroma.size(), 64u);
    EXPECT_EQ(std::vector<int>(luma.begin(), luma.begin() + 8), (std::vector<int>{3, 2, 2, 3, 5, 8, 10, 12}));
    EXPECT_EQ(chroma[0], 3);  // chrominance 17 at 20 %
}

TEST(JpegEncodeTest, ChannelsKeepTheirMeaning)
{
    // A pure red picture stays red through our encoder (read by plain libjpeg) ...
    const Bytes bytes = Compress(FlatPicture(16, 16, 255, 0, 0));
    const PlainRgb decoded = DecodeRgb(bytes);
    const Bytes& rgb = decoded.Samples;
    ASSERT_EQ(decoded.Width, 16);
    EXPECT_GE(rgb[0], 250);
    EXPECT_LE(rgb[1], 5);
    EXPECT_LE(rgb[2], 5);

    // ... and through our decoder, for a stream encoded by plain libjpeg.
    StreamShape shape;
    shape.Quality = 100;
    shape.LumaH = shape.LumaV = 1;
    TJPEGImage jpeg;
    jpeg.LoadJpegData(EncodeStream(shape, Flat({255, 0, 0})));
    const TBitmap& picture = jpeg.DecodeJpeg();
    ExpectPixelNear(picture, 5, 5, 255, 0, 0, 2);
}

TEST(JpegEncodeTest, IndexedPicturesAreEncodedThroughTheirColourTable)
{
    TBitmap picture;
    picture.Create(PixelFormat::pf8bit, 16, 8, {{0, 0, 0}, {40, 160, 220}});
    for (int y = 0; y < 8; ++y)
        std::fill_n(picture.MutableScanLine(y), 16, 1);
    TJPEGImage jpeg;
    jpeg.LoadJpegData(Compress(picture));
    ExpectPixelNear(jpeg.DecodeJpeg(), 8, 4, 40, 160, 220, 3);
}

TEST(JpegDecodeTest, FlatColourDecodesToThatColour)
{
    struct Case {
        int lumaH, lumaV;
        bool progressive;
    };
    for (const Case c : {Case{1, 1, false}, Case{2, 2, false}, Case{2, 1, true}}) {
        StreamShape shape;
        shape.Width = 23;
        shape.Height = 19;
        shape.Quality = 100;
        shape.LumaH = c.lumaH;
        shape.LumaV = c.lumaV;
        shape.Progressive = c.progressive;
        TJPEGImage jpeg;
        jpeg.LoadJpegData(EncodeStream(shape, Flat({37, 150, 201})));
        const TBitmap& picture = jpeg.DecodeJpeg();
        ASSERT_EQ(picture.Width(), 23);
        ASSERT_EQ(picture.Height(), 19);
        for (int y : {0, 9, 18})
            for (int x : {0, 11, 22})
                ExpectPixelNear(picture, x, y, 37, 150, 201, 1);
    }
}

TEST(JpegDecodeTest, SizeComesFromTheHeaderUntilDecoded)
{
    StreamShape shape;
    shape.Width = 41;
    shape.Height = 13;
    TJPEGImage jpeg;
    jpeg.LoadJpegData(EncodeStream(shape, PhotoLike(3)));
    EXPECT_FALSE(jpeg.Decoded());
    EXPECT_EQ(jpeg.Width(), 41);
    EXPECT_EQ(jpeg.Height(), 13);
    jpeg.Settings().DecodeScale = 1;
    EXPECT_EQ(jpeg.Width(), 21);
    EXPECT_EQ(jpeg.Height(), 7);
    EXPECT_EQ(jpeg.DecodeJpeg().Width(), 21);
    jpeg.Settings().DecodeScale = 0;
    EXPECT_EQ(jpeg.Width(), 21) << "the decoded picture's size wins";

    try {
        jpeg.SetWidth(5);
        ADD_FAILURE() << "size change accepted";
    } catch (const EInvalidGraphicOperation& e) {
        EXPECT_EQ(e.Text().Id, MessageId::JpegSizeFixed);
        EXPECT_EQ(e.Message(), "JPEG イメージのサイズは変更できません");
    }
    EXPECT_THROW(jpeg.SetHeight(5), EInvalidGraphicOperation);
}

TEST(JpegDecodeTest, GreyDecodesTo236DitheredLevels)
{
    const StreamShape shape{.Width = 64, .Height = 32, .Components = 1};
    TJPEGImage jpeg;
    jpeg.LoadJpegData(EncodeStream(shape, [](int x, int, std::uint8_t* s) {
        s[0] = static_cast<std::uint8_t>(x * 4);
    }));
    EXPECT_TRUE(jpeg.Data().Grayscale);
    const TBitmap& picture = jpeg.DecodeJpeg();
    ASSERT_EQ(picture.Format(), PixelFormat::pf8bit);
    const auto& palette = picture.Palette();
    ASSERT_EQ(palette.size(), 236u);
    EXPECT_EQ(palette.front(), (PaletteEntry{0, 0, 0}));
    EXPECT_EQ(palette.back(), (PaletteEntry{255, 255, 255}));
    for (std::size_t i = 1; i < palette.size(); ++i) {
        EXPECT_EQ(palette[i].Red, palette[i].Green);
        EXPECT_EQ(palette[i].Red, palette[i].Blue);
        EXPECT_GT(palette[i].Red, palette[i - 1].Red);
    }
    // Dithering keeps the column averages of the ramp.
    for (int x : {2, 20, 40, 61}) {
        int sum = 0;
        for (int y = 0; y < 32; ++y)
            sum += palette[picture.ScanLine(y)[x]].Red;
        EXPECT_NEAR(sum / 32.0, x * 4, 3.0) << "column " << x;
    }
}

TEST(JpegDecodeTest, GreySmallImageIsThreeEqualChannels)
{
    const StreamShape shape{.Width = 80, .Height = 60, .Components = 1};
    TJPEGImage jpeg;
    jpeg.LoadJpegData(EncodeStream(shape, PhotoLike(1)));
    jpeg.DecodeJpeg();
    jpeg.AssignBitmap(StretchPicture(jpeg, 20, 15));
    jpeg.CompressJpeg();

    TJPEGImage small;
    small.LoadJpegData(jpeg.Data().Bytes);
    EXPECT_FALSE(small.Data().Grayscale);
    const TBitmap& picture = small.DecodeJpeg();
    ASSERT_EQ(picture.Format(), PixelFormat::pf24bit);
    for (int y = 0; y < 15; ++y) {
        const std::uint8_t* p = picture.ScanLine(y);
        for (int x = 0; x < 20; ++x, p += 3)
            ASSERT_TRUE(p[0] == p[1] && p[1] == p[2]) << x << "," << y;
    }
}

TEST(JpegDecodeTest, FourComponentStreamsBecomeRgb)
{
    struct Case {
        const char* name;
        J_COLOR_SPACE stored;
        bool adobe;
        std::vector<std::uint8_t> cmyk;  // as written to the encoder
        int r, g, b;
    };
    const Case cases[] = {
        // With an Adobe marker the samples are inverted: 255 is no ink.
        {"Adobe CMYK red", JCS_CMYK, true, {255, 0, 0, 255}, 255, 0, 0},
        {"Adobe CMYK half black", JCS_CMYK, true, {255, 255, 255, 128}, 128, 128, 128},
        {"Adobe CMYK cyan-ish", JCS_CMYK, true, {55, 155, 255, 255}, 55, 155, 255},
        {"plain CMYK red", JCS_CMYK, false, {0, 255, 255, 0}, 255, 0, 0},
        {"plain CMYK with black", JCS_CMYK, false, {0, 0, 255, 51}, 204, 204, 0},
        {"YCCK", JCS_YCCK, true, {200, 100, 50, 200}, 157, 78, 39},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StreamShape shape;
        shape.Components = 4;
        shape.Stored = c.stored;
        shape.AdobeMarker = c.adobe;
        shape.Quality = 100;
        shape.LumaH = shape.LumaV = 1;
        TJPEGImage jpeg;
        jpeg.LoadJpegData(EncodeStream(shape, Flat(c.cmyk)));
        const TBitmap& picture = jpeg.DecodeJpeg();
        ExpectPixelNear(picture, 7, 7, c.r, c.g, c.b, 2);
    }
}

TEST(JpegDecodeTest, StreamsThatCannotBeDecoded)
{
    TJPEGImage empty;
    EXPECT_NO_THROW(empty.LoadJpegData({}));
    EXPECT_EQ(empty.Width(), 0);
    EXPECT_EQ(JpegCode([&] { empty.DecodeJpeg(); }), JERR_INPUT_EMPTY);
    EXPECT_FALSE(empty.Decoded());

    TJPEGImage notJpeg;
    const Bytes gif = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0};
    EXPECT_EQ(JpegCode([&] { notJpeg.LoadJpegData(gif); }), JERR_NO_SOI);

    // Tables only, as jpeg_write_tables makes them.
    const Bytes tables = EncodeTablesOnly();
    TJPEGImage tablesOnly;
    EXPECT_EQ(JpegCode([&] { tablesOnly.LoadJpegData(tables); }), JERR_NO_IMAGE);

    // A stream that ends between segments, before its frame.
    const Bytes whole = Compress(FlatPicture(8, 8, 1, 2, 3));
    const std::size_t sof = FindSegment(whole, 0xC0);
    TJPEGImage cutBeforeFrame;
    EXPECT_EQ(JpegCode([&] { cutBeforeFrame.LoadJpegData(Bytes(whole.begin(), whole.begin() + sof)); }),
              JERR_NO_IMAGE);
}

TEST(JpegDecodeTest, StreamCutShortInItsImageDataDecodes)
{
    StreamShape shape;
    shape.Width = 96;
    shape.Height = 96;
    const Bytes whole = EncodeStream(shape, PhotoLike(3));
    TJPEGImage full;
    full.LoadJpegData(whole);
    const TBitmap& reference = full.DecodeJpeg();

    TJPEGImage cut;
    cut.LoadJpegData(Bytes(whole.begin(), whole.begin() + static_cast<long>(whole.size() * 6 / 10)));
    const TBitmap& picture = cut.DecodeJpeg();
    ASSERT_EQ(picture.Width(), 96);
    ASSERT_EQ(picture.Height(), 96);
    EXPECT_EQ(RowBytes(picture, 0), RowBytes(reference, 0));
    EXPECT_NE(RowBytes(picture, 95), RowBytes(reference, 95));
}

TEST(JpegDecodeTest, LyingHeaderIsRefusedBeforeAllocating)
{
    // A small stream whose frame claims 65000 × 65000 pixels.
    Bytes bytes = Compress(FlatPicture(8, 8, 1, 2, 3));
    const std::size_t sof = FindSegment(bytes, 0xC0);
    bytes[sof + 5] = bytes[sof + 7] = 0xFD;
    bytes[sof + 6] = bytes[sof + 8] = 0xE8;
    TJPEGImage jpeg;
    jpeg.LoadJpegData(bytes);
    EXPECT_EQ(jpeg.Width(), 65000);
    EXPECT_THROW(jpeg.DecodeJpeg(), EOutOfResources);
    EXPECT_THROW(StretchPicture(jpeg, 100, 100), EOutOfResources);
}

TEST(JpegDecodeTest, AMultiScanStreamDecodesWhenItsCoefficientsFitTheStorageLimit)
{
    // 256 × 256 with full chroma: 32 × 32 blocks in each of three components, while the
    // picture itself takes half of that.
    StreamShape shape;
    shape.Width = shape.Height = 256;
    shape.LumaH = shape.LumaV = 1;
    const std::uint64_t coefficients = 3 * 32 * 32 * 128;
    const std::size_t saved = PictureStorageLimit();
    struct Case {
        bool Progressive;
        std::size_t Limit;
        bool Decodes;
    };
    const Case cases[] = {{true, coefficients, true},
                          {true, coefficients - 1, false},
                          {false, coefficients - 1, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Progressive << " " << c.Limit);
        shape.Progressive = c.Progressive;
        const Bytes bytes = EncodeStream(shape, PhotoLike(3));
        SetPictureStorageLimit(c.Limit);
        TJPEGImage jpeg;
        jpeg.LoadJpegData(bytes);
        EXPECT_EQ(jpeg.Data().CoefficientBytes, c.Progressive ? coefficients : 0);
        if (c.Decodes) {
            EXPECT_EQ(StretchPicture(jpeg, 10, 10).Width(), 10);
            EXPECT_EQ(jpeg.DecodeJpeg().Width(), 256);
        } else {
            EXPECT_THROW(StretchPicture(jpeg, 10, 10), EOutOfResources);
            EXPECT_THROW(jpeg.DecodeJpeg(), EOutOfResources);
        }
    }
    SetPictureStorageLimit(saved);
}

TEST(JpegRoundTripTest, ProgressiveStaysProgressiveAndBaselineStaysBaseline)
{
    for (bool progressive : {false, true}) {
        StreamShape shape;
        shape.Width = 120;
        shape.Height = 90;
        shape.Progressive = progressive;
        TJPEGImage jpeg;
        jpeg.LoadJpegData(EncodeStream(shape, PhotoLike(3)));
        EXPECT_EQ(jpeg.Settings().ProgressiveOutput, progressive);
        jpeg.DecodeJpeg();
        jpeg.AssignBitmap(StretchPicture(jpeg, 40, 30));
        EXPECT_EQ(jpeg.Settings().ProgressiveOutput, progressive);
        jpeg.CompressJpeg();
        const Bytes& out = jpeg.Data().Bytes;
        EXPECT_EQ(FindSegment(out, 0xC2) != std::string::npos, progressive);
        EXPECT_EQ(FindSegment(out, 0xC0) != std::string::npos, !progressive);
        EXPECT_EQ(jpeg.Data().Width, 40);
        EXPECT_EQ(jpeg.Data().Height, 30);
        TJPEGImage again;
        again.LoadJpegData(out);
        EXPECT_EQ(again.Settings().ProgressiveOutput, progressive);
        EXPECT_EQ(again.DecodeJpeg().Height(), 30);
    }
}

TEST(JpegFileTest, LoadAndSave)
{
    ScratchDir scratch;
    const std::string dir = scratch.Path().string() + "/";

    // A 0-byte file loads and fails on decoding.
    WriteBytes(dir + "empty.jpg", {});
    TJPEGImage empty;
    empty.LoadJpegFile(dir + "empty.jpg");
    EXPECT_EQ(JpegCode([&] { empty.DecodeJpeg(); }), JERR_INPUT_EMPTY);

    try {
        TJPEGImage missing;
        missing.LoadJpegFile(dir + "missing.jpg");
        ADD_FAILURE() << "missing file loaded";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), EFOpenError(dir + "missing.jpg").Message());
    }

    // Huge files are checked before they are read: a sparse 4 GiB file that is no JPEG fails
    // on its first bytes, and one that starts as a JPEG is refused for its size.
    for (const auto& [name, start] : {std::pair{"huge-gif.jpg", std::string("GIF89a")},
                                      std::pair{"huge.jpg", std::string("\xFF\xD8\xFF\xE0")}}) {
        WriteFile(dir + name, start);
        std::filesystem::resize_file(dir + name, std::uintmax_t{4} << 30);
        TJPEGImage huge;
        if (start[0] == 'G')
            EXPECT_EQ(JpegCode([&] { huge.LoadJpegFile(dir + name); }), JERR_NO_SOI);
        else
            EXPECT_THROW(huge.LoadJpegFile(dir + name), EOutOfResources);
        std::filesystem::remove(dir + name);
    }

    // An existing, larger file is replaced by exactly the stream's bytes.
    const std::string out = dir + "out.jpg";
    WriteBytes(out, Bytes(100000, 0xAB));
    TJPEGImage jpeg;
    jpeg.AssignBitmap(FlatPicture(30, 20, 200, 100, 50));
    jpeg.SaveJpegFile(out);  // compresses first
    ASSERT_FALSE(jpeg.Data().Bytes.empty());
    EXPECT_EQ(ReadBytes(out), jpeg.Data().Bytes);
    TJPEGImage reread;
    reread.LoadJpegFile(out);
    EXPECT_EQ(reread.Width(), 30);
    EXPECT_EQ(reread.Height(), 20);

    // Pictures with no pixels save as 0-byte files.
    TBitmap zeroWide;
    zeroWide.Create(PixelFormat::pf24bit, 0, 5);
    TJPEGImage zero;
    zero.AssignBitmap(zeroWide);
    zero.CompressJpeg();
    EXPECT_TRUE(zero.Data().Bytes.empty());
    zero.SaveJpegFile(out);
    EXPECT_EQ(std::filesystem::file_size(out), 0u);
    TJPEGImage fresh;
    fresh.SaveJpegFile(dir + "fresh.jpg");
    EXPECT_EQ(std::filesystem::file_size(dir + "fresh.jpg"), 0u);

    const std::string bad = dir + "no/such/dir/x.jpg";
    try {
        jpeg.SaveJpegFile(bad);
        ADD_FAILURE() << "saved into a missing directory";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(), EFCreateError(bad).Message());
    }
}

} // namespace
} // namespace kameola
