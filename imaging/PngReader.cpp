// SPDX-License-Identifier: MIT
// The PNG reader through libpng: palette, grey and 16-bit samples as 8-bit RGB laid over
// white, the eXIf chunk's orientation and the iCCP profile.
#include "common/Errors.h"
#include "imaging/Exif.h"
#include "imaging/HeldPicture.h"
#include "imaging/WebPixels.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <png.h>
#include <type_traits>

namespace kameola {

namespace {

const std::string kFormat = "PNG";
constexpr png_alloc_size_t kChunkLimit = 32u << 20;

// The stream being read and libpng's last error. Plain data: libpng's errors longjmp over it.
struct Source {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos;
    char message[200];
};

void ReadSource(png_structp png, png_bytep out, std::size_t count)
{
    auto* source = static_cast<Source*>(png_get_io_ptr(png));
    if (count > source->size - source->pos)
        png_error(png, "file cut short");
    std::memcpy(out, source->data + source->pos, count);
    source->pos += count;
}

void OnError(png_structp png, png_const_charp message)
{
    auto* source = static_cast<Source*>(png_get_error_ptr(png));
    std::snprintf(source->message, sizeof source->message, "%s", message);
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// Runs step(args), or returns false when libpng raised an error inside it. The longjmp skips
// every destructor between the two points: steps hold nothing that owns a resource.
template <class Args>
[[gnu::noinline]] bool Guarded(png_structp png, void (*step)(Args&), Args& args) noexcept
{
    static_assert(std::is_trivially_destructible_v<Args>, "a guarded step's arguments must be plain data");
    if (setjmp(png_jmpbuf(png)))
        return false;
    step(args);
    return true;
}

// libpng's read state over a source, destroyed with the object.
class Decoder {
public:
    explicit Decoder(Source& source) : m_source(source)
    {
        m_png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &source, OnError, OnWarning);
        if (m_png)
            m_info = png_create_info_struct(m_png);
        if (!m_png || !m_info) {
            png_destroy_read_struct(&m_png, &m_info, nullptr);
            throw EOutOfResources();
        }
        png_set_read_fn(m_png, &source, ReadSource);
        // An ancillary chunk is allocated at the length its header claims: a few bytes
        // could otherwise ask for gigabytes. Colour profiles stay far below this.
        png_set_chunk_malloc_max(m_png, kChunkLimit);
        // libpng's own eXIf handler allocates whatever the chunk claims, past that limit:
        // the chunk is skipped, its orientation found by ExifOrientation.
        static const png_byte kExif[] = "eXIf";
        png_set_keep_unknown_chunks(m_png, PNG_HANDLE_CHUNK_NEVER, kExif, 1);
    }
    ~Decoder() { png_destroy_read_struct(&m_png, &m_info, nullptr); }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    png_structp Png() const { return m_png; }
    png_infop Info() const { return m_info; }

    template <class Args>
    void Run(void (*step)(Args&), Args& args)
    {
        if (!Guarded(m_png, step, args))
            throw EPictureError(kFormat, m_source.message);
    }

private:
    Source& m_source;
    png_structp m_png = nullptr;
    png_infop m_info = nullptr;
};

// The header, and the transforms to 8- or 16-bit red, green, blue and perhaps alpha.
struct HeaderStep {
    png_structp png;
    png_infop info;
    png_uint_32 width, height;
    int passes, channels, depth;
    std::size_t rowBytes;
};

void ReadHeader(HeaderStep& a)
{
    png_read_info(a.png, a.info);
    a.width = png_get_image_width(a.png, a.info);
    a.height = png_get_image_height(a.png, a.info);
    png_set_expand(a.png);  // palette to RGB, grey under 8 bits to 8, tRNS to alpha
    png_set_gray_to_rgb(a.png);
    a.passes = png_set_interlace_handling(a.png);
    png_read_update_info(a.png, a.info);
    a.channels = png_get_channels(a.png, a.info);
    a.depth = png_get_bit_depth(a.png, a.info);
    a.rowBytes = png_get_rowbytes(a.png, a.info);
}

// Every row: an interlaced picture into a whole buffer, pass after pass; otherwise straight
// into the picture through one row buffer.
struct RowsStep {
    png_structp png;
    const HeaderStep* header;
    std::uint8_t* buffer;
    std::uint8_t* picture;
    std::size_t stride;
};

void ReadRows(RowsStep& a)
{
    const HeaderStep& h = *a.header;
    const bool whole = h.passes > 1;
    for (int pass = 0; pass < h.passes; ++pass) {
        for (png_uint_32 y = 0; y < h.height; ++y) {
            std::uint8_t* row = whole ? a.buffer + y * h.rowBytes : a.buffer;
            png_read_row(a.png, row, nullptr);
            if (!whole)
                web::ToBgrRow(row, static_cast<int>(h.width), h.channels, h.depth == 16,
                              a.picture + y * a.stride);
        }
    }
    if (whole) {
        for (png_uint_32 y = 0; y < h.height; ++y)
            web::ToBgrRow(a.buffer + y * h.rowBytes, static_cast<int>(h.width), h.channels,
                          h.depth == 16, a.picture + y * a.stride);
    }
}

// The chunks after the image data, for an eXIf written there.
struct EndStep {
    png_structp png;
    png_infop info;
};

void ReadEnd(EndStep& a) { png_read_end(a.png, a.info); }

// The orientation of the last eXIf chunk before IEND, before or after the image data,
// whatever its checksum; a chunk over the chunk limit or past the file's end is passed over.
int ExifOrientation(const std::vector<std::uint8_t>& bytes)
{
    const auto be32 = [](const std::uint8_t* p) {
        return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
    };
    int orientation = 1;
    for (std::size_t at = 8; bytes.size() >= at + 12;) {
        const std::uint32_t length = be32(&bytes[at]);
        const std::uint8_t* type = &bytes[at + 4];
        if (length > bytes.size() - at - 12 || std::memcmp(type, "IEND", 4) == 0)
            break;
        if (std::memcmp(type, "eXIf", 4) == 0 && length <= kChunkLimit)
            orientation = exif::TiffOrientation(type + 4, length);
        at += 12 + std::size_t{length};
    }
    return orientation;
}

class PngPicture final : public HeldPicture {
public:
    // The header read through libpng and checked; the bytes, the picture and libpng's row
    // buffer (the whole picture's rows when interlaced) reserved.
    PngPicture(std::vector<std::uint8_t> bytes, const ReserveMemory& reserve)
        : HeldPicture(std::move(bytes))
    {
        if (m_bytes.size() < 8 || png_sig_cmp(m_bytes.data(), 0, 8) != 0)
            throw EPictureError(kFormat, "not a PNG file");
        Source source{m_bytes.data(), m_bytes.size(), 0, "unknown error"};
        Decoder decoder(source);
        HeaderStep header{decoder.Png(), decoder.Info(), 0, 0, 0, 0, 0, 0};
        decoder.Run(ReadHeader, header);
        web::CheckSize(kFormat, header.width, header.height);
        m_width = static_cast<int>(header.width);
        m_height = static_cast<int>(header.height);
        const std::size_t bufferBytes = header.rowBytes * (header.passes > 1 ? header.height : 1);
        web::Reserve(reserve, m_bytes.size() + web::PictureBytes(m_width, m_height) + bufferBytes);
        m_orientation = ExifOrientation(m_bytes);
        png_charp name = nullptr;
        png_bytep profile = nullptr;
        png_uint_32 profileSize = 0;
        int compression = 0;
        if (png_get_iCCP(decoder.Png(), decoder.Info(), &name, &compression, &profile, &profileSize))
            m_profile = web::RgbProfile(profile, profileSize);
    }

private:
    TBitmap DecodeStored() override;
};

TBitmap PngPicture::DecodeStored()
{
    Source source{m_bytes.data(), m_bytes.size(), 0, "unknown error"};
    Decoder decoder(source);
    HeaderStep header{decoder.Png(), decoder.Info(), 0, 0, 0, 0, 0, 0};
    decoder.Run(ReadHeader, header);
    const std::size_t bufferBytes = header.rowBytes * (header.passes > 1 ? header.height : 1);
    TBitmap picture;
    picture.CreateForOverwrite(PixelFormat::pf24bit, m_width, m_height);
    const std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[bufferBytes]);
    if (!buffer)
        throw EOutOfResources();
    RowsStep rows{decoder.Png(), &header, buffer.get(), picture.MutableScanLine(0), picture.Stride()};
    decoder.Run(ReadRows, rows);
    EndStep end{decoder.Png(), decoder.Info()};
    Guarded(decoder.Png(), ReadEnd, end);  // a damaged tail leaves the picture whole
    return picture;
}

} // namespace

const PictureReader& PngReader()
{
    static const HeldPictureReader<PngPicture> reader;
    return reader;
}

} // namespace kameola
