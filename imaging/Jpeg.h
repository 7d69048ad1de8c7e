// SPDX-License-Identifier: MIT
// TJPEGImage: a JPEG picture held as its stream and, once decoded, its pixels.
#pragma once

#include "imaging/Bitmap.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kameola {

struct JpegSettings {
    int EncodeQuality = 90;          // 1..100
    bool ForceGrayscale = false;
    bool FastDecode = false;
    bool PalettedDecode = false;
    bool IncrementalDisplay = false;
    bool ProgressiveOutput = false;  // set by LoadJpegFile from the stream's scan count
    int DecodeScale = 0;             // 0..3: 1/(2^n) of full size
    bool BlockSmoothing = true;
};

// The divisor of the decoded size: 2^DecodeScale, DecodeScale taken within 0..3.
int DecodeDivisor(const JpegSettings& settings);

// The module-wide defaults that every new TJPEGImage copies.
JpegSettings& DefaultJpegSettings();

// The stream record: bytes (or none), size and grey flag, and what the header says about
// showing and sampling the picture.
struct TJPEGData {
    std::vector<std::uint8_t> Bytes;
    int Width = 0;
    int Height = 0;
    bool Grayscale = false;
    int Orientation = 1;            // Exif orientation 1..8; 1 when absent or unreadable
    bool SampledRowsExact = false;  // the stretch may skip unsampled rows (see StretchPicture)
    // The bytes the codec holds for the whole picture's coefficients while it decodes a
    // multi-scan (progressive) stream; 0 for a single scan.
    std::uint64_t CoefficientBytes = 0;
    // The stream's ICC colour profile when it describes RGB data; else empty.
    std::vector<std::uint8_t> IccProfile;
};

class TJPEGImage : public TGraphic {
public:
    TJPEGImage();

    // Reads the whole file and its header. Raises EFOpenError, EReadError, EJPEG.
    void LoadJpegFile(const std::string& path);
    // The same from an open file, read from its start with pread (its offset stays).
    // A stream over PictureStorageLimit() bytes raises EOutOfResources.
    void LoadJpegFile(int fd);
    // The same from bytes in memory.
    void LoadJpegData(std::vector<std::uint8_t> bytes);

    // Decodes once and keeps the result. Raises EJPEG, EOutOfResources.
    const TBitmap& DecodeJpeg();
    bool Decoded() const;

    // The picture as stored: the orientation does not change the size or the pixels.
    int Width() const override;
    int Height() const override;
    // The stream's Exif orientation (1..8): how the stored picture is to be shown upright.
    int Orientation() const;
    // Refused: a JPEG picture's size changes only through a TBitmap.
    // Raise EInvalidGraphicOperation.
    void SetWidth(int width);
    void SetHeight(int height);

    // Holds a copy of the picture (sharing its storage) and no stream; settings unchanged.
    void AssignBitmap(const TBitmap& picture);
    // Encodes the held picture into a new stream (empty for no picture or a size of 0).
    void CompressJpeg();
    // Moves the stream's bytes out (a copy when another picture shares them); the picture
    // is kept, the stream is not.
    std::vector<std::uint8_t> TakeStream();
    // The ICC profile that CompressJpeg writes (APP2 chunks after APP0) into colour
    // streams; empty for none. Kept across AssignBitmap.
    void SetIccProfile(std::vector<std::uint8_t> profile);
    // Writes the stream's bytes, compressing first when there is no stream at all.
    // Raises EFCreateError.
    void SaveJpegFile(const std::string& path);

    JpegSettings& Settings();
    const JpegSettings& Settings() const;
    const TJPEGData& Data() const;

private:
    JpegSettings m_settings;
    std::shared_ptr<TJPEGData> m_data;
    bool m_hasStream = false;  // false after AssignBitmap until CompressJpeg
    std::optional<TBitmap> m_picture;
    std::vector<std::uint8_t> m_iccProfile;
};

// Stretches the decoded picture. When the picture is not decoded yet, the result is
// identical to a full decode followed by StretchPicture, and the picture stays undecoded:
// only the rows the nearest-neighbour stretch samples are decoded when the stream's layout
// allows it exactly (TJPEGData::SampledRowsExact, colour output), otherwise every row is
// decoded through one row buffer.
TBitmap StretchPicture(TJPEGImage& source, int width, int height);

} // namespace kameola
