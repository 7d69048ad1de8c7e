// SPDX-License-Identifier: MIT
// Tests that stretching an undecoded JPEG picture equals a full decode followed by stretching.
#include "common/Errors.h"
#include "imaging/Jpeg.h"
#include "tests/support/Jpeg.h"

#include <gtest/gtest.h>
#include <optional>
#include <jerror.h>

namespace kameola {
namespace {

using namespace test;

// Both results, or the codes of the errors they raised.
struct Outcome {
    std::optional<TBitmap> picture;
    int error = 0;
};

Outcome FastStretch(const Bytes& bytes, int width, int height)
{
    TJPEGImage jpeg;
    jpeg.LoadJpegData(bytes);
    Outcome out;
    try {
        out.picture = StretchPicture(jpeg, width, height);
    } catch (const EJPEG& e) {
        out.error = e.Code();
    }
    EXPECT_FALSE(jpeg.Decoded()) << "the fast path must not keep a decoded picture";
    return out;
}

Outcome FullStretch(const Bytes& bytes, int width, int height)
{
    TJPEGImage jpeg;
    jpeg.LoadJpegData(bytes);
    Outcome out;
    try {
        out.picture = StretchPicture(jpeg.DecodeJpeg(), width, height);
    } catch (const EJPEG& e) {
        out.error = e.Code();
    }
    return out;
}

void ExpectSame(const Bytes& bytes, int width, int height)
{
    SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
    const Outcome fast = FastStretch(bytes, width, height);
    const Outcome full = FullStretch(bytes, width, height);
    ASSERT_EQ(fast.error, full.error);
    if (full.error)
        return;
    const TBitmap& a = *fast.picture;
    const TBitmap& b = *full.picture;
    ASSERT_EQ(a.Format(), b.Format());
    ASSERT_EQ(a.Width(), width);
    ASSERT_EQ(a.Height(), height);
    ASSERT_EQ(b.Width(), width);
    ASSERT_EQ(b.Height(), height);
    EXPECT_EQ(a.Palette(), b.Palette());
    for (int y = 0; y < height; ++y)
        ASSERT_EQ(RowBytes(a, y), RowBytes(b, y)) << "row " << y;
}

struct Case {
    const char* name;
    StreamShape shape;
    std::vector<std::pair<int, int>> sizes;
};

StreamShape Shape(int width, int height, int lumaH = 2, int lumaV = 2)
{
    StreamShape s;
    s.Width = width;
    s.Height = height;
    s.LumaH = lumaH;
    s.LumaV = lumaV;
    return s;
}

TEST(JpegStretchTest, SampledRowsEqualFullDecode)
{
    std::vector<Case> cases;
    cases.push_back({"4:2:0", Shape(401, 303), {{100, 75}, {37, 200}, {401, 151}}});
    cases.push_back({"4:2:2", Shape(333, 250, 2, 1), {{100, 75}, {99, 250}}});
    cases.push_back({"4:4:4", Shape(250, 333, 1, 1), {{75, 100}, {13, 17}}});
    cases.push_back({"4:4:0", Shape(250, 201, 1, 2), {{75, 60}}});
    StreamShape progressive = Shape(321, 241);
    progressive.Progressive = true;
    cases.push_back({"progressive", progressive, {{100, 75}, {320, 240}}});
    StreamShape grey = Shape(301, 203);
    grey.Components = 1;
    cases.push_back({"grey", grey, {{100, 67}, {7, 200}}});
    StreamShape restart = Shape(259, 173);
    restart.RestartRows = 1;
    cases.push_back({"restart markers", restart, {{100, 67}, {51, 9}}});
    cases.push_back({"odd sizes", Shape(37, 23), {{13, 7}, {36, 22}, {37, 23}}});
    cases.push_back({"enlarging", Shape(9, 7), {{40, 31}, {9, 70}}});
    cases.push_back({"1 x 1 source", Shape(1, 1), {{1, 1}, {5, 3}}});
    cases.push_back({"1 x 1 result", Shape(64, 48), {{1, 1}}});
    StreamShape cmyk = Shape(150, 101, 1, 1);
    cmyk.Components = 4;
    cases.push_back({"CMYK", cmyk, {{50, 33}}});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes bytes = EncodeStream(c.shape, PhotoLike(c.shape.Components));
        for (const auto& [w, h] : c.sizes)
            ExpectSame(bytes, w, h);
    }
}

TEST(JpegStretchTest, EveryHeightOfASmallPicture)
{
    for (bool progressive : {false, true}) {
        StreamShape shape = Shape(45, 37);
        shape.Progressive = progressive;
        const Bytes bytes = EncodeStream(shape, PhotoLike(3));
        for (int h = 1; h <= 39; ++h)
            ExpectSame(bytes, 17, h);
    }
}

TEST(JpegStretchTest, DamagedStreamsFailOrDecodeAlike)
{
    const Bytes whole = EncodeStream(Shape(200, 150), PhotoLike(3));
    for (std::size_t keep : {whole.size() / 3, whole.size() * 9 / 10, whole.size() - 2}) {
        SCOPED_TRACE(keep);
        const Bytes cut(whole.begin(), whole.begin() + static_cast<long>(keep));
        ExpectSame(cut, 50, 37);
        ExpectSame(cut, 50, 1);
    }

    // A broken Huffman table after the last scan is only read when finishing.
    Bytes broken(whole.begin(), whole.end() - 2);
    const Bytes dht = {0xFF, 0xC4, 0x00, 0x13, 0x05, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    broken.insert(broken.end(), dht.begin(), dht.end());
    broken.insert(broken.end(), {0xFF, 0xD9});
    const Outcome fast = FastStretch(broken, 50, 1);
    EXPECT_NE(fast.error, 0);
    EXPECT_EQ(fast.error, FullStretch(broken, 50, 1).error);
}

TEST(JpegStretchTest, DecodedOrEmptyPicturesUseThePlainStretch)
{
    const Bytes bytes = EncodeStream(Shape(64, 48), PhotoLike(3));
    TJPEGImage jpeg;
    jpeg.LoadJpegData(bytes);
    const TBitmap expected = StretchPicture(jpeg.DecodeJpeg(), 20, 15);
    const TBitmap again = StretchPicture(jpeg, 20, 15);
    for (int y = 0; y < 15; ++y)
        EXPECT_EQ(RowBytes(again, y), RowBytes(expected, y));

    TJPEGImage zeroHeight;
    zeroHeight.LoadJpegData(bytes);
    const TBitmap flat = StretchPicture(zeroHeight, 20, 0);
    EXPECT_EQ(flat.Width(), 20);
    EXPECT_EQ(flat.Height(), 0);

    TJPEGImage empty;
    empty.LoadJpegData({});
    try {
        StretchPicture(empty, 10, 10);
        ADD_FAILURE() << "an empty stream stretched";
    } catch (const EJPEG& e) {
        EXPECT_EQ(e.Code(), JERR_INPUT_EMPTY);
    }
}

} // namespace
} // namespace kameola
