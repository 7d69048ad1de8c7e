// SPDX-License-Identifier: MIT
#include "tests/support/Jpeg.h"

#include <cstdlib>
#include <memory>

namespace kameola::test {
namespace {

// A compressor writing to memory; the bytes are taken when it is done.
class MemoryCompressor {
public:
    MemoryCompressor()
    {
        info.err = jpeg_std_error(&m_err);
        jpeg_create_compress(&info);
        jpeg_mem_dest(&info, &m_buffer, &m_size);
    }
    ~MemoryCompressor()
    {
        jpeg_destroy_compress(&info);
        std::free(m_buffer);
    }
    MemoryCompressor(const MemoryCompressor&) = delete;
    MemoryCompressor& operator=(const MemoryCompressor&) = delete;
    Bytes Written() const { return Bytes(m_buffer, m_buffer + m_size); }

    jpeg_compress_struct info{};

private:
    jpeg_error_mgr m_err{};
    unsigned char* m_buffer = nullptr;
    unsigned long m_size = 0;
};

// A decompressor over bytes in memory, its header read.
class MemoryDecompressor {
public:
    explicit MemoryDecompressor(const Bytes& stream)
    {
        info.err = jpeg_std_error(&m_err);
        jpeg_create_decompress(&info);
        jpeg_mem_src(&info, stream.data(), static_cast<unsigned long>(stream.size()));
        jpeg_read_header(&info, TRUE);
    }
    ~MemoryDecompressor() { jpeg_destroy_decompress(&info); }
    MemoryDecompressor(const MemoryDecompressor&) = delete;
    MemoryDecompressor& operator=(const MemoryDecompressor&) = delete;

    jpeg_decompress_struct info{};

private:
    jpeg_error_mgr m_err{};
};

} // namespace

Bytes EncodeStream(const StreamShape& shape, const PixelFn& pixel)
{
    MemoryCompressor codec;
    jpeg_compress_struct& info = codec.info;
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
    return codec.Written();
}

Bytes EncodeTablesOnly()
{
    MemoryCompressor codec;
    codec.info.input_components = 3;
    codec.info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&codec.info);
    jpeg_write_tables(&codec.info);
    return codec.Written();
}

PlainRgb DecodeRgb(const Bytes& stream)
{
    MemoryDecompressor codec(stream);
    jpeg_decompress_struct& info = codec.info;
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    PlainRgb out;
    out.Width = static_cast<int>(info.output_width);
    out.Height = static_cast<int>(info.output_height);
    const std::size_t stride = std::size_t{info.output_width} * 3;
    out.Samples.resize(stride * info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out.Samples.data() + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    return out;
}

std::vector<int> QuantTable(const Bytes& stream, int slot)
{
    MemoryDecompressor codec(stream);
    const JQUANT_TBL* table = codec.info.quant_tbl_ptrs[slot];
    if (!table)
        return {};
    return std::vector<int>(table->quantval, table->quantval + DCTSIZE2);
}

PixelFn PhotoLike(int components)
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

PixelFn Flat(std::vector<std::uint8_t> samples)
{
    return [samples](int, int, std::uint8_t* s) {
        for (std::size_t i = 0; i < samples.size(); ++i)
            s[i] = samples[i];
    };
}

Bytes MarkerSequence(const Bytes& b)
{
    Bytes markers;
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

std::size_t FindSegment(const Bytes& b, std::uint8_t marker)
{
    for (std::size_t i = 0; i + 1 < b.size(); ++i)
        if (b[i] == 0xFF && b[i + 1] == marker)
            return i;
    return std::string::npos;
}

Bytes RowBytes(const TBitmap& picture, int y)
{
    const std::size_t n =
        (static_cast<std::size_t>(picture.Width()) * BitsPerPixel(picture.Format()) + 7) / 8;
    const std::uint8_t* p = picture.ScanLine(y);
    return {p, p + n};
}

Bytes IccProfileBytes(const char (&space)[5], std::size_t length)
{
    Bytes profile(length);
    for (std::size_t i = 0; i < length; ++i)
        profile[i] = static_cast<std::uint8_t>(i * 7);
    for (int k = 0; k < 4; ++k) {
        profile[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(length >> (24 - 8 * k));
        profile[16 + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(space[k]);
    }
    return profile;
}

} // namespace kameola::test
