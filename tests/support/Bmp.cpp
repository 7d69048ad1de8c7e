// SPDX-License-Identifier: MIT
#include "tests/support/Bmp.h"

namespace kameola::test {
namespace {

void Put16(Bytes& out, std::uint32_t v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(Bytes& out, std::uint32_t v)
{
    Put16(out, v);
    Put16(out, v >> 16);
}

void PutInfoHeader(Bytes& out, const BmpHeader& f)
{
    const std::size_t start = out.size();
    Put32(out, f.headerSize);
    if (f.headerSize == 12) {
        Put16(out, static_cast<std::uint32_t>(f.width));
        Put16(out, static_cast<std::uint32_t>(f.height));
        Put16(out, f.planes);
        Put16(out, f.bits);
        return;
    }
    Put32(out, static_cast<std::uint32_t>(f.width));
    Put32(out, static_cast<std::uint32_t>(f.height));
    Put16(out, f.planes);
    Put16(out, f.bits);
    Put32(out, f.compression);
    Put32(out, f.imageSize);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, f.coloursUsed);
    Put32(out, 0);
    if (f.headerSize > 40)
        for (std::uint32_t m : f.masks)
            Put32(out, m);
    out.resize(start + f.headerSize, 0);
    if (f.headerSize == 40)
        for (std::uint32_t m : f.masks)
            Put32(out, m);
}

} // namespace

Bytes BuildBmp(const BmpHeader& f)
{
    Bytes out = {static_cast<std::uint8_t>(f.magic[0]), static_cast<std::uint8_t>(f.magic[1])};
    Put32(out, f.fileSize);
    Put32(out, 0);
    Put32(out, f.pixelOffset);
    PutInfoHeader(out, f);
    for (const PaletteEntry& e : f.table) {
        out.insert(out.end(), {e.Blue, e.Green, e.Red});
        if (f.headerSize != 12)
            out.push_back(0);
    }
    out.insert(out.end(), f.gap.begin(), f.gap.end());
    out.insert(out.end(), f.pixels.begin(), f.pixels.end());
    return out;
}

Bytes SolidBmp(int width, int height, std::uint32_t rgb)
{
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    Bytes row(stride, 0);
    for (std::size_t x = 0; x < static_cast<std::size_t>(width); ++x) {
        row[x * 3] = static_cast<std::uint8_t>(rgb);
        row[x * 3 + 1] = static_cast<std::uint8_t>(rgb >> 8);
        row[x * 3 + 2] = static_cast<std::uint8_t>(rgb >> 16);
    }
    BmpHeader h;
    h.width = width;
    h.height = height;
    for (int y = 0; y < height; ++y)
        h.pixels.insert(h.pixels.end(), row.begin(), row.end());
    h.pixelOffset = 54;
    h.fileSize = static_cast<std::uint32_t>(54 + h.pixels.size());
    return BuildBmp(h);
}

} // namespace kameola::test
