// SPDX-License-Identifier: MIT
// JPEG streams made and read with libjpeg directly, independently of TJPEGImage, and
// looks at a stream's segments.
#pragma once

#include "imaging/Bitmap.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>
#include <jpeglib.h>

namespace kameola::test {

using Bytes = std::vector<std::uint8_t>;

struct StreamShape {
    int Width = 16;
    int Height = 16;
    int Components = 3;                  // 1 grey, 3 RGB, 4 CMYK
    J_COLOR_SPACE Stored = JCS_UNKNOWN;  // colour space in the file; the default when unknown
    int LumaH = 2, LumaV = 2;            // sampling of the first component (2, 2 is 4:2:0)
    bool Progressive = false;
    int RestartRows = 0;
    int Quality = 90;
    bool AdobeMarker = true;             // for four-component streams
};

// Samples of pixel (x, y), Components bytes in the input colour space's order.
using PixelFn = std::function<void(int x, int y, std::uint8_t* samples)>;

Bytes EncodeStream(const StreamShape& shape, const PixelFn& pixel);
// Tables only, as jpeg_write_tables makes them for an RGB stream.
Bytes EncodeTablesOnly();

// A stream decoded to RGB, width × 3 bytes a row.
struct PlainRgb {
    int Width = 0;
    int Height = 0;
    Bytes Samples;
};
PlainRgb DecodeRgb(const Bytes& stream);
// Quantisation table `slot` in natural order (64 values), empty when the stream has none.
std::vector<int> QuantTable(const Bytes& stream, int slot);

// Smooth gradients, a hash-based grain and hard edges, so every block carries detail.
PixelFn PhotoLike(int components);
PixelFn Flat(std::vector<std::uint8_t> samples);

// The marker codes of a stream's segments in order, from SOI up to EOI (scan data skipped).
Bytes MarkerSequence(const Bytes& stream);
// The offset of the first segment with this marker, or npos.
std::size_t FindSegment(const Bytes& stream, std::uint8_t marker);

// An ICC profile of the given length: a header naming its length and the colour space of
// the data it describes ("RGB ", "CMYK", "GRAY"), then patterned bytes.
Bytes IccProfileBytes(const char (&space)[5], std::size_t length);

// Pixel bytes of row y (without padding).
Bytes RowBytes(const TBitmap& picture, int y);

} // namespace kameola::test
