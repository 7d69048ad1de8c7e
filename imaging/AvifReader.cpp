// SPDX-License-Identifier: MIT
// Reading AVIF files through libheif: the primary image with its transforms applied, as
// libheif decodes it by default, as 8-bit interleaved RGB (libheif drops the low bits of
// deeper samples).
#include "imaging/WebPictures.h"

#include "common/Errors.h"
#include "imaging/detail/WebPixels.h"

#include <algorithm>
#include <libheif/heif.h>
#include <memory>

namespace kameola {

namespace {

const std::string kFormat = "AVIF";

// Bytes per pixel beside the picture that decoding may hold at its peak: the YCbCr (and
// alpha) planes at up to 16 bits a sample and the interleaved RGB(A) output.
constexpr std::size_t kPeakPerPixel = 10;

void Check(const heif_error& error)
{
    if (error.code == heif_error_Ok)
        return;
    throw EPictureError(kFormat, error.message && *error.message ? error.message : "cannot decode");
}

using Context = std::unique_ptr<heif_context, decltype(&heif_context_free)>;
using Handle = std::unique_ptr<const heif_image_handle, decltype(&heif_image_handle_release)>;
using Image = std::unique_ptr<const heif_image, decltype(&heif_image_release)>;

Handle PrimaryImage(heif_context* context)
{
    heif_image_handle* handle = nullptr;
    Check(heif_context_get_primary_image_handle(context, &handle));
    return Handle(handle, heif_image_handle_release);
}

// The ICC profile of the colour box, when it describes RGB data.
std::vector<std::uint8_t> Profile(const heif_image_handle* handle)
{
    const heif_color_profile_type type = heif_image_handle_get_color_profile_type(handle);
    if (type != heif_color_profile_type_prof && type != heif_color_profile_type_rICC)
        return {};
    std::vector<std::uint8_t> bytes(heif_image_handle_get_raw_color_profile_size(handle));
    if (bytes.empty() || heif_image_handle_get_raw_color_profile(handle, bytes.data()).code != heif_error_Ok)
        return {};
    return web::RgbProfile(bytes.data(), bytes.size());
}

} // namespace

DecodedPicture DecodeAvif(const std::uint8_t* data, std::size_t size, const ReserveMemory& reserve)
{
    const Context context(heif_context_alloc(), heif_context_free);
    if (!context)
        throw EOutOfResources();
    Check(heif_context_read_from_memory_without_copy(context.get(), data, size, nullptr));
    const Handle handle = PrimaryImage(context.get());
    const auto declaredWidth = static_cast<std::uint64_t>(std::max(heif_image_handle_get_width(handle.get()), 0));
    const auto declaredHeight = static_cast<std::uint64_t>(std::max(heif_image_handle_get_height(handle.get()), 0));
    // Turned a quarter, the picture's rows are its declared columns.
    web::CheckSize(kFormat, declaredWidth, declaredHeight);
    web::CheckSize(kFormat, declaredHeight, declaredWidth);
    const auto w = static_cast<int>(declaredWidth);
    const auto h = static_cast<int>(declaredHeight);
    web::Reserve(reserve, std::max(web::PictureBytes(w, h), web::PictureBytes(h, w)) +
                              kPeakPerPixel * declaredWidth * declaredHeight);

    const bool alpha = heif_image_handle_has_alpha_channel(handle.get()) != 0;
    heif_image* decoded = nullptr;
    Check(heif_decode_image(handle.get(), &decoded, heif_colorspace_RGB,
                            alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, nullptr));
    const Image image(decoded, heif_image_release);
    const int width = heif_image_get_width(decoded, heif_channel_interleaved);
    const int height = heif_image_get_height(decoded, heif_channel_interleaved);
    int stride = 0;
    const std::uint8_t* rows = heif_image_get_plane_readonly(decoded, heif_channel_interleaved, &stride);
    if (!rows || width <= 0 || height <= 0 || heif_image_get_bits_per_pixel_range(decoded, heif_channel_interleaved) != 8)
        throw EPictureError(kFormat, "no interleaved 8-bit output");
    web::CheckSize(kFormat, static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height));

    DecodedPicture result;
    result.Picture.CreateForOverwrite(PixelFormat::pf24bit, width, height);
    for (int y = 0; y < height; ++y)
        web::ToBgrRow(rows + static_cast<std::size_t>(y) * static_cast<std::size_t>(stride), width,
                      alpha ? 4 : 3, false, result.Picture.MutableScanLine(y));
    result.IccProfile = Profile(handle.get());
    return result;
}

} // namespace kameola
