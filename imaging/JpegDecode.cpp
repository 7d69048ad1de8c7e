// SPDX-License-Identifier: MIT
// Decoding a JPEG stream into a TBitmap: codec parameters from the settings, pixel layout.
#include "imaging/detail/JpegDecode.h"

#include "common/Errors.h"
#include "imaging/detail/Exif.h"
#include "imaging/detail/IccProfile.h"
#include "imaging/detail/PixelOps.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

namespace kameola::jpeg {
namespace {

// The segment that holds ICC profile chunks.
constexpr int kIccMarker = JPEG_APP0 + 2;

// Sets the decompression parameters after the header has been read.
DecodeLayout ConfigureDecode(jpeg_decompress_struct& info, const JpegSettings& settings)
{
    DecodeLayout layout;
    info.scale_num = 1;
    info.scale_denom = static_cast<unsigned>(DecodeDivisor(settings));
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

// ---- Steps run under the codec's error manager ----

struct HeaderStep {
    jpeg_decompress_struct* info;
    bool keepExif;
    bool multipleScans;
    std::uint64_t coefficientBytes;
};

// The whole-image coefficient buffer libjpeg keeps for a multi-scan stream: 64
// coefficients of 2 bytes for each block of each component. 0 for a single scan.
std::uint64_t CoefficientBytes(const jpeg_decompress_struct& info, bool multipleScans)
{
    std::uint64_t bytes = 0;
    for (int i = 0; multipleScans && info.comp_info && i < info.num_components; ++i) {
        const jpeg_component_info& c = info.comp_info[i];
        bytes += std::uint64_t{c.width_in_blocks} * c.height_in_blocks * 128;
    }
    return bytes;
}

void ReadHeader(HeaderStep& a)
{
    if (a.keepExif) {
        jpeg_save_markers(a.info, JPEG_APP0 + 1, exif::kSegmentBytesKept);
        jpeg_save_markers(a.info, kIccMarker, 0xFFFF);
    }
    jpeg_read_header(a.info, TRUE);
    a.multipleScans = jpeg_has_multiple_scans(a.info);
    a.coefficientBytes = CoefficientBytes(*a.info, a.multipleScans);
}

struct IccStep {
    jpeg_decompress_struct* info;
    JOCTET* data;
    unsigned int length;
};

void ReadIccProfile(IccStep& a)
{
    if (!jpeg_read_icc_profile(a.info, &a.data, &a.length)) {
        a.data = nullptr;  // none, or chunks that do not fit together
        a.length = 0;
    }
}

void CalcOutputDimensions(jpeg_decompress_struct& info)
{
    jpeg_calc_output_dimensions(&info);
}

void StartDecompress(jpeg_decompress_struct& info)
{
    jpeg_start_decompress(&info);
}

struct RowsStep {
    jpeg_decompress_struct* info;
    JSAMPROW* rows;     // one per output row, in picture order
    JSAMPLE* cmykRow;   // the codec's row for four-component output, else null
    std::size_t stride;
    bool inverted;
};

void ReadAllRows(RowsStep& a)
{
    jpeg_decompress_struct& info = *a.info;
    while (info.output_scanline < info.output_height) {
        const JDIMENSION y = info.output_scanline;
        JSAMPROW row = a.cmykRow ? a.cmykRow : a.rows[y];
        if (jpeg_read_scanlines(&info, &row, 1) != 1) {
            // Cannot happen with a source that never suspends; keep the rest defined.
            for (JDIMENSION k = y; k < info.output_height; ++k)
                std::memset(a.rows[k], 0, a.stride);
            break;
        }
        if (a.cmykRow)
            CmykToBgr(row, a.rows[y], info.output_width, a.inverted);
    }
    jpeg_finish_decompress(&info);
}

// Sampling factors (horizontal, vertical) of the three components.
struct Sampling {
    int yh, yv, cbh, cbv, crh, crv;
};

bool SampledRowsExact(const jpeg_decompress_struct& info)
{
    if (info.num_components != 3 || !info.comp_info)
        return false;
    const jpeg_component_info* c = info.comp_info;
    const Sampling s{c[0].h_samp_factor, c[0].v_samp_factor, c[1].h_samp_factor,
                     c[1].v_samp_factor, c[2].h_samp_factor, c[2].v_samp_factor};
    // Luminance layouts over 1 × 1 chroma that decode the same row by row. A vertical
    // factor of 3 (1 × 3, 2 × 3) is left out: skipping rows there differs from a full decode.
    static constexpr int kLuma[][2] = {{1, 1}, {2, 1}, {1, 2}, {2, 2}, {3, 1},
                                       {4, 1}, {1, 4}, {2, 4}};
    const bool chromaFull = s.cbh == 1 && s.cbv == 1 && s.crh == 1 && s.crv == 1;
    for (const auto& luma : kLuma)
        if (chromaFull && s.yh == luma[0] && s.yv == luma[1])
            return true;
    // 2 × 2 luminance with one chroma component sampled 1 × 2.
    const bool oneTall = (s.cbh == 1 && s.cbv == 2 && s.crh == 1 && s.crv == 1) ||
                         (s.cbh == 1 && s.cbv == 1 && s.crh == 1 && s.crv == 2);
    return s.yh == 2 && s.yv == 2 && oneTall;
}

} // namespace

StreamHeader ReadStreamHeader(const std::vector<std::uint8_t>& bytes)
{
    Decompressor codec(bytes.data(), bytes.size());
    jpeg_decompress_struct& info = codec.Info();
    HeaderStep step{&info, true, false, 0};
    codec.Run(ReadHeader, step);

    StreamHeader header;
    header.Width = static_cast<int>(info.image_width);
    header.Height = static_cast<int>(info.image_height);
    header.Grayscale = info.jpeg_color_space == JCS_GRAYSCALE;
    header.MultipleScans = step.multipleScans;
    header.CoefficientBytes = step.coefficientBytes;
    header.SampledRowsExact = SampledRowsExact(info);
    for (jpeg_saved_marker_ptr m = info.marker_list; m; m = m->next) {
        if (m->marker == JPEG_APP0 + 1 && exif::IsExif(m->data, m->data_length)) {
            header.Orientation = exif::Orientation(m->data, m->data_length);
            break;
        }
    }
    IccStep icc{&info, nullptr, 0};
    codec.Run(ReadIccProfile, icc);
    const std::unique_ptr<JOCTET, decltype(&std::free)> owned(icc.data, &std::free);
    if (icc::IsRgbProfile(icc.data, icc.length))
        header.IccProfile.assign(icc.data, icc.data + icc.length);
    return header;
}

DecodeLayout StartDecode(Decompressor& codec, const JpegSettings& settings)
{
    jpeg_decompress_struct& info = codec.Info();
    HeaderStep header{&info, false, false, 0};
    codec.Run(ReadHeader, header);
    // libjpeg's own memory is not capped, so that a valid large progressive picture
    // decodes; a coefficient buffer beyond the storage limit is refused as a picture is.
    if (header.coefficientBytes > PictureStorageLimit())
        throw EOutOfResources();
    const DecodeLayout layout = ConfigureDecode(info, settings);
    codec.Run(CalcOutputDimensions, info);
    // Width and height are at most 65500 here, so they fit an int.
    CheckPictureSize(layout.Format, info.output_width, info.output_height);
    codec.Run(StartDecompress, info);
    return layout;
}

void CheckPictureSize(PixelFormat format, JDIMENSION width, JDIMENSION height)
{
    if (!FitsPictureStorage(format, width, height))
        throw EOutOfResources();
}

std::vector<PaletteEntry> ColormapPalette(const jpeg_decompress_struct& info)
{
    std::vector<PaletteEntry> palette;
    if (!info.colormap)
        return palette;
    const int count = std::min(info.actual_number_of_colors, static_cast<int>(pixel::kPaletteCap));
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
    const DecodeLayout layout = StartDecode(codec, settings);

    // Every row is written below; a row the codec could not deliver is cleared there.
    TBitmap picture;
    picture.CreateForOverwrite(layout.Format, static_cast<int>(info.output_width),
                               static_cast<int>(info.output_height));
    if (layout.Quantized)
        picture.SetPalette(ColormapPalette(info));
    std::vector<JSAMPLE> cmykRow = RowBuffer(layout.Cmyk ? std::size_t{info.output_width} * 4 : 0);
    std::vector<JSAMPROW> rows(info.output_height);
    for (JDIMENSION y = 0; y < info.output_height; ++y)
        rows[y] = picture.MutableScanLine(static_cast<int>(y));

    RowsStep step{&info, rows.data(), layout.Cmyk ? cmykRow.data() : nullptr, picture.Stride(),
                  layout.InvertedCmyk};
    codec.Run(ReadAllRows, step);
    return picture;
}

std::vector<JSAMPLE> RowBuffer(std::size_t bytes)
{
    try {
        return std::vector<JSAMPLE>(bytes);
    } catch (const std::bad_alloc&) {
        throw EOutOfResources();
    }
}

} // namespace kameola::jpeg
