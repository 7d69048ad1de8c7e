// SPDX-License-Identifier: MIT
// The BMP reader: the picture as stored, no colour profile.
#include "imaging/PictureReader.h"

namespace kameola {
namespace {

class BmpPicture final : public SourcePicture {
public:
    BmpPicture(int fd, const ReserveMemory& reserve) { m_picture.LoadBmpFile(fd, reserve); }
    int Width() const override { return m_picture.Width(); }
    int Height() const override { return m_picture.Height(); }
    TBitmap Decode() override { return m_picture; }

private:
    TBitmap m_picture;
};

class BmpFileReader final : public PictureReader {
public:
    std::optional<PictureHeader> ReadHeader(int fd) const override
    {
        const auto [width, height] = ReadBmpFileSize(fd);
        return PictureHeader{width, height, DefaultJpegSettings()};
    }
    std::unique_ptr<SourcePicture> Open(int fd, const ReserveMemory& reserve) const override
    {
        return std::make_unique<BmpPicture>(fd, reserve);
    }
};

} // namespace

const PictureReader& BmpReader()
{
    static const BmpFileReader reader;
    return reader;
}

} // namespace kameola
