// SPDX-License-Identifier: MIT
// The orientation and the date taken in an Exif block, read with every offset checked
// against its bounds.
#pragma once

#include "imaging/DateTaken.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace kameola::exif {

// Bytes of an APP1 segment kept for reading the orientation: the tag sits in the first
// directory, which cameras write right after the TIFF header.
inline constexpr unsigned kSegmentBytesKept = 4096;

// Whether an APP1 payload is an Exif block: it starts with "Exif\0\0".
bool IsExif(const std::uint8_t* payload, std::size_t size) noexcept;

// The orientation (1..8) in the first directory of an APP1 payload that starts with
// "Exif\0\0"; 1 when the payload is not Exif, is cut short or holds no valid tag.
int Orientation(const std::uint8_t* payload, std::size_t size) noexcept;

// The orientation of a bare TIFF block (from its "II" or "MM" byte order on), as PNG's
// eXIf chunk holds it; 1 as above.
int TiffOrientation(const std::uint8_t* block, std::size_t size) noexcept;

// The orientation of an Exif block with or without the "Exif\0\0" signature, as WebP's
// EXIF chunk holds it in either form; 1 as above.
int BlockOrientation(const std::uint8_t* block, std::size_t size) noexcept;

// The date taken (DateTimeOriginal, with OffsetTimeOriginal when it is there) of a TIFF
// structure: the payload of an APP1 segment after "Exif\0\0", or a HEIF file's Exif item
// after its offset field. None when there is no valid date.
std::optional<DateTaken> DateTakenIn(const std::uint8_t* tiff, std::size_t size) noexcept;

} // namespace kameola::exif
