// SPDX-License-Identifier: MIT
// The ICC colour profile: read from a stream's APP2 chunks when it describes RGB data,
// written after APP0.
#include "imaging/Jpeg.h"
#include "tests/support/Jpeg.h"

#include <gtest/gtest.h>
#include <algorithm>

namespace kameola {
namespace {

using namespace test;
using Bytes = std::vector<std::uint8_t>;

// The markers of a stream's segments up to the first scan, in order.
std::vector<int> MarkersBeforeScan(const Bytes& stream)
{
    std::vector<int> markers;
    for (std::size_t at = 2; at + 4 <= stream.size() && stream[at] == 0xFF;) {
        markers.push_back(stream[at + 1]);
        if (stream[at + 1] == 0xDA)
            break;
        at += 2 + (std::size_t{stream[at + 2]} << 8 | stream[at + 3]);
    }
    return markers;
}

Bytes EncodedWithProfile(const Bytes& profile, bool grey = false)
{
    TJPEGImage source;
    source.LoadJpegData(EncodeStream(StreamShape{}, PhotoLike(3)));
    TJPEGImage jpeg;
    jpeg.Settings().ForceGrayscale = grey;
    jpeg.AssignBitmap(source.DecodeJpeg());
    jpeg.SetIccProfile(profile);
    jpeg.CompressJpeg();
    return jpeg.Data().Bytes;
}

} // namespace

TEST(IccProfile, RgbProfilesAreWrittenAfterApp0AndReadBackWhole)
{
    // One chunk, and one that needs three (a chunk holds at most 65519 bytes).
    for (const std::size_t length : {std::size_t{3144}, std::size_t{150000}}) {
        const Bytes profile = IccProfileBytes("RGB ", length);
        const Bytes stream = EncodedWithProfile(profile);
        const std::vector<int> markers = MarkersBeforeScan(stream);
        ASSERT_GE(markers.size(), 2u);
        EXPECT_EQ(markers[0], 0xE0);
        const std::size_t chunks = length / 65519 + 1;
        for (std::size_t k = 1; k <= chunks; ++k)
            EXPECT_EQ(markers.at(k), 0xE2) << k;
        EXPECT_EQ(std::count(markers.begin(), markers.end(), 0xE2), static_cast<long>(chunks));

        TJPEGImage reread;
        reread.LoadJpegData(stream);
        EXPECT_TRUE(reread.Data().IccProfile == profile);
    }
    // Without a profile nothing is added.
    EXPECT_EQ(MarkersBeforeScan(EncodedWithProfile({}))[1], 0xDB);
}

TEST(IccProfile, OnlyWholeRgbProfilesAreTaken)
{
    Bytes lying = IccProfileBytes("RGB ", 1000);
    lying[3] = 0x10;  // the header gives another length
    const Bytes refused[] = {IccProfileBytes("CMYK", 1000), IccProfileBytes("GRAY", 1000),
                             IccProfileBytes("RGB ", 100), lying};
    for (const Bytes& profile : refused) {
        TJPEGImage reread;
        reread.LoadJpegData(EncodedWithProfile(profile));
        EXPECT_TRUE(reread.Data().IccProfile.empty());
    }
    // A grey stream gets no RGB profile.
    const Bytes grey = EncodedWithProfile(IccProfileBytes("RGB ", 1000), true);
    EXPECT_EQ(std::count(grey.begin(), grey.begin() + 40, 0xE2), 0);
}

} // namespace kameola
