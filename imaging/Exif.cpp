// SPDX-License-Identifier: MIT
// Reading tags of an Exif block (a TIFF structure, after "Exif\0\0" in a JPEG file).
#include "imaging/detail/Exif.h"

#include <cstring>
#include <string_view>

namespace kameola::exif {
namespace {

constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kExifDirectoryTag = 0x8769;
constexpr std::uint16_t kDateTimeOriginalTag = 0x9003;
constexpr std::uint16_t kOffsetTimeOriginalTag = 0x9011;
constexpr std::uint16_t kShortType = 3;
constexpr std::uint16_t kAsciiType = 2;
constexpr std::uint16_t kLongType = 4;
constexpr std::uint16_t kDirectoryType = 13;
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

// The block with its byte order, when it starts with a valid TIFF header.
std::optional<Tiff> OpenTiff(const std::uint8_t* data, std::size_t size)
{
    if (!data || size < 8)
        return std::nullopt;
    Tiff tiff{data, size, true};
    if (data[0] == 'M' && data[1] == 'M')
        tiff.little = false;
    else if (data[0] != 'I' || data[1] != 'I')
        return std::nullopt;
    if (tiff.U16(2) != 42)
        return std::nullopt;
    return tiff;
}

// The offset of the entry with the tag in the directory at the given offset; none when
// the directory has no such entry or is cut short before it.
std::optional<std::size_t> FindEntry(const Tiff& tiff, std::size_t directory, std::uint16_t tag)
{
    if (!tiff.Has(directory, 2))
        return std::nullopt;
    const std::size_t count = tiff.U16(directory);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = directory + 2 + i * kEntrySize;
        if (!tiff.Has(entry, kEntrySize))
            return std::nullopt;
        if (tiff.U16(entry) == tag)
            return entry;
    }
    return std::nullopt;
}

// The text of an ASCII entry, up to its first zero byte; empty when the entry is of
// another type or its value lies outside the block.
std::string_view AsciiValue(const Tiff& tiff, std::optional<std::size_t> entry)
{
    if (!entry || tiff.U16(*entry + 2) != kAsciiType)
        return {};
    const std::size_t count = tiff.U32(*entry + 4);
    const std::size_t at = count <= 4 ? *entry + 8 : tiff.U32(*entry + 8);
    if (!tiff.Has(at, count))
        return {};
    const std::string_view text(reinterpret_cast<const char*>(tiff.data + at), count);
    return text.substr(0, text.find('\0'));
}

constexpr std::uint8_t kSignature[6] = {'E', 'x', 'i', 'f', 0, 0};

} // namespace

bool IsExif(const std::uint8_t* payload, std::size_t size) noexcept
{
    return payload && size >= sizeof kSignature &&
           std::memcmp(payload, kSignature, sizeof kSignature) == 0;
}

int Orientation(const std::uint8_t* payload, std::size_t size) noexcept
{
    if (!IsExif(payload, size))
        return 1;
    return TiffOrientation(payload + sizeof kSignature, size - sizeof kSignature);
}

int BlockOrientation(const std::uint8_t* block, std::size_t size) noexcept
{
    return IsExif(block, size) ? Orientation(block, size) : TiffOrientation(block, size);
}

int TiffOrientation(const std::uint8_t* block, std::size_t size) noexcept
{
    const std::optional<Tiff> tiff = OpenTiff(block, size);
    if (!tiff)
        return 1;
    const std::optional<std::size_t> entry = FindEntry(*tiff, tiff->U32(4), kOrientationTag);
    // One SHORT, held in the first two bytes of the value field.
    if (!entry || tiff->U16(*entry + 2) != kShortType || tiff->U32(*entry + 4) != 1)
        return 1;
    const int value = tiff->U16(*entry + 8);
    return value >= 1 && value <= 8 ? value : 1;
}

std::optional<DateTaken> DateTakenIn(const std::uint8_t* data, std::size_t size) noexcept
{
    const std::optional<Tiff> tiff = OpenTiff(data, size);
    if (!tiff)
        return std::nullopt;
    const std::optional<std::size_t> link = FindEntry(*tiff, tiff->U32(4), kExifDirectoryTag);
    if (!link || tiff->U32(*link + 4) != 1)
        return std::nullopt;
    const std::uint16_t type = tiff->U16(*link + 2);
    if (type != kLongType && type != kDirectoryType)
        return std::nullopt;
    const std::size_t directory = tiff->U32(*link + 8);
    return ParseExifDate(AsciiValue(*tiff, FindEntry(*tiff, directory, kDateTimeOriginalTag)),
                         AsciiValue(*tiff, FindEntry(*tiff, directory, kOffsetTimeOriginalTag)));
}

} // namespace kameola::exif
