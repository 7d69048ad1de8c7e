// Stretching a JPEG picture, decoding only the rows a nearest-neighbour stretch samples.
#include "imaging/Jpeg.h"

#include "imaging/detail/JpegCodec.h"
#include "imaging/detail/JpegDecode.h"

#include <cstring>

namespace kameola {

// Colour streams: jpeg_skip_scanlines passes over the rows that are not sampled, which
// gives the same pixels as a full decode. Colour-reduced (grey) streams: the dithering
// of each row depends on every row before it, so all rows are decoded, one at a time
// through a single row buffer. Either way the stream is read to its end and finished,
// so damage below the last sampled row fails as it does in a full decode.
TBitmap StretchPicture(TJPEGImage& source, int width, int height)
{
    if (source.Decoded() || width <= 0 || height <= 0 || source.Data().Bytes.empty())
        return StretchPicture(source.DecodeJpeg(), width, height);

    const std::vector<std::uint8_t>& bytes = source.Data().Bytes;
    jpeg::Decompressor codec(bytes.data(), bytes.size());
    jpeg_decompress_struct& info = codec.Info();
    codec.Run([&] { jpeg_read_header(&info, TRUE); });
    const jpeg::DecodeLayout layout = jpeg::ConfigureDecode(info, source.Settings());
    codec.Run([&] { jpeg_calc_output_dimensions(&info); });
    // Refuse what a full decode would refuse, although this path never holds the picture.
    jpeg::CheckPictureSize(layout.Format, info.output_width, info.output_height);

    const int srcWidth = static_cast<int>(info.output_width);
    const int srcHeight = static_cast<int>(info.output_height);
    const std::size_t bpp = static_cast<std::size_t>(layout.BytesPerPixel);
    std::vector<std::size_t> columns(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x)
        columns[static_cast<std::size_t>(x)] =
            static_cast<std::size_t>(NearestSourceIndex(x, width, srcWidth)) * bpp;
    std::vector<JDIMENSION> sourceRows(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
        sourceRows[static_cast<std::size_t>(y)] =
            static_cast<JDIMENSION>(NearestSourceIndex(y, height, srcHeight));
    std::vector<JSAMPLE> row(static_cast<std::size_t>(srcWidth) * bpp);
    std::vector<JSAMPLE> cmykRow(layout.Cmyk ? static_cast<std::size_t>(srcWidth) * 4 : 0);

    TBitmap result;
    result.Create(layout.Format, width, height);
    codec.Run([&] { jpeg_start_decompress(&info); });
    if (layout.Quantized)
        result.SetPalette(jpeg::ColormapPalette(info));
    std::vector<std::uint8_t*> resultRows(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
        resultRows[static_cast<std::size_t>(y)] = result.MutableScanLine(y);

    const bool skip = !layout.Quantized;
    codec.Run([&] {
        // Decodes source row info.output_scanline into row.
        auto readRow = [&] {
            JSAMPROW target = layout.Cmyk ? cmykRow.data() : row.data();
            if (jpeg_read_scanlines(&info, &target, 1) != 1)
                return false;
            if (layout.Cmyk)
                jpeg::CmykToBgr(target, row.data(), info.output_width, layout.InvertedCmyk);
            return true;
        };
        // Moves on until the next row the codec gives is wanted.
        auto advanceTo = [&](JDIMENSION wanted) {
            while (info.output_scanline < wanted) {
                if (skip) {
                    if (jpeg_skip_scanlines(&info, wanted - info.output_scanline) == 0)
                        return false;
                } else if (!readRow()) {
                    return false;
                }
            }
            return true;
        };

        std::size_t y = 0;
        while (y < sourceRows.size()) {
            const JDIMENSION wanted = sourceRows[y];
            if (!advanceTo(wanted) || !readRow())
                break;  // cannot happen here; finishing then reports the missing rows
            for (; y < sourceRows.size() && sourceRows[y] == wanted; ++y) {
                std::uint8_t* out = resultRows[y];
                if (bpp == 3) {
                    for (std::size_t x = 0; x < columns.size(); ++x, out += 3)
                        std::memcpy(out, row.data() + columns[x], 3);
                } else {
                    for (std::size_t x = 0; x < columns.size(); ++x)
                        out[x] = row[columns[x]];
                }
            }
        }
        if (info.output_scanline < info.output_height && advanceTo(info.output_height - 1))
            readRow();
        jpeg_finish_decompress(&info);
    });
    return result;
}

} // namespace kameola
