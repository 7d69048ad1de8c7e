// Test inputs for the JPEG tests: streams encoded with libjpeg directly, and picture helpers.
#pragma once

#include "imaging/Bitmap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace kameola::jpegtest {

// An ICC profile of the given length: a header naming its length and the colour space of
// the data it describes ("RGB ", "CMYK", "GRAY"), then patterned bytes.
inline std::vector<std::uint8_t> IccProfileBytes(const char (&space)[5], std::size_t length)
{
    std::vector<std::uint8_t> profile(length);
    for (std::size_t i = 0; i < length; ++i)
        profile[i] = static_cast<std::uint8_t>(i * 7);
    for (int k = 0; k < 4; ++k) {
        profile[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(length >> (24 - 8 * k));
        profile[16 + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(space[k]);
    }
    return profile;
}

struct StreamShape {
    int Width = 16;
    int Height = 16;
    int Components = 3;              // 1 grey, 3 RGB, 4 CMYK
    J_COLOR_SPACE Stored = JCS_UNKNOWN;  // colour space in the file; the default when unknown
    int LumaH = 2, LumaV = 2;        // sampling of the first component (2, 2 is 4:2:0)
    bool Progressive = false;
    int RestartRows = 0;
    int Quality = 90;
    bool AdobeMarker = true;         // for four-component streams
};

// Samples of pixel (x, y), Components bytes in the input colour space's order.
using PixelFn = std::function<void(int x, int y, std::uint8_t* samples)>;

inline std::vector<std::uint8_t> EncodeStream(const StreamShape& shape, const PixelFn& pixel)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr err{};
    info.err = jpeg_std_error(&err);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(shape.Width);
    info.image_height = static_cast<JDIMENSION>(shape.Height);
    info.input_components = shape.Components;
    info.in_color_space =
        shape.Components == 1 ? JCS_GRAYSCALE : shape.Components == 4 ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&info);
    if (shape.Stored != JCS_UNKNOWN)
        jpeg_set_colorspace(&info, shape.Stored);
    if (shape.Components == 4)
        info.write_Adobe_marker = shape.AdobeMarker ? TRUE : FALSE;
    jpeg_set_quality(&info, shape.Quality, TRUE);
    info.comp_info[0].h_samp_factor = shape.LumaH;
    info.comp_info[0].v_samp_factor = shape.LumaV;
    info.restart_in_rows = shape.RestartRows;
    if (shape.Progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(shape.Width * shape.Components));
    for (int y = 0; y < shape.Height; ++y) {
        for (int x = 0; x < shape.Width; ++x)
            pixel(x, y, row.data() + x * shape.Components);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<std::uint8_t> bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}

// Smooth gradients, a hash-based grain and hard edges, so every block carries detail.
inline PixelFn PhotoLike(int components)
{
    return [components](int x, int y, std::uint8_t* s) {
        std::uint32_t h = static_cast<std::uint32_t>(x) * 73856093u ^
                          static_cast<std::uint32_t>(y) * 19349663u;
        h ^= h >> 13;
        h *= 0x5bd1e995u;
        const int grain = static_cast<int>(h >> 27) - 16;
        const bool edge = ((x / 37) + (y / 29)) % 3 == 0;
        for (int c = 0; c < components; ++c) {
            int v = (x * (c + 1) * 3 + y * (5 - c) * 2) % 256 + grain + (edge ? 60 : 0);
            s[c] = static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
        }
    };
}

inline PixelFn Flat(std::vector<std::uint8_t> samples)
{
    return [samples](int, int, std::uint8_t* s) {
        for (std::size_t i = 0; i < samples.size(); ++i)
            s[i] = samples[i];
    };
}

// The marker codes of a stream's segments in order, from SOI up to EOI (scan data skipped).
inline std::vector<std::uint8_t> MarkerSequence(const std::vector<std::uint8_t>& b)
{
    std::vector<std::uint8_t> markers;
    std::size_t i = 0;
    while (i + 1 < b.size()) {
        if (b[i] != 0xFF || b[i + 1] == 0x00 || b[i + 1] == 0xFF ||
            (b[i + 1] >= 0xD0 && b[i + 1] <= 0xD7)) {
            ++i;  // entropy-coded data, stuffed bytes, fill bytes, restart markers
            continue;
        }
        const std::uint8_t m = b[i + 1];
        markers.push_back(m);
        if (m == 0xD8 || m == 0xD9) {
            i += 2;
            continue;
        }
        if (i + 3 >= b.size())
            break;
        i += 2 + ((b[i + 2] << 8) | b[i + 3]);
    }
    return markers;
}

// The offset of the first segment with this marker, or npos.
inline std::size_t FindSegment(const std::vector<std::uint8_t>& b, std::uint8_t marker)
{
    for (std::size_t i = 0; i + 1 < b.size(); ++i)
        if (b[i] == 0xFF && b[i + 1] == marker)
            return i;
    return std::string::npos;
}

// Pixel bytes of row y (without padding).
inline std::vector<std::uint8_t> RowBytes(const TBitmap& picture, int y)
{
    const std::size_t n =
        (static_cast<std::size_t>(picture.Width()) * BitsPerPixel(picture.Format()) + 7) / 8;
    const std::uint8_t* p = picture.ScanLine(y);
    return {p, p + n};
}

inline std::string TempPath(const std::string& name)
{
    return std::string(::testing::TempDir()) + name;
}

} // namespace kameola::jpegtest
