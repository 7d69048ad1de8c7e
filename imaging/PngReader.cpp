// SPDX-License-Identifier: MIT
// Reading PNG files through libpng.
#include "imaging/WebPictures.h"

#include "common/Errors.h"
#include "imaging/detail/Exif.h"
#include "imaging/detail/WebPixels.h"

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
    int orientation;  // from an eXIf chunk before or after the image data
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

// The eXIf chunk, read as an unknown chunk: libpng's own handler allocates whatever length
// the chunk's header claims, while unknown chunks keep to the chunk allocation limit.
int OnUnknownChunk(png_structp png, png_unknown_chunkp chunk)
{
    if (std::memcmp(chunk->name, "eXIf", 4) != 0)
        return 0;
    auto* source = static_cast<Source*>(png_get_user_chunk_ptr(png));
    source->orientation = exif::TiffOrientation(chunk->data, chunk->size);
    return 1;
}

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
        static const png_byte kExif[] = "eXIf";
        png_set_keep_unknown_chunks(m_png, PNG_HANDLE_CHUNK_NEVER, kExif, 1);
        png_set_read_user_chunk_fn(m_png, &source, OnUnknownChunk);
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

} // namespace

DecodedPicture DecodePng(const std::uint8_t* data, std::size_t size, const ReserveMemory& reserve)
{
    if (size < 8 || png_sig_cmp(data, 0, 8) != 0)
        throw EPictureError(kFormat, "not a PNG file");
    Source source{data, size, 0, "unknown error", 1};
    Decoder decoder(source);
    HeaderStep header{decoder.Png(), decoder.Info(), 0, 0, 0, 0, 0, 0};
    decoder.Run(ReadHeader, header);
    web::CheckSize(kFormat, header.width, header.height);
    const int width = static_cast<int>(header.width);
    const int height = static_cast<int>(header.height);
    const std::size_t bufferBytes = header.rowBytes * (header.passes > 1 ? header.height : 1);
    web::Reserve(reserve, web::PictureBytes(width, height) + bufferBytes);

    DecodedPicture result;
    result.Picture.CreateForOverwrite(PixelFormat::pf24bit, width, height);
    const std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[bufferBytes]);
    if (!buffer)
        throw EOutOfResources();
    RowsStep rows{decoder.Png(), &header, buffer.get(), result.Picture.MutableScanLine(0),
                  result.Picture.Stride()};
    decoder.Run(ReadRows, rows);
    EndStep end{decoder.Png(), decoder.Info()};
    Guarded(decoder.Png(), ReadEnd, end);  // a damaged tail leaves the picture whole

    result.Orientation = source.orientation;
    png_charp name = nullptr;
    png_bytep profile = nullptr;
    png_uint_32 profileSize = 0;
    int compression = 0;
    if (png_get_iCCP(decoder.Png(), decoder.Info(), &name, &compression, &profile, &profileSize))
        result.IccProfile = web::RgbProfile(profile, profileSize);
    return result;
}

} // namespace kameola
