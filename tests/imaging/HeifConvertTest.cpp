// SPDX-License-Identifier: MIT
// The HEIF reader's pixels against heif-convert's PNG of the same file: equal for 8 bits,
// the PNG's high byte for 10 bits, alpha laid over white on both sides.
#include "imaging/PictureReader.h"
#include "tests/support/Files.h"
#include "tests/support/Heif.h"
#include "tests/support/Pictures.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace kameola;
using namespace kameola::test;

namespace {

// The PNG's samples as 16-bit big-endian RGBA, through ImageMagick.
std::string RgbaOf(const std::string& png, const std::string& raw)
{
    const std::string command = "convert '" + png + "' -alpha on -depth 16 -endian MSB 'RGBA:" + raw + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return ReadFile(raw);
}

} // namespace

TEST(HeifConvert, TheReaderMatchesHeifConvertsPng)
{
    const struct {
        const char* Name;
        HeifShape Shape;
    } cases[] = {
        {"8 bits, turned", {.Width = 40, .Height = 24, .Orientation = 6}},
        {"10 bits, turned half round", {.Width = 40, .Height = 24, .BitDepth = 10, .Orientation = 3}},
        {"8 bits with alpha", {.Width = 40, .Height = 24, .Alpha = 100}},
    };
    ScratchDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string heif = dir / "a.heic", png = dir / "a.png";
        WriteHeif(heif, c.Shape);
        const std::string command = "heif-convert '" + heif + "' '" + png + "' >/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        const std::string rgba = RgbaOf(png, dir / "a.rgba");
        const ReadPicture read = ReadWith(HeifReader(), heif);
        const TBitmap& picture = read.Picture;
        ASSERT_EQ(rgba.size(), static_cast<std::size_t>(picture.Width()) * picture.Height() * 8);
        int differing = 0;
        for (int y = 0; y < picture.Height(); ++y) {
            for (int x = 0; x < picture.Width(); ++x) {
                const auto* p = reinterpret_cast<const unsigned char*>(rgba.data()) +
                                (static_cast<std::size_t>(y) * picture.Width() + x) * 8;
                const unsigned a = p[6];
                std::uint32_t expected = 0;
                for (int channel = 0; channel < 3; ++channel) {
                    const unsigned v = p[2 * channel];  // the high byte
                    expected = expected << 8 | (v * a + 255 * (255 - a) + 127) / 255;
                }
                differing += RgbAt(picture, x, y) != expected;
            }
        }
        EXPECT_EQ(differing, 0);
    }
}
