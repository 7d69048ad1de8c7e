// SPDX-License-Identifier: MIT
// The orientation tag of an Exif block, read with every offset checked against its bounds.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kameola::exif {

// Bytes of an APP1 segment kept for reading the orientation: the tag sits in the first
// directory, which cameras write right after the TIFF header.
inline constexpr unsigned kSegmentBytesKept = 4096;

// Whether an APP1 payload is an Exif block: it starts with "Exif\0\0".
bool IsExif(const std::uint8_t* payload, std::size_t size) noexcept;

// The orientation (1..8) in the first directory of an APP1 payload that starts with
// "Exif\0\0"; 1 when the payload is not Exif, is cut short or holds no valid tag.
int Orientation(const std::uint8_t* payload, std::size_t size) noexcept;

} // namespace kameola::exif
