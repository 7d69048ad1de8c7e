// SPDX-License-Identifier: MIT
// HEIF test files through libheif's encoder.
#include "tests/support/Heif.h"

#include "tests/support/Files.h"

#include <lcms2.h>
#include <libheif/heif.h>

#include <memory>
#include <stdexcept>

namespace kameola::test {
namespace {

void Check(const heif_error& error)
{
    if (error.code != heif_error_Ok)
        throw std::runtime_error(std::string("libheif: ") + error.message);
}

std::vector<std::uint8_t> SaveProfile(cmsHPROFILE profile)
{
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    std::vector<std::uint8_t> bytes(size);
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    return bytes;
}

using Image = std::unique_ptr<heif_image, decltype(&heif_image_release)>;

// The stored picture: quadrants at the depth asked, every pixel of one colour value
// scaled to the depth, alpha as asked.
Image MakeImage(const HeifShape& shape, std::uint32_t solid = 0)
{
    const bool alpha = shape.Alpha >= 0;
    const bool deep = shape.BitDepth > 8;
    heif_chroma chroma = shape.Grey ? heif_chroma_monochrome
                         : deep    ? (alpha ? heif_chroma_interleaved_RRGGBBAA_LE
                                            : heif_chroma_interleaved_RRGGBB_LE)
                                   : (alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB);
    heif_image* raw = nullptr;
    Check(heif_image_create(shape.Width, shape.Height,
                            shape.Grey ? heif_colorspace_monochrome : heif_colorspace_RGB, chroma, &raw));
    Image image(raw, heif_image_release);
    const heif_channel channel = shape.Grey ? heif_channel_Y : heif_channel_interleaved;
    Check(heif_image_add_plane(raw, channel, shape.Width, shape.Height, shape.BitDepth));
    if (shape.Grey && alpha)
        Check(heif_image_add_plane(raw, heif_channel_Alpha, shape.Width, shape.Height, shape.BitDepth));
    int stride = 0;
    std::uint8_t* plane = heif_image_get_plane(raw, channel, &stride);
    const int samples = shape.Grey ? 1 : alpha ? 4 : 3;
    for (int y = 0; y < shape.Height; ++y) {
        for (int x = 0; x < shape.Width; ++x) {
            const std::uint32_t rgb = solid ? solid : QuadrantColor(x, y, shape.Width, shape.Height);
            const int values[4] = {static_cast<int>(shape.Grey ? (rgb >> 8) & 0xFF : rgb >> 16),
                                   static_cast<int>((rgb >> 8) & 0xFF), static_cast<int>(rgb & 0xFF),
                                   shape.Alpha};
            for (int s = 0; s < samples; ++s) {
                const int v = deep ? values[s] * 1023 / 255 : values[s];
                std::uint8_t* at = plane + y * stride + (x * samples + s) * (deep ? 2 : 1);
                at[0] = static_cast<std::uint8_t>(v & 0xFF);
                if (deep)
                    at[1] = static_cast<std::uint8_t>(v >> 8);
            }
        }
    }
    if (shape.Grey && alpha) {
        std::uint8_t* a = heif_image_get_plane(raw, heif_channel_Alpha, &stride);
        for (int y = 0; y < shape.Height; ++y)
            for (int x = 0; x < shape.Width; ++x)
                a[y * stride + x] = static_cast<std::uint8_t>(shape.Alpha);
    }
    return image;
}

void SetColour(heif_image* image, const HeifShape& shape)
{
    if (!shape.Icc.empty())
        Check(heif_image_set_raw_color_profile(image, "prof", shape.Icc.data(), shape.Icc.size()));
    if (shape.Primaries) {
        heif_color_profile_nclx* nclx = heif_nclx_color_profile_alloc();
        nclx->color_primaries = static_cast<heif_color_primaries>(shape.Primaries);
        nclx->transfer_characteristics = static_cast<heif_transfer_characteristics>(shape.Transfer);
        nclx->matrix_coefficients = heif_matrix_coefficients_ITU_R_BT_601_6;
        nclx->full_range_flag = 1;
        const heif_error error = heif_image_set_nclx_color_profile(image, nclx);
        heif_nclx_color_profile_free(nclx);
        Check(error);
    }
}

// An Exif block ("Exif\0\0", a big-endian TIFF header, one directory holding the
// orientation) as libheif stores it.
std::vector<std::uint8_t> ExifBlock(int orientation)
{
    return {'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1,
            0, static_cast<std::uint8_t>(orientation), 0, 0, 0, 0, 0, 0};
}

heif_error Append(heif_context*, const void* data, std::size_t size, void* bytes)
{
    auto* out = static_cast<std::vector<std::uint8_t>*>(bytes);
    out->insert(out->end(), static_cast<const std::uint8_t*>(data),
                static_cast<const std::uint8_t*>(data) + size);
    return {heif_error_Ok, heif_suberror_Unspecified, "ok"};
}

} // namespace

std::uint32_t QuadrantColor(int x, int y, int width, int height)
{
    const bool right = x >= width / 2, bottom = y >= height / 2;
    return bottom ? (right ? 0xFFFF00 : 0x0000FF) : (right ? 0x00FF00 : 0xFF0000);
}

std::vector<std::uint8_t> MakeHeif(const HeifShape& shape)
{
    const std::unique_ptr<heif_context, decltype(&heif_context_free)> context(heif_context_alloc(),
                                                                              heif_context_free);
    heif_encoder* rawEncoder = nullptr;
    Check(heif_context_get_encoder_for_format(context.get(), heif_compression_HEVC, &rawEncoder));
    const std::unique_ptr<heif_encoder, decltype(&heif_encoder_release)> encoder(rawEncoder,
                                                                               heif_encoder_release);
    if (shape.Quality == 0) {
        Check(heif_encoder_set_lossless(rawEncoder, 1));
        Check(heif_encoder_set_parameter_string(rawEncoder, "chroma", "444"));
    } else {
        Check(heif_encoder_set_lossy_quality(rawEncoder, shape.Quality));
    }
    const std::unique_ptr<heif_encoding_options, decltype(&heif_encoding_options_free)> options(
        heif_encoding_options_alloc(), heif_encoding_options_free);
    options->image_orientation = static_cast<heif_orientation>(shape.Orientation);
    options->macOS_compatibility_workaround_no_nclx_profile = 0;
    options->save_two_colr_boxes_when_ICC_and_nclx_available = 1;
    const Image image = MakeImage(shape);
    SetColour(image.get(), shape);
    heif_image_handle* handle = nullptr;
    Check(heif_context_encode_image(context.get(), image.get(), rawEncoder, options.get(), &handle));
    if (shape.ExifOrientation) {
        const std::vector<std::uint8_t> exif = ExifBlock(shape.ExifOrientation);
        Check(heif_context_add_exif_metadata(context.get(), handle, exif.data() + 6,
                                             static_cast<int>(exif.size() - 6)));
    }
    if (shape.Thumbnail) {
        const Image other = MakeImage(shape, 0x808080);
        Check(heif_context_encode_thumbnail(context.get(), other.get(), handle, rawEncoder,
                                            options.get(), 8, nullptr));
    }
    heif_image_handle_release(handle);
    if (shape.SecondImage) {
        HeifShape second = shape;
        second.Width *= 2;
        second.Orientation = 1;
        const Image other = MakeImage(second, 0x808080);
        Check(heif_context_encode_image(context.get(), other.get(), rawEncoder, options.get(), nullptr));
    }
    std::vector<std::uint8_t> bytes;
    heif_writer writer{1, Append};
    Check(heif_context_write(context.get(), &writer, &bytes));
    return bytes;
}

void WriteHeif(const std::string& path, const HeifShape& shape)
{
    WriteBytes(path, MakeHeif(shape));
}

std::vector<std::uint8_t> SrgbProfile()
{
    return SaveProfile(cmsCreate_sRGBProfile());
}

std::vector<std::uint8_t> GreyProfile()
{
    cmsToneCurve* curve = cmsBuildGamma(nullptr, 2.2);
    std::vector<std::uint8_t> bytes = SaveProfile(cmsCreateGrayProfile(cmsD50_xyY(), curve));
    cmsFreeToneCurve(curve);
    return bytes;
}

} // namespace kameola::test
