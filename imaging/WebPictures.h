// SPDX-License-Identifier: MIT
// Readers of the pictures browsers show themselves (PNG, WebP, GIF, AVIF), for small images.
// Each gives a 24-bit picture with alpha laid over white, grey as three equal channels and
// samples of more than 8 bits scaled to 8 (v × 255 / 65535, rounded), together with the
// orientation that shows it upright and its RGB colour profile.
#pragma once

#include "imaging/Bitmap.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace kameola {

enum class WebFormat { Png, Webp, Gif, Avif };

struct DecodedPicture {
    TBitmap Picture;                        // 24-bit, as stored
    int Orientation = 1;                    // Exif orientation (1..8) that turns it upright
    std::vector<std::uint8_t> IccProfile;   // empty unless the file holds an RGB profile
};

// Called once the header is read and its size checked against PictureStorageLimit(), with
// the bytes the decoder needs at its peak, before any of them is allocated; it may wait
// or raise.
using ReserveMemory = std::function<void(std::size_t bytes)>;

// Each reads a whole file held in memory. A damaged, cut-short or unsupported file raises
// EPictureError naming the format and the decoder's reason ("PNG エラー (...)"); a size
// over the storage limit raises EOutOfResources.
//
// PNG: the eXIf chunk's orientation, the iCCP profile.
DecodedPicture DecodePng(const std::uint8_t* data, std::size_t size, const ReserveMemory& reserve = {});
// WebP: the EXIF chunk's orientation, the ICCP profile; of an animation its first frame.
DecodedPicture DecodeWebp(const std::uint8_t* data, std::size_t size, const ReserveMemory& reserve = {});
// GIF: the first frame drawn on the logical screen (enlarged to hold that frame) over white.
DecodedPicture DecodeGif(const std::uint8_t* data, std::size_t size, const ReserveMemory& reserve = {});
// AVIF: the primary image with its rotation and mirroring applied (orientation 1), the ICC
// profile of its colour box.
DecodedPicture DecodeAvif(const std::uint8_t* data, std::size_t size, const ReserveMemory& reserve = {});

// The reader of the format.
DecodedPicture DecodeWebPicture(WebFormat format, const std::uint8_t* data, std::size_t size,
                                const ReserveMemory& reserve = {});

} // namespace kameola
