// SPDX-License-Identifier: MIT
// ICC colour profiles carried into JPEG outputs: checked, or built from primaries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kameola::icc {

// Whether the profile's header is whole, gives the profile's own length and names RGB as
// the colour space of the data it describes.
bool IsRgbProfile(const std::uint8_t* data, std::size_t length) noexcept;

// Chromaticities (x, y) of the red, green and blue primaries and of the white point.
struct Primaries {
    double RedX, RedY, GreenX, GreenY, BlueX, BlueY, WhiteX, WhiteY;
};

// How encoded values turn into light.
enum class Transfer { Srgb, Gamma22, Gamma28, Linear };

// An RGB display profile for those primaries and that transfer (the pixels stay as they
// are); empty when the primaries describe no valid colour space.
std::vector<std::uint8_t> BuildRgbProfile(const Primaries& primaries, Transfer transfer);

} // namespace kameola::icc
