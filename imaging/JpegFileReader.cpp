// SPDX-License-Identifier: MIT
// The JPEG reader: the stream held whole, its Exif orientation and RGB colour profile
// followed, and only the rows a small image samples decoded when that is exact.
#include "common/Errors.h"
#include "common/FileIo.h"
#include "imaging/Orientation.h"
#include "imaging/PictureReader.h"

#include <algorithm>
#include <sys/stat.h>
#include <cstdint>
#include <utility>

namespace kameola {
namespace {

class JpegPicture final : public SourcePicture {
public:
    explicit JpegPicture(int fd)
    {
        m_jpeg.LoadJpegFile(fd);
        // An empty stream has no header: it is decoded (and refused) at once.
        if (m_jpeg.Data().Bytes.empty())
            m_jpeg.DecodeJpeg();
    }
    int Width() const override { return Swapped() ? m_jpeg.Height() : m_jpeg.Width(); }
    int Height() const override { return Swapped() ? m_jpeg.Width() : m_jpeg.Height(); }
    TBitmap Decode() override { return OrientUpright(m_jpeg.DecodeJpeg(), m_jpeg.Orientation()); }
    // Sampled from the stored picture at the stored-orientation size, then turned.
    TBitmap Stretch(int width, int height) override
    {
        const TBitmap stretched = Swapped() ? StretchPicture(m_jpeg, height, width)
                                            : StretchPicture(m_jpeg, width, height);
        return OrientUpright(stretched, m_jpeg.Orientation());
    }
    std::vector<std::uint8_t> IccProfile() const override { return m_jpeg.Data().IccProfile; }
    // A progressive source gives progressive outputs.
    JpegSettings Encoding() const override { return m_jpeg.Settings(); }

    const TJPEGData& Stream() const { return m_jpeg.Data(); }
    const TJPEGImage& Jpeg() const { return m_jpeg; }

private:
    bool Swapped() const { return SwapsSides(m_jpeg.Orientation()); }
    TJPEGImage m_jpeg;
};

// The stream from the file's first 64 KiB only; false when they do not hold its header (a
// large colour profile, a damaged file).
bool ReadHead(int fd, TJPEGImage& jpeg)
{
    constexpr std::size_t kHeadBytes = 64 * 1024;
    std::vector<std::uint8_t> head(kHeadBytes);
    std::size_t got = 0;
    if (!ReadAt(fd, 0, head.data(), head.size(), &got) || got == 0)
        return false;
    head.resize(got);
    try {
        jpeg.LoadJpegData(std::move(head));
    } catch (const Exception&) {
        return false;
    }
    return jpeg.Width() > 0 && jpeg.Height() > 0;
}

// The memory of decoding the stream whose header jpeg holds (none read: the file's size
// alone): the stream held whole and the coefficients of a multi-scan one. Coefficients
// beyond the storage limit raise EOutOfResources.
std::size_t DecodeBytes(const struct stat& file, const TJPEGImage& jpeg)
{
    const std::uint64_t limit = PictureStorageLimit();
    const std::uint64_t coefficients = jpeg.Data().CoefficientBytes;
    if (coefficients > limit)
        throw EOutOfResources();
    const std::uint64_t stream = std::clamp<std::uint64_t>(
        static_cast<std::uint64_t>(std::max<off_t>(file.st_size, 0)), 0, limit);
    return static_cast<std::size_t>(stream + coefficients);
}

class JpegFileReader final : public PictureReader {
public:
    std::optional<PictureHeader> ReadHeader(int fd) const override
    {
        TJPEGImage jpeg;
        if (!ReadHead(fd, jpeg))
            return std::nullopt;
        const bool swapped = SwapsSides(jpeg.Orientation());
        return PictureHeader{swapped ? jpeg.Height() : jpeg.Width(),
                             swapped ? jpeg.Width() : jpeg.Height(), jpeg.Settings()};
    }
    // Known from the header first, stream and coefficients are reserved at once; the
    // sampled rows take little beside them.
    std::unique_ptr<SourcePicture> Open(int fd, const ReserveMemory& reserve) const override
    {
        struct stat info {};
        if (::fstat(fd, &info) != 0)
            throw EReadError();
        TJPEGImage head;
        const bool headRead = ReadHead(fd, head);
        reserve(DecodeBytes(info, head));
        auto picture = std::make_unique<JpegPicture>(fd);
        if (!headRead && picture->Stream().CoefficientBytes > 0)
            reserve(DecodeBytes(info, picture->Jpeg()));
        return picture;
    }
};

} // namespace

const PictureReader& JpegReader()
{
    static const JpegFileReader reader;
    return reader;
}

} // namespace kameola
