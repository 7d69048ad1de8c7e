// SPDX-License-Identifier: MIT
// Stretching a JPEG picture, decoding only the rows a nearest-neighbour stretch samples.
#include "imaging/Jpeg.h"
#include "imaging/JpegCodec.h"
#include "imaging/JpegDecode.h"

#include <algorithm>
#include <cstring>

namespace kameola {
namespace {

// Everything the guarded sampling step reads and writes, as plain pointers and sizes.
struct SampleStep {
    jpeg_decompress_struct* info;
    const std::size_t* columns;  // byte offset in a source row of each result column
    std::size_t width;           // result columns
    const JDIMENSION* sourceRows;  // the source row of each result row
    std::uint8_t* const* resultRows;
    std::size_t height;          // result rows
    JSAMPLE* row;                // one source row in the picture's layout
    JSAMPLE* cmykRow;            // the codec's row for four-component output, else null
    std::size_t bytesPerPixel;
    bool inverted;
    bool skip;                   // pass over unsampled rows instead of decoding them
};

// Decodes source row info->output_scanline into row.
bool ReadRow(SampleStep& a)
{
    JSAMPROW target = a.cmykRow ? a.cmykRow : a.row;
    if (jpeg_read_scanlines(a.info, &target, 1) != 1)
        return false;
    if (a.cmykRow)
        jpeg::CmykToBgr(target, a.row, a.info->output_width, a.inverted);
    return true;
}

// Moves on until the next row the codec gives is wanted. A skip starts only on a row-group
// boundary: libjpeg-turbo 2.1 can hand back rows from before a skip that begins inside a
// group, so the rest of the current group is decoded first.
bool AdvanceTo(SampleStep& a, JDIMENSION wanted)
{
    const JDIMENSION group = static_cast<JDIMENSION>(std::max(a.info->max_v_samp_factor, 1));
    while (a.info->output_scanline < wanted) {
        if (a.skip && a.info->output_scanline % group == 0) {
            if (jpeg_skip_scanlines(a.info, wanted - a.info->output_scanline) == 0)
                return false;
        } else if (!ReadRow(a)) {
            return false;
        }
    }
    return true;
}

void SampleRows(SampleStep& a)
{
    std::size_t y = 0;
    while (y < a.height) {
        const JDIMENSION wanted = a.sourceRows[y];
        if (!AdvanceTo(a, wanted) || !ReadRow(a))
            break;  // cannot happen here; finishing then reports the missing rows
        for (; y < a.height && a.sourceRows[y] == wanted; ++y) {
            std::uint8_t* out = a.resultRows[y];
            if (a.bytesPerPixel == 3) {
                for (std::size_t x = 0; x < a.width; ++x, out += 3)
                    std::memcpy(out, a.row + a.columns[x], 3);
            } else {
                for (std::size_t x = 0; x < a.width; ++x)
                    out[x] = a.row[a.columns[x]];
            }
        }
    }
    if (a.info->output_scanline < a.info->output_height && AdvanceTo(a, a.info->output_height - 1))
        ReadRow(a);
    jpeg_finish_decompress(a.info);
}

} // namespace

// Streams whose layout decodes the same row by row (SampledRowsExact): jpeg_skip_scanlines
// passes over the rows that are not sampled. Every other stream, and colour-reduced (grey)
// output, whose dithering of each row depends on every row before it: all rows are
// decoded, one at a time through a single row buffer. Either way the stream is read to its
// end and finished, so damage below the last sampled row fails as in a full decode.
TBitmap StretchPicture(TJPEGImage& source, int width, int height)
{
    if (source.Decoded() || width <= 0 || height <= 0 || source.Data().Bytes.empty())
        return StretchPicture(source.DecodeJpeg(), width, height);

    const std::vector<std::uint8_t>& bytes = source.Data().Bytes;
    jpeg::Decompressor codec(bytes.data(), bytes.size());
    jpeg_decompress_struct& info = codec.Info();
    const jpeg::DecodeLayout layout = jpeg::StartDecode(codec, source.Settings());

    const int srcWidth = static_cast<int>(info.output_width);
    const int srcHeight = static_cast<int>(info.output_height);
    const std::size_t bpp = static_cast<std::size_t>(layout.BytesPerPixel);
    TBitmap result;
    result.Create(layout.Format, width, height);
    if (layout.Quantized)
        result.SetPalette(jpeg::ColormapPalette(info));

    std::vector<std::size_t> columns(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x)
        columns[static_cast<std::size_t>(x)] =
            static_cast<std::size_t>(NearestSourceIndex(x, width, srcWidth)) * bpp;
    std::vector<JDIMENSION> sourceRows(static_cast<std::size_t>(height));
    std::vector<std::uint8_t*> resultRows(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        sourceRows[static_cast<std::size_t>(y)] =
            static_cast<JDIMENSION>(NearestSourceIndex(y, height, srcHeight));
        resultRows[static_cast<std::size_t>(y)] = result.MutableScanLine(y);
    }
    std::vector<JSAMPLE> row = jpeg::RowBuffer(static_cast<std::size_t>(srcWidth) * bpp);
    std::vector<JSAMPLE> cmykRow =
        jpeg::RowBuffer(layout.Cmyk ? static_cast<std::size_t>(srcWidth) * 4 : 0);

    SampleStep step{&info, columns.data(), columns.size(), sourceRows.data(),
                          resultRows.data(), resultRows.size(), row.data(),
                          layout.Cmyk ? cmykRow.data() : nullptr, bpp, layout.InvertedCmyk,
                          !layout.Quantized && source.Data().SampledRowsExact};
    codec.Run(SampleRows, step);
    return result;
}

} // namespace kameola
