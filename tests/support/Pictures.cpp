// SPDX-License-Identifier: MIT
// Reading test files through picture readers.
#include "tests/support/Pictures.h"

#include "common/FileIo.h"
#include "tests/support/Heif.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace kameola::test {

ReadPicture ReadWith(const PictureReader& reader, const std::string& path)
{
    FileHandle file = OpenRegularFile(path);
    if (!file.Valid())
        throw std::runtime_error("cannot open " + path);
    const auto source = reader.Open(file.Get(), [](std::size_t) {});
    ReadPicture result;
    result.Width = source->Width();
    result.Height = source->Height();
    result.Picture = source->Decode();
    result.Icc = source->IccProfile();
    return result;
}

std::uint32_t RgbAt(const TBitmap& picture, int x, int y)
{
    const std::uint8_t* p = picture.ScanLine(y) + 3 * x;
    return (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
}

bool NearColor(std::uint32_t a, std::uint32_t b, int tolerance)
{
    for (int shift = 0; shift < 24; shift += 8) {
        const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        if (std::abs(d) > tolerance)
            return false;
    }
    return true;
}

TBitmap QuadrantPicture(int width, int height)
{
    TBitmap picture;
    picture.Create(PixelFormat::pf24bit, width, height);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = picture.MutableScanLine(y);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t rgb = QuadrantColor(x, y, width, height);
            row[3 * x] = rgb & 0xFF;
            row[3 * x + 1] = (rgb >> 8) & 0xFF;
            row[3 * x + 2] = static_cast<std::uint8_t>(rgb >> 16);
        }
    }
    return picture;
}

std::string QuadrantsDiffer(const TBitmap& picture, const TBitmap& expected, int tolerance)
{
    if (picture.Width() != expected.Width() || picture.Height() != expected.Height())
        return "size " + std::to_string(picture.Width()) + "x" + std::to_string(picture.Height());
    std::string differences;
    for (int q = 0; q < 4; ++q) {
        const int x = picture.Width() * (1 + 2 * (q % 2)) / 4;
        const int y = picture.Height() * (1 + 2 * (q / 2)) / 4;
        const std::uint32_t got = RgbAt(picture, x, y), want = RgbAt(expected, x, y);
        if (!NearColor(got, want, tolerance)) {
            char text[64];
            std::snprintf(text, sizeof text, "(%d,%d): %06x not %06x; ", x, y, got, want);
            differences += text;
        }
    }
    return differences;
}

} // namespace kameola::test
