// SPDX-License-Identifier: MIT
// The HEIF reader (HEIC, HEIF, HIF) through libheif: the primary image with its rotation,
// mirroring and crop applied, 8 bits per channel, alpha laid over white, and the colour
// profile of the file, or one built from its primaries.
#include "common/Errors.h"
#include "imaging/PictureReader.h"
#include "imaging/ColorProfile.h"
#include "imaging/FileCursor.h"

#include <libheif/heif.h>

#include <cstring>
#include <limits>
#include <memory>
#include <optional>

namespace kameola {
namespace {

constexpr const char* kFormat = "HEIF";

// The decoder's peak per pixel: the YCbCr planes (two bytes a sample above 8 bits), the
// interleaved RGB(A) output and the picture made from it.
constexpr std::uint64_t kPeakBytesPerPixel = 10;

void Check(const heif_error& error)
{
    if (error.code != heif_error_Ok)
        throw EPictureError(kFormat, error.message ? error.message : "");
}

// ---- libheif reads the file through these ----

std::int64_t Position(void* cursor)
{
    return static_cast<std::int64_t>(static_cast<FileCursor*>(cursor)->Position);
}

int Read(void* data, std::size_t size, void* cursor)
{
    return static_cast<FileCursor*>(cursor)->Read(data, size) == size ? 0 : -1;
}

int Seek(std::int64_t position, void* cursor)
{
    auto& file = *static_cast<FileCursor*>(cursor);
    if (position < 0 || static_cast<std::uint64_t>(position) > file.Size)
        return -1;
    file.Position = static_cast<std::uint64_t>(position);
    return 0;
}

heif_reader_grow_status WaitForFileSize(std::int64_t size, void* cursor)
{
    return size >= 0 && static_cast<std::uint64_t>(size) <= static_cast<FileCursor*>(cursor)->Size
               ? heif_reader_grow_status_size_reached
               : heif_reader_grow_status_size_beyond_eof;
}

constexpr heif_reader kReader{1, Position, Read, Seek, WaitForFileSize};

// The profile the outputs carry: the file's ICC profile when it describes RGB data;
// without one, a profile built from the nclx primaries unless they are those of sRGB.
// PQ and HLG pictures are refused: their pixels are no display's values.
std::vector<std::uint8_t> ProfileOf(const heif_image_handle* handle)
{
    const std::size_t size = heif_image_handle_get_raw_color_profile_size(handle);
    if (size > 0) {
        std::vector<std::uint8_t> icc(size);
        Check(heif_image_handle_get_raw_color_profile(handle, icc.data()));
        return icc::IsRgbProfile(icc.data(), icc.size()) ? icc : std::vector<std::uint8_t>{};
    }
    heif_color_profile_nclx* nclx = nullptr;
    // The profile is allocated also when libheif then finds its values invalid.
    const heif_error error = heif_image_handle_get_nclx_color_profile(handle, &nclx);
    const std::unique_ptr<heif_color_profile_nclx, decltype(&heif_nclx_color_profile_free)> owned(
        nclx, heif_nclx_color_profile_free);
    if (error.code != heif_error_Ok || !nclx)
        return {};
    const heif_color_profile_nclx n = *nclx;
    switch (n.transfer_characteristics) {
    case heif_transfer_characteristic_ITU_R_BT_2100_0_PQ:
    case heif_transfer_characteristic_ITU_R_BT_2100_0_HLG:
        throw EPictureError(kFormat, "PQ or HLG transfer is not supported");
    default: break;
    }
    if (n.color_primaries == heif_color_primaries_ITU_R_BT_709_5 ||
        n.color_primaries == heif_color_primaries_unspecified)
        return {};
    icc::Transfer transfer = icc::Transfer::Srgb;  // 1, 2, 6, 13 and the rest
    if (n.transfer_characteristics == heif_transfer_characteristic_ITU_R_BT_470_6_System_M)
        transfer = icc::Transfer::Gamma22;
    else if (n.transfer_characteristics == heif_transfer_characteristic_ITU_R_BT_470_6_System_B_G)
        transfer = icc::Transfer::Gamma28;
    else if (n.transfer_characteristics == heif_transfer_characteristic_linear)
        transfer = icc::Transfer::Linear;
    return icc::BuildRgbProfile({n.color_primary_red_x, n.color_primary_red_y,
                                 n.color_primary_green_x, n.color_primary_green_y,
                                 n.color_primary_blue_x, n.color_primary_blue_y,
                                 n.color_primary_white_x, n.color_primary_white_y},
                                transfer);
}

// One row of 8-bit RGB or RGBA samples as blue, green, red, alpha laid over white.
void RowToBgr(const std::uint8_t* in, std::uint8_t* out, int width, bool alpha, bool premultiplied)
{
    for (int x = 0; x < width; ++x, out += 3) {
        if (!alpha) {
            out[0] = in[2], out[1] = in[1], out[2] = in[0];
            in += 3;
            continue;
        }
        const unsigned a = in[3];
        for (int c = 0; c < 3; ++c) {
            const unsigned v = in[2 - c];
            out[c] = static_cast<std::uint8_t>(
                premultiplied ? std::min(255u, v + 255 - a) : (v * a + 255 * (255 - a) + 127) / 255);
        }
        in += 4;
    }
}

class HeifPicture final : public SourcePicture {
public:
    // Reads the file's boxes; the primary image must exist (a bare sequence has none).
    explicit HeifPicture(int fd) : m_context(heif_context_alloc(), heif_context_free)
    {
        if (!m_cursor.Open(fd))
            throw EReadError();
        if (!m_context)
            throw EOutOfResources();
        Check(heif_context_read_from_reader(m_context.get(), &kReader, &m_cursor, nullptr));
        heif_image_handle* handle = nullptr;
        Check(heif_context_get_primary_image_handle(m_context.get(), &handle));
        m_handle.reset(handle);
        m_profile = ProfileOf(handle);
    }
    int Width() const override { return heif_image_handle_get_width(m_handle.get()); }
    int Height() const override { return heif_image_handle_get_height(m_handle.get()); }
    TBitmap Decode() override;
    std::vector<std::uint8_t> IccProfile() const override { return m_profile; }

private:
    FileCursor m_cursor;
    std::unique_ptr<heif_context, decltype(&heif_context_free)> m_context;
    struct HandleRelease {
        void operator()(const heif_image_handle* h) const { heif_image_handle_release(h); }
    };
    std::unique_ptr<heif_image_handle, HandleRelease> m_handle;
    std::vector<std::uint8_t> m_profile;
    std::optional<TBitmap> m_decoded;
};

// libheif's 8-bit interleaved output (a deeper picture loses its low bits), with the
// transforms applied; decoded once.
TBitmap HeifPicture::Decode()
{
    if (m_decoded)
        return *m_decoded;
    const heif_image_handle* handle = m_handle.get();
    const bool alpha = heif_image_handle_has_alpha_channel(handle) != 0;
    const std::unique_ptr<heif_decoding_options, decltype(&heif_decoding_options_free)> options(
        heif_decoding_options_alloc(), heif_decoding_options_free);
    if (!options)
        throw EOutOfResources();
    options->convert_hdr_to_8bit = 1;
    heif_image* decoded = nullptr;
    Check(heif_decode_image(handle, &decoded, heif_colorspace_RGB,
                            alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                            options.get()));
    const std::unique_ptr<heif_image, decltype(&heif_image_release)> image(decoded,
                                                                            heif_image_release);
    const int width = heif_image_get_width(decoded, heif_channel_interleaved);
    const int height = heif_image_get_height(decoded, heif_channel_interleaved);
    int stride = 0;
    const std::uint8_t* plane = heif_image_get_plane_readonly(decoded, heif_channel_interleaved, &stride);
    if (!plane || width <= 0 || height <= 0 ||
        heif_image_get_bits_per_pixel_range(decoded, heif_channel_interleaved) != 8)
        throw EPictureError(kFormat, "no 8-bit RGB output");
    // The decoder gives the coded picture's size: one other than the file declares would
    // make a cell and a memory reservation for another picture.
    if (width != Width() || height != Height())
        throw EPictureError(kFormat, "the coded picture is not the size the file declares");
    TBitmap picture;
    picture.CreateForOverwrite(PixelFormat::pf24bit, width, height);
    const bool premultiplied = heif_image_handle_is_premultiplied_alpha(handle) != 0;
    for (int y = 0; y < height; ++y)
        RowToBgr(plane + static_cast<std::size_t>(y) * static_cast<std::size_t>(stride),
                 picture.MutableScanLine(y), width, alpha, premultiplied);
    m_decoded = picture;
    return picture;
}

class HeifFileReader final : public PictureReader {
public:
    std::optional<PictureHeader> ReadHeader(int fd) const override
    {
        const HeifPicture picture(fd);
        return PictureHeader{picture.Width(), picture.Height(), picture.Encoding()};
    }
    std::unique_ptr<SourcePicture> Open(int fd, const ReserveMemory& reserve) const override
    {
        auto picture = std::make_unique<HeifPicture>(fd);
        const int width = picture->Width(), height = picture->Height();
        if (width <= 0 || height <= 0 || !FitsPictureStorage(PixelFormat::pf24bit, width, height))
            throw EOutOfResources();
        const std::uint64_t peak = kPeakBytesPerPixel * static_cast<std::uint64_t>(width) *
                                   static_cast<std::uint64_t>(height);
        reserve(static_cast<std::size_t>(
            std::min<std::uint64_t>(peak, std::numeric_limits<std::size_t>::max())));
        return picture;
    }
};

} // namespace

const PictureReader& HeifReader()
{
    static const HeifFileReader reader;
    return reader;
}

} // namespace kameola
