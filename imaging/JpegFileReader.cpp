// SPDX-License-Identifier: MIT
// The JPEG reader: the stream held whole, its Exif orientation and RGB colour profile
// followed, and only the rows a small image samples decoded when that is exact.
#include "common/Errors.h"
#include "common/FileIo.h"
#include "imaging/Orientation.h"
#include "imaging/PictureReader.h"

#include <algorithm>
#include <sys/stat.h>
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

private:
    bool Swapped() const { return SwapsSides(m_jpeg.Orientation()); }
    TJPEGImage m_jpeg;
};

class JpegFileReader final : public PictureReader {
public:
    // The first 64 KiB only; nullopt when they do not hold the header (a large colour
    // profile, a damaged file).
    std::optional<PictureHeader> ReadHeader(int fd) const override
    {
        constexpr std::size_t kHeadBytes = 64 * 1024;
        std::vector<std::uint8_t> head(kHeadBytes);
        std::size_t got = 0;
        if (!ReadAt(fd, 0, head.data(), head.size(), &got) || got == 0)
            return std::nullopt;
        head.resize(got);
        TJPEGImage jpeg;
        try {
            jpeg.LoadJpegData(std::move(head));
        } catch (const Exception&) {
            return std::nullopt;
        }
        if (jpeg.Width() <= 0 || jpeg.Height() <= 0)
            return std::nullopt;
        const bool swapped = SwapsSides(jpeg.Orientation());
        return PictureHeader{swapped ? jpeg.Height() : jpeg.Width(),
                             swapped ? jpeg.Width() : jpeg.Height(), jpeg.Settings()};
    }
    // The stream is held whole; the sampled rows take little beside it.
    std::unique_ptr<SourcePicture> Open(int fd, const ReserveMemory& reserve) const override
    {
        struct stat info {};
        if (::fstat(fd, &info) != 0)
            throw EReadError();
        reserve(static_cast<std::size_t>(
            std::clamp<off_t>(info.st_size, 0, static_cast<off_t>(PictureStorageLimit()))));
        return std::make_unique<JpegPicture>(fd);
    }
};

} // namespace

const PictureReader& JpegReader()
{
    static const JpegFileReader reader;
    return reader;
}

} // namespace kameola
