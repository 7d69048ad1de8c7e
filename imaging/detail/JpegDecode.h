// Decoding a JPEG stream into a TBitmap: codec parameters from the settings, pixel layout.
#pragma once

#include "imaging/Bitmap.h"
#include "imaging/Jpeg.h"
#include "imaging/detail/JpegCodec.h"

#include <cstdint>
#include <vector>

namespace kameola::jpeg {

// How the codec's output rows become picture rows.
struct DecodeLayout {
    PixelFormat Format = PixelFormat::pf24bit;
    int BytesPerPixel = 3;     // of the picture
    bool Quantized = false;    // 8-bit indexed through the codec's colour map
    bool Cmyk = false;         // codec rows are CMYK and converted to blue, green, red
    bool InvertedCmyk = false; // CMYK as Adobe writes it: 255 means no ink
};

// Sets the decompression parameters after the header has been read.
DecodeLayout ConfigureDecode(jpeg_decompress_struct& info, const JpegSettings& settings);

// Raises EOutOfResources when a picture of this format and size would exceed the storage
// limit for pictures, before anything is allocated.
void CheckPictureSize(PixelFormat format, JDIMENSION width, JDIMENSION height);

// The colour table made from the codec's colour map, one entry per colour produced.
std::vector<PaletteEntry> ColormapPalette(const jpeg_decompress_struct& info);

// One row of CMYK samples (4 per pixel) as blue, green, red.
void CmykToBgr(const JSAMPLE* cmyk, std::uint8_t* bgr, JDIMENSION width, bool inverted) noexcept;

// The whole picture of a stream at the settings' scale.
TBitmap DecodePicture(const std::vector<std::uint8_t>& bytes, const JpegSettings& settings);

} // namespace kameola::jpeg
