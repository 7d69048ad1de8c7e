// libFuzzer target: JPEG load (with the Exif orientation), decode, stretch (both paths,
// compared), turning upright, assign and compress.
//
// Seeds: small JPEGs of every kind the decoder meets, made from a 48 × 32 PPM/PGM, e.g.
//   cjpeg -outfile baseline420.jpg s.ppm; cjpeg -sample 2x1 ...; cjpeg -sample 1x1 ...;
//   cjpeg -progressive ...; cjpeg -grayscale ... s.pgm; cjpeg -restart 1 ...;
//   cjpeg -arithmetic ...; convert s.ppm -colorspace CMYK cmyk.jpg;
//   head -c 700 baseline420.jpg > truncated.jpg
// Run: fuzz_jpeg -jobs=1 -max_len=65536 -rss_limit_mb=2048 CORPUS SEEDS
// Any difference between the sampled-rows stretch and a full decode traps.
#include "imaging/Bitmap.h"
#include "common/Errors.h"
#include "imaging/Jpeg.h"
#include "imaging/Orientation.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
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

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::uint8_t> bytes(data, data + size);
    TJPEGImage fast;
    try {
        fast.LoadJpegData(bytes);
    } catch (const EJPEG&) {
        return 0;
    }
    constexpr int kWidth = 24, kHeight = 17;

    // Only the sampled rows, then the whole picture: both must agree, errors included.
    Outcome sampled, full;
    try {
        sampled.picture = StretchPicture(fast, kWidth, kHeight);
    } catch (const EJPEG& e) {
        sampled.error = e.Code();
    } catch (const EOutOfResources&) {
        sampled.error = -1;
    }
    if (fast.Decoded())
        __builtin_trap();
    try {
        full.picture = StretchPicture(fast.DecodeJpeg(), kWidth, kHeight);
    } catch (const EJPEG& e) {
        full.error = e.Code();
    } catch (const EOutOfResources&) {
        full.error = -1;
    }
    if (sampled.error != full.error)
        __builtin_trap();
    if (full.error)
        return 0;
    if (!SamePixels(*sampled.picture, *full.picture))
        __builtin_trap();

    // Any exception from here on escapes and is reported as a crash.
    const int orientation = fast.Orientation();
    if (orientation < 1 || orientation > 8)
        __builtin_trap();
    const TBitmap upright = OrientUpright(*full.picture, orientation);
    if (upright.Width() != (SwapsSides(orientation) ? kHeight : kWidth))
        __builtin_trap();
    fast.AssignBitmap(*full.picture);
    fast.CompressJpeg();
    TJPEGImage small;
    small.LoadJpegData(fast.Data().Bytes);
    if (small.DecodeJpeg().Width() != kWidth || small.Height() != kHeight)
        __builtin_trap();
    return 0;
}
