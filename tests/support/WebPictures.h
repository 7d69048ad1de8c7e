// SPDX-License-Identifier: MIT
// PNG, WebP, GIF and AVIF/HEIF files made in memory through the formats' own encoders, with
// the chunks and boxes the readers look at.
#pragma once

#include <cstdint>
#include <vector>

namespace kameola::test {

using Bytes = std::vector<std::uint8_t>;

// Red, green, blue, alpha.
struct Rgba {
    std::uint8_t R = 0, G = 0, B = 0, A = 255;
};

// A picture of width × height pixels, row by row.
struct RgbaPicture {
    int Width = 0;
    int Height = 0;
    std::vector<Rgba> Pixels;
    const Rgba& At(int x, int y) const { return Pixels[static_cast<std::size_t>(y * Width + x)]; }
};

// width × height pixels of one colour, one pixel (x, y) set apart.
RgbaPicture Plain(int width, int height, Rgba colour);
// Left half, right half: a turn or a mirror shows where the halves went.
RgbaPicture Halves(int width, int height, Rgba left, Rgba right);

// A profile of 256 bytes that libpng accepts: a whole header for data of this colour space
// ("RGB " or "GRAY"), no tags, patterned bytes after.
Bytes SmallIccProfile(const char (&space)[5]);
// A big-endian TIFF block holding one orientation tag, as PNG's eXIf chunk holds it.
Bytes TiffOrientationBlock(int orientation);

struct PngShape {
    int Width = 1;
    int Height = 1;
    int ColorType = 2;   // libpng's PNG_COLOR_TYPE_*
    int BitDepth = 8;
    Bytes Samples;       // packed rows as PNG stores them (16-bit samples big-endian)
    std::vector<Rgba> Palette;  // palette pictures; alpha below 255 goes into tRNS
    bool Interlaced = false;
    Bytes Exif;          // eXIf chunk, written before the image data
    bool ExifAfterData = false;  // or after it
    Bytes Icc;           // iCCP chunk
};
Bytes EncodePng(const PngShape& shape);
// 8-bit RGBA (colour type 6) samples of a picture.
Bytes RgbaSamples(const RgbaPicture& picture);

// A lossless still WebP with optional EXIF and ICCP chunks.
Bytes EncodeWebp(const RgbaPicture& picture, const Bytes& exif = {}, const Bytes& icc = {});
// A lossless animation, one frame per picture, all of the canvas's size.
Bytes EncodeAnimatedWebp(const std::vector<RgbaPicture>& frames);

struct GifFrame {
    int Left = 0, Top = 0;
    int Width = 1, Height = 1;
    std::vector<std::uint8_t> Indexes;  // Width × Height colour indexes, row by row
    int Transparent = -1;
    bool Interlaced = false;
};
// A GIF with a global colour table (when any colours are given) and the frames in order.
Bytes EncodeGif(int screenWidth, int screenHeight, const std::vector<Rgba>& colours,
                const std::vector<GifFrame>& frames);

struct HeifEncoding {
    bool Avif = true;        // AV1; else HEVC
    int Orientation = 1;     // written as irot/imir boxes
    bool Grey = false;       // a monochrome picture of the red channel
    bool Alpha = false;
    int BitDepth = 8;        // 8 or 10
    Bytes Icc;
};
Bytes EncodeHeifPicture(const RgbaPicture& picture, const HeifEncoding& shape);

} // namespace kameola::test
