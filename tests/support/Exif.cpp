// SPDX-License-Identifier: MIT
// Exif dates in JPEG, TIFF and HEIF files, for the tests.
#include "tests/support/Exif.h"

#include "tests/support/Files.h"
#include "tests/support/Jpeg.h"

#include <cstdlib>
#include <ctime>
#include <libheif/heif.h>
#include <memory>
#include <stdexcept>

namespace kameola::test {

namespace {

// A TIFF structure in the making: directories of entries whose longer values go to the
// end, written in the chosen byte order.
class TiffWriter {
public:
    explicit TiffWriter(bool big) : m_big(big) {}

    void U16(Bytes& out, std::uint32_t v) const
    {
        const std::uint8_t lo = static_cast<std::uint8_t>(v), hi = static_cast<std::uint8_t>(v >> 8);
        out.insert(out.end(), m_big ? std::initializer_list<std::uint8_t>{hi, lo}
                                    : std::initializer_list<std::uint8_t>{lo, hi});
    }
    void U32(Bytes& out, std::uint32_t v) const
    {
        if (m_big) {
            U16(out, v >> 16);
            U16(out, v & 0xFFFF);
        } else {
            U16(out, v & 0xFFFF);
            U16(out, v >> 16);
        }
    }
    // A SHORT or LONG entry with one value held in place.
    void Number(Bytes& dir, std::uint16_t tag, std::uint16_t type, std::uint32_t value) const
    {
        U16(dir, tag);
        U16(dir, type);
        U32(dir, 1);
        if (type == 3) {
            U16(dir, value);
            U16(dir, 0);
        } else {
            U32(dir, value);
        }
    }
    // An ASCII entry whose text (with its zero) sits at valueAt.
    void Ascii(Bytes& dir, std::uint16_t tag, const std::string& text, std::uint32_t valueAt) const
    {
        U16(dir, tag);
        U16(dir, 2);
        U32(dir, static_cast<std::uint32_t>(text.size() + 1));
        U32(dir, valueAt);
    }

private:
    bool m_big;
};

} // namespace

Bytes ExifTiff(const ExifDate& date, bool image)
{
    const TiffWriter w(date.BigEndian);
    const std::uint32_t first = 8;
    const std::uint32_t firstCount = image ? 10 : 1;
    const std::uint32_t exif = first + 2 + 12 * firstCount + 4;
    const std::uint32_t exifCount = (date.DateTime.empty() ? 0 : 1) + (date.Offset.empty() ? 0 : 1);
    const std::uint32_t texts = exif + 2 + 12 * exifCount + 4;
    const std::uint32_t pixel = texts + static_cast<std::uint32_t>(date.DateTime.size() + date.Offset.size() + 2);

    Bytes out = date.BigEndian ? Bytes{'M', 'M'} : Bytes{'I', 'I'};
    w.U16(out, 42);
    w.U32(out, first);
    w.U16(out, firstCount);
    if (image) {
        for (const auto& [tag, value] : std::initializer_list<std::pair<std::uint16_t, std::uint32_t>>{
                 {256, 1}, {257, 1}, {258, 8}, {259, 1}, {262, 1}, {273, pixel}, {277, 1}, {278, 1}, {279, 1}})
            w.Number(out, tag, tag == 273 || tag == 279 ? 4 : 3, value);
    }
    w.Number(out, 0x8769, 4, exif);
    w.U32(out, 0);
    w.U16(out, exifCount);
    if (!date.DateTime.empty())
        w.Ascii(out, 0x9003, date.DateTime, texts);
    if (!date.Offset.empty())
        w.Ascii(out, 0x9011, date.Offset, static_cast<std::uint32_t>(texts + date.DateTime.size() + 1));
    w.U32(out, 0);
    for (const std::string* text : {&date.DateTime, &date.Offset}) {
        if (!text->empty()) {
            out.insert(out.end(), text->begin(), text->end());
            out.push_back(0);
        }
    }
    out.resize(pixel + 1, 0x80);
    return out;
}

void WriteJpegWithExif(const std::string& path, const ExifDate& date)
{
    Bytes jpeg = EncodeStream(StreamShape{}, PhotoLike(3));
    Bytes segment = {0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f', 0, 0};
    const Bytes tiff = ExifTiff(date);
    segment.insert(segment.end(), tiff.begin(), tiff.end());
    segment[2] = static_cast<std::uint8_t>((segment.size() - 2) >> 8);
    segment[3] = static_cast<std::uint8_t>(segment.size() - 2);
    jpeg.insert(jpeg.begin() + 2, segment.begin(), segment.end());
    WriteBytes(path, jpeg);
}

void WriteTiffWithExif(const std::string& path, const ExifDate& date)
{
    WriteBytes(path, ExifTiff(date, true));
}

bool WriteHeifWithExif(const std::string& path, const ExifDate& date)
{
    using Context = std::unique_ptr<heif_context, void (*)(heif_context*)>;
    const Context context(heif_context_alloc(), heif_context_free);
    heif_encoder* encoder = nullptr;
    if (heif_context_get_encoder_for_format(context.get(), heif_compression_HEVC, &encoder).code !=
            heif_error_Ok &&
        heif_context_get_encoder_for_format(context.get(), heif_compression_AV1, &encoder).code !=
            heif_error_Ok)
        return false;
    const std::unique_ptr<heif_encoder, void (*)(heif_encoder*)> owned(encoder, heif_encoder_release);
    heif_image* raw = nullptr;
    heif_image_create(64, 64, heif_colorspace_YCbCr, heif_chroma_420, &raw);
    const std::unique_ptr<heif_image, void (*)(const heif_image*)> picture(raw, heif_image_release);
    for (heif_channel channel : {heif_channel_Y, heif_channel_Cb, heif_channel_Cr}) {
        const int side = channel == heif_channel_Y ? 64 : 32;
        heif_image_add_plane(raw, channel, side, side, 8);
        int stride = 0;
        std::uint8_t* plane = heif_image_get_plane(raw, channel, &stride);
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x)
                plane[y * stride + x] = static_cast<std::uint8_t>(x * 4 + y);
    }
    heif_image_handle* handle = nullptr;
    if (heif_context_encode_image(context.get(), raw, encoder, nullptr, &handle).code != heif_error_Ok)
        throw std::runtime_error("cannot encode a HEIF picture");
    const std::unique_ptr<heif_image_handle, void (*)(const heif_image_handle*)> image(
        handle, heif_image_handle_release);
    const Bytes tiff = ExifTiff(date);
    if (heif_context_add_exif_metadata(context.get(), handle, tiff.data(), static_cast<int>(tiff.size())).code !=
            heif_error_Ok ||
        heif_context_write_to_file(context.get(), path.c_str()).code != heif_error_Ok)
        throw std::runtime_error("cannot write " + path);
    return true;
}

ScopedTimeZone::ScopedTimeZone(const char* zone)
{
    if (const char* old = std::getenv("TZ"))
        m_old = old;
    ::setenv("TZ", zone, 1);
    ::tzset();
}

ScopedTimeZone::~ScopedTimeZone()
{
    if (m_old)
        ::setenv("TZ", m_old->c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
}

} // namespace kameola::test
