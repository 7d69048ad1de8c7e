// SPDX-License-Identifier: MIT
// The AVIF reader through libheif: the primary image with its transforms applied, as
// libheif decodes it by default, as 8-bit interleaved RGB (libheif drops the low bits of
// deeper samples).
#include "common/Errors.h"
#include "imaging/HeldPicture.h"
#include "imaging/WebPixels.h"

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

class AvifPicture final : public HeldPicture {
public:
    // The boxes read from the bytes held; the size as shown upright checked either way
    // round (turned a quarter, the picture's rows are its declared columns), and the
    // bytes, the picture and the decoder's peak reserved.
    AvifPicture(std::vector<std::uint8_t> bytes, const ReserveMemory& reserve)
        : HeldPicture(std::move(bytes))
    {
        if (!m_context)
            throw EOutOfResources();
        Check(heif_context_read_from_memory_without_copy(m_context.get(), m_bytes.data(),
                                                         m_bytes.size(), nullptr));
        m_handle = PrimaryImage(m_context.get());
        const auto w = static_cast<std::uint64_t>(std::max(heif_image_handle_get_width(m_handle.get()), 0));
        const auto h = static_cast<std::uint64_t>(std::max(heif_image_handle_get_height(m_handle.get()), 0));
        web::CheckSize(kFormat, w, h);
        web::CheckSize(kFormat, h, w);
        m_width = static_cast<int>(w);
        m_height = static_cast<int>(h);
        web::Reserve(reserve, m_bytes.size() +
                                  std::max(web::PictureBytes(m_width, m_height), web::PictureBytes(m_height, m_width)) +
                                  kPeakPerPixel * w * h);
        m_profile = Profile(m_handle.get());
    }

private:
    TBitmap DecodeStored() override;

    Context m_context{heif_context_alloc(), heif_context_free};
    Handle m_handle{nullptr, heif_image_handle_release};
};

// The decoded picture as libheif gives it; its size checked again.
TBitmap AvifPicture::DecodeStored()
{
    const bool alpha = heif_image_handle_has_alpha_channel(m_handle.get()) != 0;
    heif_image* decoded = nullptr;
    Check(heif_decode_image(m_handle.get(), &decoded, heif_colorspace_RGB,
                            alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, nullptr));
    const Image image(decoded, heif_image_release);
    const int width = heif_image_get_width(decoded, heif_channel_interleaved);
    const int height = heif_image_get_height(decoded, heif_channel_interleaved);
    int stride = 0;
    const std::uint8_t* rows = heif_image_get_plane_readonly(decoded, heif_channel_interleaved, &stride);
    if (!rows || width <= 0 || height <= 0 || heif_image_get_bits_per_pixel_range(decoded, heif_channel_interleaved) != 8)
        throw EPictureError(kFormat, "no interleaved 8-bit output");
    web::CheckSize(kFormat, static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height));
    if (width != m_width || height != m_height)
        throw EPictureError(kFormat, "the coded picture is not the size the file declares");
    TBitmap picture;
    picture.CreateForOverwrite(PixelFormat::pf24bit, width, height);
    for (int y = 0; y < height; ++y)
        web::ToBgrRow(rows + static_cast<std::size_t>(y) * static_cast<std::size_t>(stride), width,
                      alpha ? 4 : 3, false, picture.MutableScanLine(y));
    return picture;
}

} // namespace

const PictureReader& AvifReader()
{
    static const HeldPictureReader<AvifPicture> reader;
    return reader;
}

} // namespace kameola
