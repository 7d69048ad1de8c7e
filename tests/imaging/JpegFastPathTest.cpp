// SPDX-License-Identifier: MIT
// The sampled-rows stretch is used only for stream layouts where it is exact; every other
// stream decodes all rows and still gives the full decode's small picture.
#include "imaging/Jpeg.h"
#include "tests/support/Jpeg.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace kameola;
using namespace kameola::test;
namespace fs = std::filesystem;

namespace {

bool SamePixels(const TBitmap& a, const TBitmap& b)
{
    if (a.Format() != b.Format() || a.Width() != b.Width() || a.Height() != b.Height() ||
        a.Palette() != b.Palette())
        return false;
    for (int y = 0; y < a.Height(); ++y)
        if (RowBytes(a, y) != RowBytes(b, y))
            return false;
    return true;
}

// The stretch of an undecoded picture against a full decode then the same stretch.
void ExpectSampledEqualsFull(const std::vector<std::uint8_t>& bytes, int width, int height,
                             const std::string& what)
{
    TJPEGImage sampled;
    sampled.LoadJpegData(bytes);
    const TBitmap quick = StretchPicture(sampled, width, height);
    EXPECT_FALSE(sampled.Decoded()) << what;
    TJPEGImage full;
    full.LoadJpegData(bytes);
    EXPECT_TRUE(SamePixels(quick, StretchPicture(full.DecodeJpeg(), width, height))) << what;
}

} // namespace

TEST(JpegFastPathTest, ReproducersGiveTheFullDecodesPicture)
{
    const fs::path folder = fs::path(KAMEOLA_TESTDATA) / "jpeg-fast-path";
    ASSERT_TRUE(fs::is_directory(folder)) << folder;
    for (const char* name : {"baseline-4x2.jpg", "progressive-4x2.jpg", "four-components-v3.jpg",
                             "four-components-3x2.jpg"}) {
        std::ifstream in(folder / name, std::ios::binary);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
        ASSERT_FALSE(bytes.empty()) << name;
        TJPEGImage jpeg;
        jpeg.LoadJpegData(bytes);
        EXPECT_FALSE(jpeg.Data().SampledRowsExact) << name;
        ExpectSampledEqualsFull(bytes, 24, 17, name);
    }
}

TEST(JpegFastPathTest, CommonLayoutsTakeTheFastPathAndMatchAFullDecode)
{
    struct Layout { int h, v; };
    const Layout luma[] = {{1, 1}, {2, 1}, {1, 2}, {2, 2}, {3, 1}, {4, 1}, {1, 4}, {2, 4}};
    for (bool progressive : {false, true}) {
        for (const Layout& l : luma) {
            StreamShape shape;
            shape.Width = 67;
            shape.Height = 53;
            shape.LumaH = l.h;
            shape.LumaV = l.v;
            shape.Progressive = progressive;
            const auto bytes = EncodeStream(shape, PhotoLike(3));
            const std::string what = std::to_string(l.h) + "x" + std::to_string(l.v) +
                                     (progressive ? " progressive" : "");
            TJPEGImage jpeg;
            jpeg.LoadJpegData(bytes);
            EXPECT_TRUE(jpeg.Data().SampledRowsExact) << what;
            ExpectSampledEqualsFull(bytes, 24, 17, what);
            ExpectSampledEqualsFull(bytes, 20, 40, what);
        }
    }
}

// A vertical luminance factor of 4 once gave rows from before a skip when the skip began
// inside a row group: pictures much taller than their small image, at the widths people use.
TEST(JpegFastPathTest, TallPicturesWithFourRowGroupsMatchAFullDecode)
{
    struct Size { int w, h; };
    const Size sizes[] = {{17, 100}, {9, 200}, {250, 333}, {640, 480}};
    for (const Size size : sizes) {
        for (auto [h, v] : {std::pair{1, 4}, std::pair{2, 4}}) {
            for (bool progressive : {false, true}) {
                StreamShape shape;
                shape.Width = size.w;
                shape.Height = size.h;
                shape.LumaH = h;
                shape.LumaV = v;
                shape.Progressive = progressive;
                const auto bytes = EncodeStream(shape, PhotoLike(3));
                for (int width : {1, 2, 3, 5, 7, 50, 100, 120, 200}) {
                    const int height = std::max(1, width * size.h / size.w);
                    ExpectSampledEqualsFull(bytes, width, height,
                                            std::to_string(size.w) + "x" + std::to_string(size.h) +
                                                " " + std::to_string(h) + "x" +
                                                std::to_string(v) + " width " +
                                                std::to_string(width) +
                                                (progressive ? " progressive" : ""));
                }
            }
        }
    }

    const fs::path folder = fs::path(KAMEOLA_TESTDATA) / "jpeg-fast-path";
    if (!fs::is_directory(folder))
        GTEST_SKIP() << "no reproducers at " << folder;
    for (const char* name : {"luma-1x4-640x480.jpg", "luma-1x4-17x100.jpg", "luma-2x4-9x200.jpg"}) {
        std::ifstream in(folder / name, std::ios::binary);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
        ASSERT_FALSE(bytes.empty()) << name;
        TJPEGImage jpeg;
        jpeg.LoadJpegData(bytes);
        for (int width : {1, 2, 3, 5, 7, 50, 100, 120, 160, 200}) {
            const int height = std::max(1, width * jpeg.Height() / jpeg.Width());
            ExpectSampledEqualsFull(bytes, width, height,
                                    std::string(name) + " width " + std::to_string(width));
        }
    }
}

TEST(JpegFastPathTest, RareLayoutsDecodeEveryRow)
{
    // Luminance 4 × 2 or with a vertical factor of 3 over 1 × 1 chroma (skipping rows gives
    // other pixels for these), and four-component streams.
    TJPEGImage jpeg;
    for (auto [h, v] : {std::pair{4, 2}, std::pair{1, 3}, std::pair{2, 3}}) {
        for (bool progressive : {false, true}) {
            StreamShape shape;
            shape.Width = 67;
            shape.Height = 53;
            shape.LumaH = h;
            shape.LumaV = v;
            shape.Progressive = progressive;
            const auto bytes = EncodeStream(shape, PhotoLike(3));
            const std::string what = std::to_string(h) + "x" + std::to_string(v);
            jpeg.LoadJpegData(bytes);
            EXPECT_FALSE(jpeg.Data().SampledRowsExact) << what;
            ExpectSampledEqualsFull(bytes, 24, 17, what);
            ExpectSampledEqualsFull(bytes, 20, 40, what);
        }
    }

    StreamShape cmyk;
    cmyk.Components = 4;
    cmyk.LumaH = 1;
    cmyk.LumaV = 1;
    const auto four = EncodeStream(cmyk, PhotoLike(4));
    jpeg.LoadJpegData(four);
    EXPECT_FALSE(jpeg.Data().SampledRowsExact);
    ExpectSampledEqualsFull(four, 5, 7, "cmyk");
}
