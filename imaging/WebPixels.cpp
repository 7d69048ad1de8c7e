// SPDX-License-Identifier: MIT
// Pixel rules shared by the readers of browser-shown formats.
#include "imaging/WebPixels.h"

#include "common/Errors.h"
#include "imaging/ColorProfile.h"
#include "imaging/PixelOps.h"

#include <climits>

namespace kameola::web {

void ToBgrRow(const std::uint8_t* samples, int width, int channels, bool wide, std::uint8_t* bgr)
{
    const int step = wide ? 2 : 1;
    const auto sample = [&](const std::uint8_t* at) -> std::uint32_t {
        return wide ? Scale16(std::uint32_t{at[0]} << 8 | at[1]) : at[0];
    };
    for (int x = 0; x < width; ++x, samples += channels * step, bgr += 3) {
        const std::uint32_t r = sample(samples);
        const std::uint32_t g = sample(samples + step);
        const std::uint32_t b = sample(samples + 2 * step);
        const std::uint32_t a = channels == 4 ? sample(samples + 3 * step) : 255;
        bgr[0] = OverWhite(b, a);
        bgr[1] = OverWhite(g, a);
        bgr[2] = OverWhite(r, a);
    }
}

void CheckSize(const std::string& format, std::uint64_t width, std::uint64_t height)
{
    if (width == 0 || height == 0 || width > INT_MAX || height > INT_MAX)
        throw EPictureError(format, "picture size " + std::to_string(width) + " x " +
                                        std::to_string(height));
    if (!FitsPictureStorage(PixelFormat::pf24bit, width, height))
        throw EOutOfResources();
}

std::size_t PictureBytes(int width, int height)
{
    return static_cast<std::size_t>(pixel::PaddedStride(static_cast<std::uint64_t>(width), 24)) *
           static_cast<std::size_t>(height);
}

void Reserve(const ReserveMemory& reserve, std::size_t bytes)
{
    if (reserve)
        reserve(bytes);
}

std::vector<std::uint8_t> RgbProfile(const std::uint8_t* data, std::size_t size)
{
    if (!icc::IsRgbProfile(data, size))
        return {};
    return {data, data + size};
}

} // namespace kameola::web
