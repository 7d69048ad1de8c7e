// SPDX-License-Identifier: MIT
// Pixel-level helpers shared by the picture model, the BMP reader and stretching.
#pragma once

#include "imaging/Bitmap.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace kameola::pixel {

// Colour table entries a picture keeps at most.
inline constexpr std::size_t kPaletteCap = 256;

// Bytes per row of pixels of the given depth: whole 32-bit words. Below 2^34 for any width
// below 2^31.
inline constexpr std::uint64_t PaddedStride(std::uint64_t width, unsigned bitsPerPixel)
{
    return (width * bitsPerPixel + 31) / 32 * 4;
}

// One colour channel of a masked 16- or 32-bit pixel.
class Channel {
public:
    explicit Channel(std::uint32_t mask)
        : m_mask(mask), m_shift(mask ? std::countr_zero(mask) : 0),
          m_bits(mask ? std::bit_width(mask >> m_shift) : 0)
    {
        if (m_bits > 0 && m_bits <= 8) {
            const unsigned count = 1u << m_bits;
            for (unsigned v = 0; v < count; ++v)
                m_widen[v] = Replicate(v, m_bits);
        }
    }

    // The channel of a pixel as 0..255: full scale gives 255.
    std::uint8_t Widen(std::uint32_t pixel) const
    {
        const std::uint32_t v = (pixel & m_mask) >> m_shift;
        if (m_bits <= 8)
            return m_bits ? m_widen[v] : 0;
        return static_cast<std::uint8_t>(v >> (m_bits - 8));
    }

    // A 0..255 value in the channel's place, rounded to the nearest step.
    std::uint32_t Narrow(std::uint8_t value) const
    {
        if (!m_bits)
            return 0;
        const std::uint64_t top = (std::uint64_t{1} << m_bits) - 1;
        const std::uint64_t v = (value * top + 127) / 255;
        return static_cast<std::uint32_t>(v << m_shift) & m_mask;
    }

private:
    // Repeats the bits of v (bits wide) from the top of a byte down.
    static std::uint8_t Replicate(unsigned v, int bits)
    {
        unsigned out = 0;
        for (int pos = 8 - bits; pos > -bits; pos -= bits)
            out |= pos >= 0 ? v << pos : v >> -pos;
        return static_cast<std::uint8_t>(out);
    }

    std::uint32_t m_mask;
    int m_shift;
    int m_bits;
    std::uint8_t m_widen[256] = {};
};

// The layout of a 16-bit picture without masks: 5-5-5 with bit 15 unused, as BMP files
// store 16-bit pixels when they give no masks.
inline constexpr BitFields kPlain16BitMasks{0x7C00, 0x03E0, 0x001F};
// The layout of a 32-bit picture without masks: 8-8-8 with the top byte unused.
inline constexpr BitFields kPlain32BitMasks{0xFF0000, 0x00FF00, 0x0000FF};

// The masks a 16- or 32-bit picture is actually laid out by.
inline BitFields EffectiveMasks(PixelFormat format, BitFields masks)
{
    if (masks.Any())
        return masks;
    if (format == PixelFormat::pf16bit)
        return kPlain16BitMasks;
    return kPlain32BitMasks;
}

// Red, green and blue laid out by masks.
inline std::uint32_t EncodeMasked(const BitFields& masks, std::uint8_t r, std::uint8_t g,
                                  std::uint8_t b)
{
    return Channel(masks.Red).Narrow(r) | Channel(masks.Green).Narrow(g) |
           Channel(masks.Blue).Narrow(b);
}

// The index of pixel x in a row of 1-, 4- or 8-bit pixels (leftmost pixel in the high bits).
inline unsigned IndexAt(const std::uint8_t* row, int x, int bits)
{
    switch (bits) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    case 4: return (x & 1) ? row[x >> 1] & 0x0Fu : row[x >> 1] >> 4;
    default: return row[x];
    }
}

inline void SetIndex(std::uint8_t* row, int x, int bits, unsigned v)
{
    switch (bits) {
    case 1: {
        const unsigned bit = 0x80u >> (x & 7);
        row[x >> 3] = static_cast<std::uint8_t>(v & 1 ? row[x >> 3] | bit : row[x >> 3] & ~bit);
        break;
    }
    case 4:
        row[x >> 1] = static_cast<std::uint8_t>(
            (x & 1) ? (row[x >> 1] & 0xF0u) | (v & 0x0Fu) : (row[x >> 1] & 0x0Fu) | (v << 4));
        break;
    default: row[x] = static_cast<std::uint8_t>(v); break;
    }
}

inline std::uint32_t Load16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }
inline std::uint32_t Load32(const std::uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t{p[3]} << 24);
}
inline void Store16(std::uint8_t* p, std::uint32_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void Store32(std::uint8_t* p, std::uint32_t v)
{
    Store16(p, v);
    Store16(p + 2, v >> 16);
}

} // namespace kameola::pixel
