// SPDX-License-Identifier: MIT
// HEIF files for tests, written through libheif's encoder: stored pictures of four coloured
// quadrants with the depth, alpha, orientation, colour information and extra images asked.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kameola::test {

struct HeifShape {
    int Width = 32;
    int Height = 16;
    int BitDepth = 8;        // 8 or 10
    bool Grey = false;
    int Alpha = -1;          // -1: no alpha; else the alpha of every pixel (0..255)
    int Orientation = 1;     // 1..8, written as irot/imir boxes
    int ExifOrientation = 0; // an Exif block with this orientation; 0 for none
    std::vector<std::uint8_t> Icc = {};  // a "prof" colour profile; empty for none
    int Primaries = 0;       // nclx colour primaries and transfer; 0 for no nclx box
    int Transfer = 13;
    bool Thumbnail = false;  // a small thumbnail of another colour
    bool SecondImage = false;  // a second, larger top-level image after the primary
    int Quality = 95;        // the encoder's quality; 0 for lossless 4:4:4
};

// The 8-bit colour (0xRRGGBB) the stored picture has at (x, y): red top left, green top
// right, blue bottom left, yellow bottom right; grey pictures take the green value.
std::uint32_t QuadrantColor(int x, int y, int width, int height);

std::vector<std::uint8_t> MakeHeif(const HeifShape& shape);
void WriteHeif(const std::string& path, const HeifShape& shape);

// An RGB ICC profile (sRGB, built by lcms2) and a grey one.
std::vector<std::uint8_t> SrgbProfile();
std::vector<std::uint8_t> GreyProfile();

} // namespace kameola::test
