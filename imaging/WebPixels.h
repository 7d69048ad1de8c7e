// SPDX-License-Identifier: MIT
// Pixel rules shared by the readers of browser-shown formats.
#pragma once

#include "imaging/PictureReader.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kameola::web {

// A 16-bit sample as 8 bits: v × 255 / 65535, rounded.
constexpr std::uint8_t Scale16(std::uint32_t v)
{
    return static_cast<std::uint8_t>((v * 255 + 32767) / 65535);
}

// A sample with alpha a laid over white: (c × a + 255 × (255 − a)) / 255, rounded.
constexpr std::uint8_t OverWhite(std::uint32_t c, std::uint32_t a)
{
    return static_cast<std::uint8_t>((c * a + 255 * (255 - a) + 127) / 255);
}

// Red, green, blue (and alpha when channels is 4) samples of width pixels, each 1 byte or,
// with wide, 2 bytes big-endian, into a 24-bit row (blue, green, red) laid over white.
void ToBgrRow(const std::uint8_t* samples, int width, int channels, bool wide, std::uint8_t* bgr);

// Raises EOutOfResources when a 24-bit picture of this size would pass the storage limit,
// and EPictureError when a side is 0 or over 2^31 − 1.
void CheckSize(const std::string& format, std::uint64_t width, std::uint64_t height);

// The bytes of a 24-bit picture of this size; the size must have passed CheckSize.
std::size_t PictureBytes(int width, int height);

// Calls reserve, when given, with bytes.
void Reserve(const ReserveMemory& reserve, std::size_t bytes);

// The profile when it describes RGB data, else empty.
std::vector<std::uint8_t> RgbProfile(const std::uint8_t* data, std::size_t size);

} // namespace kameola::web
