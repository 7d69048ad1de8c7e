// SPDX-License-Identifier: MIT
// Which colour profiles of a source are carried into its JPEG outputs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace kameola::icc {

// Whether the profile's header is whole, gives the profile's own length and names RGB as
// the colour space of the data it describes: only such a profile fits the 24-bit outputs.
inline bool IsRgbProfile(const std::uint8_t* data, std::size_t length)
{
    constexpr std::size_t kHeaderBytes = 128;
    if (data == nullptr || length < kHeaderBytes + 4)
        return false;
    const std::size_t declared = (std::size_t{data[0]} << 24) | (std::size_t{data[1]} << 16) |
                                 (std::size_t{data[2]} << 8) | std::size_t{data[3]};
    return declared == length && std::memcmp(data + 16, "RGB ", 4) == 0;
}

} // namespace kameola::icc
