// SPDX-License-Identifier: MIT
// JPEG entries with an Exif orientation: the page size and the small image follow the
// picture as shown upright.
#include "imaging/Bitmap.h"
#include "imaging/Jpeg.h"
#include "gallery/Run.h"
#include "tests/gallery/TestFiles.h"
#include "tests/support/Jpeg.h"

#include <gtest/gtest.h>
#include <cstdint>
#include <string>
#include <vector>

using namespace kameola;
using namespace kameola::test;

namespace {

using Bytes = std::vector<std::uint8_t>;

enum class Corner { TopLeft, TopRight, BottomRight, BottomLeft };

// A 32 × 16 JPEG, white with a red 16 × 8 block in its stored top-left corner, carrying an
// APP1 Exif segment with this orientation (little-endian TIFF for odd values, big-endian
// for even ones) right after the start of image.
std::string OrientedJpeg(int orientation)
{
    TBitmap picture;
    picture.Create(PixelFormat::pf24bit, 32, 16);
    for (int y = 0; y < 16; ++y) {
        std::uint8_t* row = picture.MutableScanLine(y);
        for (int x = 0; x < 32; ++x, row += 3) {
            const bool red = x < 16 && y < 8;
            row[0] = red ? 0 : 255;  // blue, green, red
            row[1] = red ? 0 : 255;
            row[2] = 255;
        }
    }
    TJPEGImage jpeg;
    jpeg.AssignBitmap(picture);
    jpeg.CompressJpeg();
    const Bytes& stream = jpeg.Data().Bytes;

    const bool little = orientation % 2 == 1;
    Bytes tiff = little ? Bytes{'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0}
                        : Bytes{'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1};
    const std::uint8_t value = static_cast<std::uint8_t>(orientation);
    Bytes valueField = little ? Bytes{value, 0, 0, 0} : Bytes{0, value, 0, 0};
    tiff.insert(tiff.end(), valueField.begin(), valueField.end());
    tiff.insert(tiff.end(), {0, 0, 0, 0});  // no next directory
    Bytes payload = {'E', 'x', 'i', 'f', 0, 0};
    payload.insert(payload.end(), tiff.begin(), tiff.end());
    const std::size_t length = payload.size() + 2;

    Bytes out(stream.begin(), stream.begin() + 2);  // start of image
    out.insert(out.end(), {0xFF, 0xE1, static_cast<std::uint8_t>(length >> 8),
                           static_cast<std::uint8_t>(length)});
    out.insert(out.end(), payload.begin(), payload.end());
    out.insert(out.end(), stream.begin() + 2, stream.end());
    return std::string(out.begin(), out.end());
}

bool IsRed(const TBitmap& picture, int x, int y)
{
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(picture.Width()) * 3);
    picture.RowToRgb(y, rgb.data());
    const std::uint8_t* p = &rgb[static_cast<std::size_t>(x) * 3];
    return p[0] > 200 && p[1] < 80 && p[2] < 80;
}

} // namespace

TEST(OrientationTest, PageSizeAndSmallImageFollowTheUprightPicture)
{
    struct Case {
        int orientation;
        Corner corner;  // where the stored top-left block shows upright
    };
    const Case cases[] = {{1, Corner::TopLeft},     {2, Corner::TopRight},
                          {3, Corner::BottomRight}, {4, Corner::BottomLeft},
                          {5, Corner::TopLeft},     {6, Corner::TopRight},
                          {7, Corner::BottomRight}, {8, Corner::BottomLeft}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.orientation);
        ScratchDir dir;
        const std::string source = dir / "p.jpg";
        WriteFile(source, OrientedJpeg(c.orientation));

        TJPEGImage stored;
        stored.LoadJpegFile(source);
        EXPECT_EQ(stored.Orientation(), c.orientation);
        EXPECT_EQ(stored.Width(), 32);  // the picture itself is reported as stored
        EXPECT_EQ(stored.Height(), 16);

        GalleryJob job;
        job.OutputDir = dir / "web";
        job.ThumbWidth = 20;
        job.MakeSmallImages = true;
        job.Entries.push_back({source, ""});
        RecordingHost host;
        RunGallery(job, host);

        const bool turned = c.orientation >= 5;
        const int height = turned ? 40 : 10;
        const std::string page = ReadFile(dir / "web/index.htm");
        EXPECT_NE(page.find("WIDTH=20 HEIGHT=" + std::to_string(height) + " "), std::string::npos);

        TJPEGImage small;
        small.LoadJpegFile(dir / "web/ps.jpg");
        EXPECT_EQ(small.Orientation(), 1);  // written without Exif
        const TBitmap& pixels = small.DecodeJpeg();
        ASSERT_EQ(pixels.Width(), 20);
        ASSERT_EQ(pixels.Height(), height);
        const int right = pixels.Width() - 1, bottom = pixels.Height() - 1;
        EXPECT_EQ(IsRed(pixels, 0, 0), c.corner == Corner::TopLeft);
        EXPECT_EQ(IsRed(pixels, right, 0), c.corner == Corner::TopRight);
        EXPECT_EQ(IsRed(pixels, right, bottom), c.corner == Corner::BottomRight);
        EXPECT_EQ(IsRed(pixels, 0, bottom), c.corner == Corner::BottomLeft);
        // The copy keeps its bytes, Exif included.
        EXPECT_EQ(ReadFile(dir / "web/p.jpg"), ReadFile(source));
    }
}

// A small image made from a JPEG carries its RGB colour profile; a CMYK profile and BMP
// entries give none.
TEST(SmallImageProfile, RgbProfileOfTheSourceIsCarried)
{
    ScratchDir dir;
    RecordingHost host;
    const std::pair<const char*, std::vector<std::uint8_t>> sources[] = {
        {"p3.jpg", test::IccProfileBytes("RGB ", 536)},
        {"cmyk.jpg", test::IccProfileBytes("CMYK", 536)},
    };
    GalleryJob job;
    job.OutputDir = dir / "web";
    job.MakeSmallImages = true;
    WriteJpeg(dir / "plain.jpg", 32, 16);
    for (const auto& [name, profile] : sources) {
        TJPEGImage source;
        source.LoadJpegFile(dir / "plain.jpg");
        TJPEGImage jpeg;
        jpeg.AssignBitmap(source.DecodeJpeg());
        jpeg.SetIccProfile(profile);
        jpeg.SaveJpegFile(dir / name);
        job.Entries.push_back({dir / name, ""});
    }
    WriteBmp(dir / "b.bmp", 8, 8);
    job.Entries.push_back({dir / "b.bmp", ""});
    RunGallery(job, host);

    const auto profileOf = [&](const std::string& name) {
        TJPEGImage small;
        small.LoadJpegFile(job.OutputDir + "/" + name);
        return small.Data().IccProfile;
    };
    EXPECT_TRUE(profileOf("p3s.jpg") == sources[0].second);
    EXPECT_TRUE(profileOf("cmyks.jpg").empty());
    EXPECT_TRUE(profileOf("bs.jpg").empty());
    EXPECT_TRUE(profileOf("b.jpg").empty());
}
