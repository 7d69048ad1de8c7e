// SPDX-License-Identifier: MIT
// BMP files built from header fields, for the reader's tests and as inputs of the run.
#pragma once

#include "imaging/Bitmap.h"

#include <cstdint>
#include <vector>

namespace kameola::test {

using Bytes = std::vector<std::uint8_t>;

// The fields BuildBmp writes; the defaults make a 1 × 1 24-bit file with no pixel bytes.
struct BmpHeader {
    char magic[2] = {'B', 'M'};
    std::uint32_t fileSize = 0;     // not read by the program
    std::uint32_t pixelOffset = 0;  // 0: the reader takes the pixels right after the table
    std::uint32_t headerSize = 40;  // 12 writes a core header
    std::int32_t width = 1;
    std::int32_t height = 1;
    std::uint16_t planes = 1;
    std::uint16_t bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t imageSize = 0;
    std::uint32_t coloursUsed = 0;
    std::vector<std::uint32_t> masks;  // after a 40-byte header, else inside the header
    std::vector<PaletteEntry> table;   // 4-byte entries, 3-byte for a core header
    Bytes gap;                         // between the table and the pixels
    Bytes pixels;
};

Bytes BuildBmp(const BmpHeader& header);

// A 24-bit bottom-up BMP of the given size, every pixel of one colour (0xRRGGBB), with
// its file size and pixel offset filled in.
Bytes SolidBmp(int width, int height, std::uint32_t rgb);

} // namespace kameola::test
