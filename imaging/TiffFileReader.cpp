// SPDX-License-Identifier: MIT
// The TIFF reader through libtiff: the first page as libtiff's RGBA reader gives it (16-bit
// samples scaled to v × 255 / 65535 rounded, grey as three equal channels, alpha laid over
// white), turned upright for all eight orientations, with its RGB colour profile.
#include "common/Errors.h"
#include "imaging/Orientation.h"
#include "imaging/PictureReader.h"
#include "imaging/ColorProfile.h"
#include "imaging/HeldPicture.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <string>

namespace kameola {
namespace {

constexpr const char* kFormat = "TIFF";

// ---- libtiff reads the file and reports through these, per handle ----

// The file held in memory and handed to libtiff as mapped: libtiff 4.5 refuses uncompressed
// tiles it reads through a file's read procedure.
struct TiffSource {
    std::vector<std::uint8_t> Bytes;
    std::uint64_t Position = 0;
    std::string Error;  // libtiff's first error message
};

tmsize_t ReadProc(thandle_t handle, void* buffer, tmsize_t size)
{
    auto& source = *static_cast<TiffSource*>(handle);
    if (size < 0 || source.Position >= source.Bytes.size())
        return size < 0 ? -1 : 0;
    const std::size_t n = std::min<std::uint64_t>(static_cast<std::uint64_t>(size),
                                                  source.Bytes.size() - source.Position);
    std::memcpy(buffer, source.Bytes.data() + source.Position, n);
    source.Position += n;
    return static_cast<tmsize_t>(n);
}

tmsize_t WriteProc(thandle_t, void*, tmsize_t)
{
    return -1;
}

toff_t SeekProc(thandle_t handle, toff_t offset, int whence)
{
    auto& source = *static_cast<TiffSource*>(handle);
    const std::uint64_t base = whence == SEEK_CUR   ? source.Position
                               : whence == SEEK_END ? source.Bytes.size()
                                                    : 0;
    source.Position = base + offset;  // past the end reads as a short read
    return source.Position;
}

int CloseProc(thandle_t)
{
    return 0;
}

toff_t SizeProc(thandle_t source)
{
    return static_cast<TiffSource*>(source)->Bytes.size();
}

int MapProc(thandle_t handle, void** base, toff_t* size)
{
    auto& source = *static_cast<TiffSource*>(handle);
    *base = source.Bytes.data();
    *size = source.Bytes.size();
    return 1;
}

void UnmapProc(thandle_t, void*, toff_t) {}

int OnError(TIFF*, void* source, const char*, const char* format, va_list args)
{
    std::string& error = static_cast<TiffSource*>(source)->Error;
    if (error.empty()) {
        char text[512];
        std::vsnprintf(text, sizeof text, format, args);
        error = text;
    }
    return 1;
}

int OnWarning(TIFF*, void*, const char*, const char*, va_list)
{
    return 1;  // warnings are not errors: nothing to show
}

class TiffPicture final : public SourcePicture {
public:
    explicit TiffPicture(int fd);
    ~TiffPicture() override
    {
        if (m_tiff)
            TIFFClose(m_tiff);
    }
    TiffPicture(const TiffPicture&) = delete;
    TiffPicture& operator=(const TiffPicture&) = delete;

    int Width() const override { return SwapsSides(m_orientation) ? m_height : m_width; }
    int Height() const override { return SwapsSides(m_orientation) ? m_width : m_height; }
    std::uint64_t Pixels() const { return std::uint64_t{m_width} * std::uint64_t{m_height}; }
    std::size_t FileBytes() const { return m_source.Bytes.size(); }
    bool Fits() const { return FitsPictureStorage(PixelFormat::pf32bit, m_width, m_height); }
    TBitmap Decode() override;
    std::vector<std::uint8_t> IccProfile() const override { return m_profile; }

private:
    [[noreturn]] void Fail(const char* fallback) const
    {
        throw EPictureError(kFormat, m_source.Error.empty() ? fallback : m_source.Error);
    }

    TiffSource m_source;
    TIFF* m_tiff = nullptr;
    std::uint32_t m_width = 0;
    std::uint32_t m_height = 0;
    int m_orientation = 1;
    std::vector<std::uint8_t> m_profile;
    std::optional<TBitmap> m_decoded;
};

// Opens the first page with libtiff's allocations bounded by the storage limit and its
// messages caught for this handle alone (workers decode at once).
TiffPicture::TiffPicture(int fd)
{
    m_source.Bytes = ReadWholeFile(fd);
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options)
        throw EOutOfResources();
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, static_cast<tmsize_t>(PictureStorageLimit()));
    TIFFOpenOptionsSetErrorHandlerExtR(options, OnError, &m_source);
    TIFFOpenOptionsSetWarningHandlerExtR(options, OnWarning, &m_source);
    m_tiff = TIFFClientOpenExt("TIFF", "r", &m_source, ReadProc, WriteProc, SeekProc, CloseProc,
                               SizeProc, MapProc, UnmapProc, options);
    TIFFOpenOptionsFree(options);
    if (!m_tiff)
        Fail("not a TIFF file");
    std::uint16_t orientation = ORIENTATION_TOPLEFT;
    if (!TIFFGetField(m_tiff, TIFFTAG_IMAGEWIDTH, &m_width) ||
        !TIFFGetField(m_tiff, TIFFTAG_IMAGELENGTH, &m_height) || m_width == 0 || m_height == 0 ||
        m_width > std::numeric_limits<int>::max() || m_height > std::numeric_limits<int>::max())
        Fail("no image size");
    TIFFGetFieldDefaulted(m_tiff, TIFFTAG_ORIENTATION, &orientation);
    m_orientation = orientation;
    std::uint32_t size = 0;
    const void* icc = nullptr;
    if (TIFFGetField(m_tiff, TIFFTAG_ICCPROFILE, &size, &icc) && icc &&
        icc::IsRgbProfile(static_cast<const std::uint8_t*>(icc), size)) {
        const auto* bytes = static_cast<const std::uint8_t*>(icc);
        m_profile.assign(bytes, bytes + size);
    }
}

// The RGBA reader asked for the page's own orientation flips nothing: the raster holds the
// rows as stored, which are then turned upright as an Exif orientation would be.
TBitmap TiffPicture::Decode()
{
    if (m_decoded)
        return *m_decoded;
    char reason[1024] = "";
    TIFFRGBAImage image {};
    if (!TIFFRGBAImageOK(m_tiff, reason) || !TIFFRGBAImageBegin(&image, m_tiff, 1, reason))
        throw EPictureError(kFormat, reason);
    image.req_orientation = static_cast<std::uint16_t>(m_orientation);
    std::vector<std::uint32_t> raster;
    try {
        raster.resize(static_cast<std::size_t>(Pixels()));
    } catch (const std::bad_alloc&) {
        TIFFRGBAImageEnd(&image);
        throw EOutOfResources();
    }
    const int got = TIFFRGBAImageGet(&image, raster.data(), m_width, m_height);
    TIFFRGBAImageEnd(&image);
    if (!got)
        Fail("cannot read the picture");
    TBitmap stored;
    stored.CreateForOverwrite(PixelFormat::pf24bit, static_cast<int>(m_width),
                              static_cast<int>(m_height));
    for (std::uint32_t y = 0; y < m_height; ++y) {
        const std::uint32_t* in = raster.data() + std::size_t{y} * m_width;
        std::uint8_t* out = stored.MutableScanLine(static_cast<int>(y));
        for (std::uint32_t x = 0; x < m_width; ++x, out += 3) {
            // Colours come premultiplied by alpha: over white, add what alpha leaves.
            const std::uint32_t p = in[x];
            const std::uint32_t white = 255 - TIFFGetA(p);
            out[0] = static_cast<std::uint8_t>(std::min<std::uint32_t>(255, TIFFGetB(p) + white));
            out[1] = static_cast<std::uint8_t>(std::min<std::uint32_t>(255, TIFFGetG(p) + white));
            out[2] = static_cast<std::uint8_t>(std::min<std::uint32_t>(255, TIFFGetR(p) + white));
        }
    }
    raster = {};
    m_decoded = OrientUpright(stored, m_orientation);
    return *m_decoded;
}

class TiffFileReader final : public PictureReader {
public:
    std::optional<PictureHeader> ReadHeader(int fd) const override
    {
        const TiffPicture picture(fd);
        return PictureHeader{picture.Width(), picture.Height(), picture.Encoding()};
    }
    // The file, the raster (4 bytes a pixel), the picture as stored and turned upright (3
    // each) and libtiff's strip or tile.
    std::unique_ptr<SourcePicture> Open(int fd, const ReserveMemory& reserve) const override
    {
        auto picture = std::make_unique<TiffPicture>(fd);
        if (!picture->Fits())
            throw EOutOfResources();
        reserve(picture->FileBytes() + static_cast<std::size_t>(10 * picture->Pixels()));
        return picture;
    }
};

} // namespace

const PictureReader& TiffReader()
{
    static const TiffFileReader reader;
    return reader;
}

} // namespace kameola
