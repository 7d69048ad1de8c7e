// SPDX-License-Identifier: MIT
// Reading a test file through a picture reader, and looking at the result's pixels.
#pragma once

#include "imaging/Bitmap.h"
#include "imaging/PictureReader.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kameola::test {

// What a reader makes of a file: the upright size it reports, the decoded picture and the
// colour profile the outputs would carry.
struct ReadPicture {
    int Width = 0;
    int Height = 0;
    TBitmap Picture;
    std::vector<std::uint8_t> Icc;
};

// Opens and decodes the file; raises what the reader raises.
ReadPicture ReadWith(const PictureReader& reader, const std::string& path);

// The colour (0xRRGGBB) of a pixel of a 24-bit picture.
std::uint32_t RgbAt(const TBitmap& picture, int x, int y);

// Whether every channel of the two colours differs by at most tolerance.
bool NearColor(std::uint32_t a, std::uint32_t b, int tolerance);

// A 24-bit picture of the four quadrants of QuadrantColor (tests/support/Heif.h).
TBitmap QuadrantPicture(int width, int height);

// The colours at the centres of the picture's four quadrants, as text for comparing with
// an expected picture within tolerance: "" when all match, else what differs.
std::string QuadrantsDiffer(const TBitmap& picture, const TBitmap& expected, int tolerance);

} // namespace kameola::test
