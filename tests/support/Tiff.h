// SPDX-License-Identifier: MIT
// TIFF files for tests, written through libtiff: the quadrant picture of Heif.h at the
// depth, samples, orientation tag and profile asked.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kameola::test {

struct TiffShape {
    int Width = 32;
    int Height = 16;
    int Bits = 8;            // 8, 16, or another depth written as is (12)
    int Samples = 3;         // 1 grey, 3 RGB, 4 RGB with alpha
    bool Cmyk = false;       // four samples as CMYK ink
    bool Associated = false; // alpha premultiplied
    int Alpha = 255;         // the alpha of every pixel, 0..255 (scaled to the depth)
    int Orientation = 0;     // the Orientation tag; 0 for none
    bool Tiled = false;      // 16 × 16 tiles instead of strips
    std::vector<std::uint8_t> Icc = {};  // tag 34675; empty for none
    int Pages = 1;           // further pages are grey
    // 16 bits: every sample takes this value instead of the quadrants; -1 for none.
    int Value16 = -1;
};

void WriteTiff(const std::string& path, const TiffShape& shape);

// Rewrites the first page's width and height tags, its pixels left as they are.
void DeclareTiffSize(const std::string& path, std::uint32_t width, std::uint32_t height);

} // namespace kameola::test
