// libFuzzer target: the BMP reader, then rows as RGB and a stretch to a small size.
#include "Bitmap.h"
#include "Errors.h"

#include <cstddef>
#include <cstdint>
#include <vector>

using namespace kameola;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Small enough that a lying header cannot slow the run down with huge zeroed pictures.
    SetPictureStorageLimit(std::size_t{8} << 20);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TBitmap picture;
    try {
        picture.LoadBmpData(data, size);
    } catch (const EReadError&) {
        return 0;
    } catch (const EInvalidGraphic&) {
        return 0;
    }
    // Any other exception escapes and is reported as a crash.
    if (picture.HasStorage()) {  // a width without rows may be huge
        // The first rows and the last one: every row converts alike, and all of them would
        // make tall pictures slow.
        std::vector<std::uint8_t> rgb(static_cast<std::size_t>(picture.Width()) * 3);
        for (int y = 0; y < picture.Height() && y < 16; ++y)
            picture.RowToRgb(y, rgb.data());
        picture.RowToRgb(picture.Height() - 1, rgb.data());
    }

    const int w = size > 0 ? 1 + data[size - 1] % 40 : 3;
    const int h = size > 1 ? 1 + data[size - 2] % 40 : 5;
    const TBitmap small = StretchPicture(picture, w, h);
    std::vector<std::uint8_t> smallRgb(static_cast<std::size_t>(small.Width()) * 3);
    for (int y = 0; y < small.Height(); ++y)
        small.RowToRgb(y, smallRgb.data());
    TBitmap copy = small;
    if (copy.HasStorage())
        copy.MutableScanLine(0)[0] ^= 1;
    return 0;
}
