// SPDX-License-Identifier: MIT
// Pictures read whole into memory before they are decoded: the file's bytes, and the base
// of the readers that decode a picture as stored and turn it upright by its orientation.
#pragma once

#include "imaging/PictureReader.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace kameola {

// The file's bytes from its start, read with pread (its offset stays). Their number is
// checked against PictureStorageLimit() (EOutOfResources) and, when reserve is given,
// reserved before they are allocated. A file cut short since its size was taken ends
// where it ends. Raises EReadError.
std::vector<std::uint8_t> ReadWholeFile(int fd, const ReserveMemory& reserve = {});

// A picture held as its file's bytes. A reader's picture reads its header in its
// constructor (and, given reserve, reserves the bytes with the decoder's peak); decoding
// gives the picture as stored, which the orientation turns upright.
class HeldPicture : public SourcePicture {
public:
    int Width() const override;
    int Height() const override;
    TBitmap Decode() override;
    // Sampled at the stored orientation's size, then turned upright.
    TBitmap Stretch(int width, int height) override;
    std::vector<std::uint8_t> IccProfile() const override { return m_profile; }

protected:
    explicit HeldPicture(std::vector<std::uint8_t> bytes) : m_bytes(std::move(bytes)) {}
    // The whole picture as stored: 24 bits, m_width × m_height.
    virtual TBitmap DecodeStored() = 0;

    const std::vector<std::uint8_t> m_bytes;
    int m_width = 0;  // as stored
    int m_height = 0;
    int m_orientation = 1;  // the Exif orientation that shows it upright
    std::vector<std::uint8_t> m_profile;  // RGB profiles only
};

// The reader of the pictures of class Picture, constructed as Picture(bytes, reserve).
template <class Picture>
class HeldPictureReader final : public PictureReader {
public:
    // The whole file is read: the formats may keep what tells the size anywhere.
    std::optional<PictureHeader> ReadHeader(int fd) const override
    {
        const Picture picture(ReadWholeFile(fd), ReserveMemory{});
        return PictureHeader{picture.Width(), picture.Height(), picture.Encoding()};
    }
    std::unique_ptr<SourcePicture> Open(int fd, const ReserveMemory& reserve) const override
    {
        return std::make_unique<Picture>(ReadWholeFile(fd, reserve), reserve);
    }
};

} // namespace kameola
