// SPDX-License-Identifier: MIT
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

// What a stream's header says, as TJPEGImage keeps it.
struct StreamHeader {
    int Width = 0;
    int Height = 0;
    bool Grayscale = false;
    bool MultipleScans = false;
    std::uint64_t CoefficientBytes = 0;  // see TJPEGData
    int Orientation = 1;            // from the first Exif APP1 segment; 1 without one
    // Whether decoding only the rows a stretch samples (skipping the others) gives the same
    // pixels as decoding every row: true for three-component streams whose sampling factors
    // are among the common layouts checked against full decodes; false for everything else
    // (four components, a luminance sampled 4 × 2, factors of 3 or 4, ...).
    bool SampledRowsExact = false;
    std::vector<std::uint8_t> IccProfile;  // from the APP2 chunks, when it describes RGB data
};

// Reads the header of a non-empty stream, keeping only APP1 segments (bounded) for the
// Exif orientation and APP2 segments for the ICC profile. Raises EJPEG.
StreamHeader ReadStreamHeader(const std::vector<std::uint8_t>& bytes);

// The decode set-up shared by the full decode and the stretch: reads the header, sets the
// parameters from the settings, works out the output size, refuses a picture or a
// multi-scan stream's coefficient buffer beyond the storage limit (EOutOfResources) before
// anything of that size is allocated, and starts
// decompression. Raises EJPEG.
DecodeLayout StartDecode(Decompressor& codec, const JpegSettings& settings);

// Raises EOutOfResources when a picture of this format and size would exceed the storage
// limit for pictures, before anything is allocated.
void CheckPictureSize(PixelFormat format, JDIMENSION width, JDIMENSION height);

// The colour table made from the codec's colour map, one entry per colour produced.
std::vector<PaletteEntry> ColormapPalette(const jpeg_decompress_struct& info);

// One row of CMYK samples (4 per pixel) as blue, green, red.
void CmykToBgr(const JSAMPLE* cmyk, std::uint8_t* bgr, JDIMENSION width, bool inverted) noexcept;

// A zeroed row buffer; EOutOfResources when it cannot be had.
std::vector<JSAMPLE> RowBuffer(std::size_t bytes);

// The whole picture of a stream at the settings' scale.
TBitmap DecodePicture(const std::vector<std::uint8_t>& bytes, const JpegSettings& settings);

} // namespace kameola::jpeg
