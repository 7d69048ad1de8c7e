// Decoding a JPEG stream into a TBitmap: codec parameters from the settings, pixel layout.
#include "imaging/detail/JpegDecode.h"

#include "common/Errors.h"

#include <algorithm>
#include <cstring>

namespace kameola::jpeg {

DecodeLayout ConfigureDecode(jpeg_decompress_struct& info, const JpegSettings& settings)
{
    DecodeLayout layout;
    info.scale_num = 1;
    info.scale_denom = 1u << std::clamp(settings.DecodeScale, 0, 3);
    info.do_block_smoothing = settings.BlockSmoothing ? TRUE : FALSE;
    if (settings.ForceGrayscale)
        info.out_color_space = JCS_GRAYSCALE;

    const bool grey = info.out_color_space == JCS_GRAYSCALE;
    if (!grey && (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK)) {
        // Four-component streams become colour pictures; colour reduction does not apply.
        info.out_color_space = JCS_CMYK;
        layout.Cmyk = true;
        layout.InvertedCmyk = info.saw_Adobe_marker;
    } else if (grey || settings.PalettedDecode) {
        // Colour maps are red, green, blue, so a reduced colour stream keeps RGB output.
        info.quantize_colors = TRUE;
        info.desired_number_of_colors = 236;
        layout.Quantized = true;
        layout.Format = PixelFormat::pf8bit;
        layout.BytesPerPixel = 1;
    } else {
        // The codec writes blue, green, red: the picture's own byte order.
        info.out_color_space = JCS_EXT_BGR;
    }
    if (settings.FastDecode) {
        info.dct_method = JDCT_IFAST;
        info.two_pass_quantize = FALSE;
        info.dither_mode = JDITHER_ORDERED;
    }
    return layout;
}

void CheckPictureSize(PixelFormat format, JDIMENSION width, JDIMENSION height)
{
    const std::uint64_t stride =
        (static_cast<std::uint64_t>(width) * BitsPerPixel(format) + 31) / 32 * 4;
    if (stride * height > PictureStorageLimit())
        throw EOutOfResources();
}

std::vector<PaletteEntry> ColormapPalette(const jpeg_decompress_struct& info)
{
    std::vector<PaletteEntry> palette;
    if (!info.colormap)
        return palette;
    const int count = std::min(info.actual_number_of_colors, 256);
    palette.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        PaletteEntry& e = palette[static_cast<std::size_t>(i)];
        if (info.out_color_components == 1) {
            e.Red = e.Green = e.Blue = info.colormap[0][i];
        } else {
            e.Red = info.colormap[0][i];
            e.Green = info.colormap[1][i];
            e.Blue = info.colormap[2][i];
        }
    }
    return palette;
}

void CmykToBgr(const JSAMPLE* cmyk, std::uint8_t* bgr, JDIMENSION width, bool inverted) noexcept
{
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        // Amount of light left in each channel: (1 - ink) × (1 - black).
        unsigned c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        bgr[0] = static_cast<std::uint8_t>((y * k + 127) / 255);
        bgr[1] = static_cast<std::uint8_t>((m * k + 127) / 255);
        bgr[2] = static_cast<std::uint8_t>((c * k + 127) / 255);
    }
}

TBitmap DecodePicture(const std::vector<std::uint8_t>& bytes, const JpegSettings& settings)
{
    Decompressor codec(bytes.data(), bytes.size());
    jpeg_decompress_struct& info = codec.Info();
    codec.Run([&] { jpeg_read_header(&info, TRUE); });
    const DecodeLayout layout = ConfigureDecode(info, settings);
    codec.Run([&] { jpeg_calc_output_dimensions(&info); });

    // Width and height are at most 65500 here, so they fit an int.
    TBitmap picture;
    CheckPictureSize(layout.Format, info.output_width, info.output_height);
    // Every row is written below; a row the codec could not deliver is cleared there.
    picture.CreateForOverwrite(layout.Format, static_cast<int>(info.output_width),
                   static_cast<int>(info.output_height));
    std::vector<JSAMPLE> cmykRow(layout.Cmyk ? std::size_t{info.output_width} * 4 : 0);

    codec.Run([&] { jpeg_start_decompress(&info); });
    if (layout.Quantized)
        picture.SetPalette(ColormapPalette(info));
    std::vector<JSAMPROW> rows(info.output_height);
    for (JDIMENSION y = 0; y < info.output_height; ++y)
        rows[y] = picture.MutableScanLine(static_cast<int>(y));

    codec.Run([&] {
        while (info.output_scanline < info.output_height) {
            const JDIMENSION y = info.output_scanline;
            JSAMPROW row = layout.Cmyk ? cmykRow.data() : rows[y];
            if (jpeg_read_scanlines(&info, &row, 1) != 1) {
                // Cannot happen with a source that never suspends; keep the rest defined.
                for (JDIMENSION k = y; k < info.output_height; ++k)
                    std::memset(rows[k], 0, picture.Stride());
                break;
            }
            if (layout.Cmyk)
                CmykToBgr(row, rows[y], info.output_width, layout.InvertedCmyk);
        }
        jpeg_finish_decompress(&info);
    });
    return picture;
}

} // namespace kameola::jpeg
