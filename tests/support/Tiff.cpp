// SPDX-License-Identifier: MIT
// TIFF test files through libtiff.
#include "tests/support/Tiff.h"

#include "tests/support/Heif.h"

#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace kameola::test {
namespace {

void Tags(TIFF* tif, const TiffShape& shape, bool firstPage)
{
    const int samples = firstPage ? shape.Samples : 1;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(shape.Width));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(shape.Height));
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, static_cast<std::uint16_t>(shape.Bits));
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, static_cast<std::uint16_t>(samples));
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC,
                 samples == 1 ? PHOTOMETRIC_MINISBLACK
                 : shape.Cmyk  ? PHOTOMETRIC_SEPARATED
                              : PHOTOMETRIC_RGB);
    if (samples == 4 && !shape.Cmyk) {
        const std::uint16_t extra = shape.Associated ? EXTRASAMPLE_ASSOCALPHA : EXTRASAMPLE_UNASSALPHA;
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
    }
    if (shape.Orientation)
        TIFFSetField(tif, TIFFTAG_ORIENTATION, static_cast<std::uint16_t>(shape.Orientation));
    if (firstPage && !shape.Icc.empty())
        TIFFSetField(tif, TIFFTAG_ICCPROFILE, static_cast<std::uint32_t>(shape.Icc.size()),
                     shape.Icc.data());
    if (shape.Tiled) {
        TIFFSetField(tif, TIFFTAG_TILEWIDTH, 16u);
        TIFFSetField(tif, TIFFTAG_TILELENGTH, 16u);
    } else {
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 4u);
    }
}

// One sample of pixel (x, y) at the page's depth.
unsigned Sample(const TiffShape& shape, int x, int y, int s, int samples)
{
    const unsigned max = (1u << shape.Bits) - 1;
    if (shape.Value16 >= 0)
        return static_cast<unsigned>(shape.Value16);
    const std::uint32_t rgb = QuadrantColor(x, y, shape.Width, shape.Height);
    unsigned v = samples == 1 ? (rgb >> 8) & 0xFF : s < 3 ? (rgb >> (16 - 8 * s)) & 0xFF : shape.Alpha;
    if (shape.Cmyk)
        v = s < 3 ? 255 - v : 0;
    else if (s < 3 && samples == 4 && shape.Associated)
        v = v * shape.Alpha / 255;
    return v * max / 255;
}

// The page's pixels, packed at its depth (most significant bit first).
std::vector<std::uint8_t> Pixels(const TiffShape& shape, int samples)
{
    const std::size_t rowBits = static_cast<std::size_t>(shape.Width) * samples * shape.Bits;
    std::vector<std::uint8_t> bytes((rowBits + 7) / 8 * shape.Height);
    for (int y = 0; y < shape.Height; ++y) {
        std::size_t bit = (rowBits + 7) / 8 * 8 * y;
        for (int x = 0; x < shape.Width; ++x) {
            for (int s = 0; s < samples; ++s) {
                const unsigned v = Sample(shape, x, y, s, samples);
                if (shape.Bits == 16) {
                    std::uint16_t word = static_cast<std::uint16_t>(v);
                    std::memcpy(&bytes[bit / 8], &word, 2);  // native order, as libtiff expects
                } else {
                    for (int b = shape.Bits - 1; b >= 0; --b, ++bit)
                        if ((v >> b) & 1)
                            bytes[bit / 8] |= static_cast<std::uint8_t>(0x80 >> (bit % 8));
                    continue;
                }
                bit += 16;
            }
        }
    }
    return bytes;
}

void WritePage(TIFF* tif, const TiffShape& shape, int samples)
{
    std::vector<std::uint8_t> pixels = Pixels(shape, samples);
    const std::size_t row = pixels.size() / shape.Height;
    if (!shape.Tiled) {
        for (int y = 0; y < shape.Height; ++y)
            if (TIFFWriteScanline(tif, pixels.data() + row * y, static_cast<std::uint32_t>(y), 0) < 0)
                throw std::runtime_error("libtiff: cannot write a row");
        return;
    }
    const std::size_t pixel = row / shape.Width;  // whole bytes per pixel for tiled pages
    std::vector<std::uint8_t> tile(static_cast<std::size_t>(TIFFTileSize(tif)));
    for (int ty = 0; ty < shape.Height; ty += 16) {
        for (int tx = 0; tx < shape.Width; tx += 16) {
            std::fill(tile.begin(), tile.end(), 0);
            for (int y = ty; y < std::min(ty + 16, shape.Height); ++y)
                for (int x = tx; x < std::min(tx + 16, shape.Width); ++x)
                    std::memcpy(&tile[((y - ty) * 16 + (x - tx)) * pixel], &pixels[y * row + x * pixel], pixel);
            TIFFWriteTile(tif, tile.data(), static_cast<std::uint32_t>(tx), static_cast<std::uint32_t>(ty), 0, 0);
        }
    }
}

} // namespace

void WriteTiff(const std::string& path, const TiffShape& shape)
{
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    if (!tif)
        throw std::runtime_error("libtiff: cannot create " + path);
    for (int page = 0; page < shape.Pages; ++page) {
        Tags(tif, shape, page == 0);
        WritePage(tif, shape, page == 0 ? shape.Samples : 1);
        TIFFWriteDirectory(tif);
    }
    TIFFClose(tif);
}

void DeclareTiffSize(const std::string& path, std::uint32_t width, std::uint32_t height)
{
    TIFF* tif = TIFFOpen(path.c_str(), "r+");
    if (!tif)
        throw std::runtime_error("libtiff: cannot open " + path);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
    TIFFRewriteDirectory(tif);
    TIFFClose(tif);
}

} // namespace kameola::test
