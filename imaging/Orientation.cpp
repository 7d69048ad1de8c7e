// SPDX-License-Identifier: MIT
// Turning and mirroring a picture upright for an Exif orientation.
#include "imaging/Orientation.h"

#include "imaging/PixelOps.h"

#include <cstring>

namespace kameola {

using namespace pixel;

bool SwapsSides(int orientation)
{
    return orientation >= 5 && orientation <= 8;
}

TBitmap OrientUpright(const TBitmap& picture, int orientation)
{
    if (orientation < 2 || orientation > 8 || !picture.HasStorage())
        return picture;
    const int w = picture.Width(), h = picture.Height();
    const bool swap = SwapsSides(orientation);
    const int outW = swap ? h : w, outH = swap ? w : h;
    TBitmap result;
    result.Create(picture.Format(), outW, outH, picture.Palette(), picture.Masks());

    // The stored pixel shown at upright position (x, y).
    auto source = [&](int x, int y, int& sx, int& sy) {
        switch (orientation) {
        case 2: sx = w - 1 - x; sy = y; break;
        case 3: sx = w - 1 - x; sy = h - 1 - y; break;
        case 4: sx = x; sy = h - 1 - y; break;
        case 5: sx = y; sy = x; break;
        case 6: sx = y; sy = h - 1 - x; break;
        case 7: sx = w - 1 - y; sy = h - 1 - x; break;
        default: sx = w - 1 - y; sy = x; break;  // 8
        }
    };
    const int bits = BitsPerPixel(picture.Format());
    const std::size_t bytes = static_cast<std::size_t>(bits / 8);
    for (int y = 0; y < outH; ++y) {
        std::uint8_t* to = result.MutableScanLine(y);
        for (int x = 0; x < outW; ++x) {
            int sx = 0, sy = 0;
            source(x, y, sx, sy);
            const std::uint8_t* from = picture.ScanLine(sy);
            if (bits < 8)
                SetIndex(to, x, bits, IndexAt(from, sx, bits));
            else
                std::memcpy(to + static_cast<std::size_t>(x) * bytes,
                            from + static_cast<std::size_t>(sx) * bytes, bytes);
        }
    }
    return result;
}

} // namespace kameola
