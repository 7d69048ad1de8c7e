// SPDX-License-Identifier: MIT
// ICC colour profiles: the header check, and profiles built through lcms2.
#include "imaging/ColorProfile.h"

#include <cstring>
#include <lcms2.h>
#include <memory>

namespace kameola::icc {

bool IsRgbProfile(const std::uint8_t* data, std::size_t length) noexcept
{
    constexpr std::size_t kHeaderBytes = 128;
    if (data == nullptr || length < kHeaderBytes + 4)
        return false;
    const std::size_t declared = (std::size_t{data[0]} << 24) | (std::size_t{data[1]} << 16) |
                                 (std::size_t{data[2]} << 8) | std::size_t{data[3]};
    return declared == length && std::memcmp(data + 16, "RGB ", 4) == 0;
}

namespace {

cmsToneCurve* BuildCurve(Transfer transfer)
{
    switch (transfer) {
    case Transfer::Srgb: {
        // IEC 61966-2-1: Y = ((aX + b)^g) for X >= d, else cX.
        const cmsFloat64Number srgb[5] = {2.4, 1.0 / 1.055, 0.055 / 1.055, 1.0 / 12.92, 0.04045};
        return cmsBuildParametricToneCurve(nullptr, 4, srgb);
    }
    case Transfer::Gamma22: return cmsBuildGamma(nullptr, 2.2);
    case Transfer::Gamma28: return cmsBuildGamma(nullptr, 2.8);
    case Transfer::Linear: return cmsBuildGamma(nullptr, 1.0);
    }
    return nullptr;
}

} // namespace

std::vector<std::uint8_t> BuildRgbProfile(const Primaries& p, Transfer transfer)
{
    const std::unique_ptr<cmsToneCurve, decltype(&cmsFreeToneCurve)> curve(BuildCurve(transfer),
                                                                          cmsFreeToneCurve);
    if (!curve)
        return {};
    const cmsCIExyY white{p.WhiteX, p.WhiteY, 1.0};
    const cmsCIExyYTRIPLE primaries{{p.RedX, p.RedY, 1.0}, {p.GreenX, p.GreenY, 1.0},
                                    {p.BlueX, p.BlueY, 1.0}};
    cmsToneCurve* curves[3] = {curve.get(), curve.get(), curve.get()};
    const std::unique_ptr<void, decltype(&cmsCloseProfile)> profile(
        cmsCreateRGBProfile(&white, &primaries, curves), cmsCloseProfile);
    cmsUInt32Number size = 0;
    if (!profile || !cmsSaveProfileToMem(profile.get(), nullptr, &size) || size == 0)
        return {};
    std::vector<std::uint8_t> bytes(size);
    if (!cmsSaveProfileToMem(profile.get(), bytes.data(), &size))
        return {};
    bytes.resize(size);
    return bytes;
}

} // namespace kameola::icc
