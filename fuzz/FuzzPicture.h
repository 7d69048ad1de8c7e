// SPDX-License-Identifier: MIT
// The body shared by the fuzz targets of the browser-shown formats: decode, then turn the
// picture upright and stretch it as a small image is made.
#pragma once

#include "common/Errors.h"
#include "imaging/Bitmap.h"
#include "imaging/Orientation.h"
#include "imaging/WebPictures.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace kameola::fuzz {

// Small enough that a lying header cannot slow the run down with huge pictures.
inline void LimitPictures() { SetPictureStorageLimit(std::size_t{8} << 20); }

template <class Decode>
int DecodeOne(Decode decode, const std::uint8_t* data, std::size_t size)
{
    std::size_t reserved = 0;
    DecodedPicture decoded;
    try {
        decoded = decode(data, size, [&](std::size_t bytes) { reserved = bytes; });
    } catch (const EPictureError&) {
        return 0;
    } catch (const EOutOfResources&) {
        return 0;
    }
    // Any other exception escapes and is reported as a crash.
    const TBitmap& picture = decoded.Picture;
    if (picture.Format() != PixelFormat::pf24bit || !picture.HasStorage() ||
        reserved < picture.Stride() * static_cast<std::size_t>(picture.Height()) ||
        decoded.Orientation < 1 || decoded.Orientation > 8)
        std::abort();
    const int w = size > 0 ? 1 + data[size - 1] % 40 : 3;
    const int h = size > 1 ? 1 + data[size - 2] % 40 : 5;
    const TBitmap small = OrientUpright(StretchPicture(picture, w, h), decoded.Orientation);
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(small.Width()) * 3);
    for (int y = 0; y < small.Height(); ++y)
        small.RowToRgb(y, rgb.data());
    return 0;
}

} // namespace kameola::fuzz
