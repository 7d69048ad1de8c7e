// SPDX-License-Identifier: MIT
// Reading the orientation tag of an Exif block (a TIFF structure after "Exif\0\0").
#include "imaging/Exif.h"

#include <cstring>

namespace kameola::exif {
namespace {

constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kShortType = 3;
constexpr std::size_t kEntrySize = 12;

// Little- or big-endian reads within the TIFF block; every read is checked by the caller.
struct Tiff {
    const std::uint8_t* data;
    std::size_t size;
    bool little;

    bool Has(std::size_t offset, std::size_t count) const
    {
        return offset <= size && count <= size - offset;
    }
    std::uint16_t U16(std::size_t at) const
    {
        return little ? static_cast<std::uint16_t>(data[at] | data[at + 1] << 8)
                      : static_cast<std::uint16_t>(data[at] << 8 | data[at + 1]);
    }
    std::uint32_t U32(std::size_t at) const
    {
        return little ? static_cast<std::uint32_t>(U16(at)) | std::uint32_t{U16(at + 2)} << 16
                      : std::uint32_t{U16(at)} << 16 | U16(at + 2);
    }
};

constexpr std::uint8_t kSignature[6] = {'E', 'x', 'i', 'f', 0, 0};

} // namespace

bool IsExif(const std::uint8_t* payload, std::size_t size) noexcept
{
    return payload && size >= sizeof kSignature &&
           std::memcmp(payload, kSignature, sizeof kSignature) == 0;
}

int Orientation(const std::uint8_t* payload, std::size_t size) noexcept
{
    if (!IsExif(payload, size) || size < sizeof kSignature + 8)
        return 1;
    Tiff tiff{payload + sizeof kSignature, size - sizeof kSignature, true};
    if (tiff.data[0] == 'I' && tiff.data[1] == 'I')
        tiff.little = true;
    else if (tiff.data[0] == 'M' && tiff.data[1] == 'M')
        tiff.little = false;
    else
        return 1;
    if (tiff.U16(2) != 42)
        return 1;

    const std::size_t directory = tiff.U32(4);
    if (!tiff.Has(directory, 2))
        return 1;
    const std::size_t count = tiff.U16(directory);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = directory + 2 + i * kEntrySize;
        if (!tiff.Has(entry, kEntrySize))
            return 1;
        if (tiff.U16(entry) != kOrientationTag)
            continue;
        // One SHORT, held in the first two bytes of the value field.
        if (tiff.U16(entry + 2) != kShortType || tiff.U32(entry + 4) != 1)
            return 1;
        const int value = tiff.U16(entry + 8);
        return value >= 1 && value <= 8 ? value : 1;
    }
    return 1;
}

} // namespace kameola::exif
