// SPDX-License-Identifier: MIT
// libFuzzer target: JPEG load (with the Exif orientation), decode, stretch (both paths,
// compared), turning upright, assign and compress.
//
// Seeds: small JPEGs of every kind the decoder meets, made from a 48 × 32 PPM/PGM, e.g.
//   cjpeg -outfile baseline420.jpg s.ppm; cjpeg -sample 2x1 ...; cjpeg -sample 1x1 ...;
//   cjpeg -progressive ...; cjpeg -grayscale ... s.pgm; cjpeg -restart 1 ...;
//   cjpeg -arithmetic ...; convert s.ppm -colorspace CMYK cmyk.jpg;
//   head -c 700 baseline420.jpg > truncated.jpg
//   plus the tall streams of ../shared/testdata/jpeg-fast-path (luminance 1 × 4, 2 × 4).
// Run: fuzz_jpeg -jobs=1 -max_len=65536 -rss_limit_mb=2048 CORPUS SEEDS
// Any difference between the sampled-rows stretch and a full decode traps.
#include "common/Errors.h"
#include "imaging/Bitmap.h"
#include "imaging/Jpeg.h"
#include "imaging/Orientation.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

using namespace kameola;

namespace {

// The outcome of one way of making the small picture: the picture, or the codec's code.
struct Outcome {
    std::optional<TBitmap> picture;
    int error = 0;
};

bool SamePixels(const TBitmap& a, const TBitmap& b)
{
    if (a.Format() != b.Format() || a.Width() != b.Width() || a.Height() != b.Height() ||
        a.Palette() != b.Palette())
        return false;
    const std::size_t n = (static_cast<std::size_t>(a.Width()) * BitsPerPixel(a.Format()) + 7) / 8;
    for (int y = 0; y < a.Height(); ++y)
        if (std::memcmp(a.ScanLine(y), b.ScanLine(y), n) != 0)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Small enough that a lying header cannot slow the run down with huge pictures.
    SetPictureStorageLimit(std::size_t{64} << 20);
    return 0;
}

// The small sizes tried for one input: a fixed odd size, a tiny width and one of the widths
// people use (50 to 200) with the picture's own proportions. The input's length picks the
// widths, so bytes after the end of the stream reach every width.
static std::vector<std::pair<int, int>> SmallSizes(const TJPEGImage& jpeg, std::size_t size)
{
    const auto proportional = [&](int width) {
        const long long height = static_cast<long long>(width) * jpeg.Height() /
                                 std::max(jpeg.Width(), 1);
        return std::pair{width, static_cast<int>(std::clamp<long long>(height, 1, 400))};
    };
    return {{24, 17}, proportional(1 + static_cast<int>(size % 7)),
            proportional(50 + static_cast<int>(size / 7 % 151))};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::uint8_t> bytes(data, data + size);
    TJPEGImage fast;
    try {
        fast.LoadJpegData(bytes);
    } catch (const EJPEG&) {
        return 0;
    }

    // The whole picture once, then for each size only the sampled rows: both must agree,
    // errors included.
    std::optional<TBitmap> decoded;
    int fullError = 0;
    try {
        TJPEGImage full;
        full.LoadJpegData(bytes);
        decoded = full.DecodeJpeg();
    } catch (const EJPEG& e) {
        fullError = e.Code();
    } catch (const EOutOfResources&) {
        fullError = -1;
    }
    std::optional<TBitmap> firstSmall;
    for (const auto& [width, height] : SmallSizes(fast, size)) {
        Outcome sampled;
        try {
            sampled.picture = StretchPicture(fast, width, height);
        } catch (const EJPEG& e) {
            sampled.error = e.Code();
        } catch (const EOutOfResources&) {
            sampled.error = -1;
        }
        if (fast.Decoded() || sampled.error != fullError)
            __builtin_trap();
        if (fullError)
            return 0;
        if (!SamePixels(*sampled.picture, StretchPicture(*decoded, width, height)))
            __builtin_trap();
        if (!firstSmall)
            firstSmall = std::move(sampled.picture);
    }
    constexpr int kWidth = 24, kHeight = 17;

    // Any exception from here on escapes and is reported as a crash.
    const int orientation = fast.Orientation();
    if (orientation < 1 || orientation > 8)
        __builtin_trap();
    const TBitmap upright = OrientUpright(*firstSmall, orientation);
    if (upright.Width() != (SwapsSides(orientation) ? kHeight : kWidth))
        __builtin_trap();
    fast.AssignBitmap(*firstSmall);
    fast.CompressJpeg();
    TJPEGImage small;
    small.LoadJpegData(fast.Data().Bytes);
    if (small.DecodeJpeg().Width() != kWidth || small.Height() != kHeight)
        __builtin_trap();
    return 0;
}
