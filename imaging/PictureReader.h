// SPDX-License-Identifier: MIT
// Picture readers: one per file format, each turning a file into the picture as it is meant
// to be shown (upright), with the colour profile its JPEG outputs carry.
#pragma once

#include "imaging/Bitmap.h"
#include "imaging/Jpeg.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace kameola {

// What a file's header tells without decoding: the size as shown upright and the settings
// its JPEG outputs are encoded with.
struct PictureHeader {
    int Width = 0;
    int Height = 0;
    JpegSettings Encoding;
};

// A file opened by its reader: header read, pixels decoded on demand.
class SourcePicture {
public:
    virtual ~SourcePicture() = default;
    // The size as shown upright.
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // The whole picture as shown upright. Raises the format's errors.
    virtual TBitmap Decode() = 0;
    // The upright picture stretched by nearest neighbour to width × height: the same pixels
    // as StretchPicture(Decode(), width, height). The whole file is decoded, so it is
    // checked even for a 1 × 1 result.
    virtual TBitmap Stretch(int width, int height);
    // The colour profile the outputs carry; empty for none.
    virtual std::vector<std::uint8_t> IccProfile() const;
    // The settings the outputs are encoded with.
    virtual JpegSettings Encoding() const;
};

// Called with the bytes a decoder needs at its peak, before it allocates them; it may wait
// or raise.
using ReserveMemory = std::function<void(std::size_t bytes)>;

class PictureReader {
public:
    virtual ~PictureReader() = default;
    // The header alone, from the file's first bytes (read with pread); nullopt when they do
    // not tell it, for the caller to open the file. May raise the format's errors.
    virtual std::optional<PictureHeader> ReadHeader(int fd) const = 0;
    // Opens the file from its start with pread (its offset stays): checks the header and
    // the size against PictureStorageLimit(), calls reserve with the decoder's peak, and
    // reads what decoding needs. Raises EReadError, EOutOfResources and the format's errors.
    virtual std::unique_ptr<SourcePicture> Open(int fd, const ReserveMemory& reserve) const = 0;
};

const PictureReader& BmpReader();
const PictureReader& JpegReader();
const PictureReader& HeifReader();  // HEIC, HEIF, HIF
const PictureReader& TiffReader();
// The pictures browsers show themselves, read for their small images.
const PictureReader& PngReader();
const PictureReader& WebpReader();  // stills, and an animation's first frame
const PictureReader& GifReader();   // the first frame
const PictureReader& AvifReader();

// Encodes a picture as an output of the source: its settings and colour profile.
std::vector<std::uint8_t> EncodeOutput(const SourcePicture& source, const TBitmap& picture);

} // namespace kameola
