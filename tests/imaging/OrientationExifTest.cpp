// SPDX-License-Identifier: MIT
// The Exif orientation reader and turning pictures upright.
#include "imaging/Orientation.h"
#include "imaging/Exif.h"

#include <gtest/gtest.h>
#include <cstdint>
#include <vector>

using namespace kameola;

namespace {

using Bytes = std::vector<std::uint8_t>;

// "Exif\0\0", a little-endian TIFF header and a first directory holding `entries`.
Bytes ExifBlock(const std::vector<Bytes>& entries)
{
    Bytes b = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0,
               static_cast<std::uint8_t>(entries.size()), 0};
    for (const Bytes& e : entries)
        b.insert(b.end(), e.begin(), e.end());
    b.insert(b.end(), {0, 0, 0, 0});
    return b;
}

Bytes Entry(std::uint16_t tag, std::uint16_t type, std::uint32_t count, std::uint16_t value)
{
    return {static_cast<std::uint8_t>(tag), static_cast<std::uint8_t>(tag >> 8),
            static_cast<std::uint8_t>(type), 0, static_cast<std::uint8_t>(count), 0, 0, 0,
            static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8), 0, 0};
}

int Read(const Bytes& b) { return exif::Orientation(b.data(), b.size()); }

} // namespace

TEST(ExifOrientationTest, FindsTheTagAmongOthers)
{
    EXPECT_EQ(Read(ExifBlock({Entry(0x010F, 2, 4, 0), Entry(0x0112, 3, 1, 6)})), 6);
    EXPECT_EQ(Read(ExifBlock({Entry(0x0112, 3, 1, 8)})), 8);
    EXPECT_EQ(Read(ExifBlock({Entry(0x010F, 2, 4, 0)})), 1);  // no tag
}

TEST(ExifOrientationTest, AnythingUnreadableGivesOne)
{
    // Values outside 1..8, the wrong type or count.
    for (std::uint16_t v : {0, 9, 0xFFFF})
        EXPECT_EQ(Read(ExifBlock({Entry(0x0112, 3, 1, v)})), 1) << v;
    EXPECT_EQ(Read(ExifBlock({Entry(0x0112, 4, 1, 6)})), 1);
    EXPECT_EQ(Read(ExifBlock({Entry(0x0112, 3, 2, 6)})), 1);

    // Every cut of a valid block, a wrong signature or byte order, a directory offset
    // pointing past the end, an entry count larger than the block.
    const Bytes good = ExifBlock({Entry(0x0112, 3, 1, 6)});
    for (std::size_t n = 0; n < good.size() - 4; ++n)
        EXPECT_EQ(exif::Orientation(good.data(), n), 1) << n;
    Bytes bad = good;
    bad[0] = 'e';
    EXPECT_EQ(Read(bad), 1);
    bad = good;
    bad[6] = 'X';
    EXPECT_EQ(Read(bad), 1);
    bad = good;
    bad[8] = 43;
    EXPECT_EQ(Read(bad), 1);
    bad = good;
    bad[10] = 0xF0;
    bad[13] = 0xFF;
    EXPECT_EQ(Read(bad), 1);
    bad = ExifBlock({Entry(0x010F, 2, 4, 0)});
    bad[14] = 0xFF;
    bad[15] = 0xFF;
    EXPECT_EQ(Read(bad), 1);
    EXPECT_EQ(exif::Orientation(nullptr, 0), 1);
}

TEST(OrientUprightTest, EveryOrientationPlacesEachPixel)
{
    // A 3 × 2 8-bit picture whose pixel (x, y) is 10 y + x: the upright pictures as rows.
    TBitmap stored;
    stored.Create(PixelFormat::pf8bit, 3, 2, {{1, 2, 3}});
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            stored.MutableScanLine(y)[x] = static_cast<std::uint8_t>(10 * y + x);
    const std::vector<std::vector<Bytes>> expected = {
        {{0, 1, 2}, {10, 11, 12}},      // 1
        {{2, 1, 0}, {12, 11, 10}},      // 2
        {{12, 11, 10}, {2, 1, 0}},      // 3
        {{10, 11, 12}, {0, 1, 2}},      // 4
        {{0, 10}, {1, 11}, {2, 12}},    // 5
        {{10, 0}, {11, 1}, {12, 2}},    // 6
        {{12, 2}, {11, 1}, {10, 0}},    // 7
        {{2, 12}, {1, 11}, {0, 10}},    // 8
    };
    for (int o = 1; o <= 8; ++o) {
        const TBitmap upright = OrientUpright(stored, o);
        const auto& rows = expected[static_cast<std::size_t>(o - 1)];
        ASSERT_EQ(upright.Height(), static_cast<int>(rows.size())) << o;
        ASSERT_EQ(upright.Width(), static_cast<int>(rows[0].size())) << o;
        EXPECT_EQ(upright.Palette(), stored.Palette()) << o;
        for (int y = 0; y < upright.Height(); ++y) {
            const std::uint8_t* p = upright.ScanLine(y);
            EXPECT_EQ(Bytes(p, p + upright.Width()), rows[static_cast<std::size_t>(y)]) << o;
        }
    }
    // Unknown values leave the picture as it is.
    EXPECT_EQ(OrientUpright(stored, 0).ScanLine(1)[2], 12);
    EXPECT_EQ(OrientUpright(stored, 9).Width(), 3);
}

TEST(OrientUprightTest, OneBitPicturesTurnBitByBit)
{
    TBitmap mono;
    mono.Create(PixelFormat::pf1bit, 9, 2, {{0, 0, 0}, {255, 255, 255}});
    mono.MutableScanLine(0)[1] = 0x80;  // pixel (8, 0)
    const TBitmap turned = OrientUpright(mono, 6);
    ASSERT_EQ(turned.Width(), 2);
    ASSERT_EQ(turned.Height(), 9);
    EXPECT_EQ(turned.ScanLine(8)[0], 0x40);  // shown at (1, 8)
    for (int y = 0; y < 8; ++y)
        EXPECT_EQ(turned.ScanLine(y)[0], 0) << y;
}
