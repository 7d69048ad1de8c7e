// SPDX-License-Identifier: MIT
// LoadBmpFile: reads a BMP file (core, 40-byte and extended headers; uncompressed, bit
// fields, RLE8 and RLE4) into a TBitmap.
#include "common/Errors.h"
#include "common/FileIo.h"
#include "imaging/Bitmap.h"
#include "imaging/PixelOps.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <memory>

namespace kameola {

using namespace pixel;

namespace {

constexpr std::size_t kFileHeaderSize = 14;

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(Load16(p)); }
std::int32_t S32(const std::uint8_t* p) { return static_cast<std::int32_t>(Load32(p)); }

// The fields of the 40-byte header that the reader uses.
struct InfoHeader {
    std::uint32_t size = 0;  // 12 for a core header
    std::int32_t width = 0;
    std::int32_t height = 0;  // negative: top row first
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t imageSize = 0;
    std::uint32_t coloursUsed = 0;
    BitFields masks;
};

enum Compression : std::uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3 };

// Header sizes read: the 40-byte header and its extensions that keep its layout (52 and 56
// add the masks, 108 and 124 are the V4 and V5 headers). Others, such as OS/2 2.x's 16 and
// 64, are refused.
bool KnownInfoSize(std::uint32_t size)
{
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

// The picture format for a header, or throws EInvalidGraphic for one the picture model
// cannot hold (other depths, compressions, JPEG or PNG inside the file, RLE with the
// wrong depth, a negative width).
PixelFormat FormatFor(const InfoHeader& h)
{
    if (h.width < 0 || h.height == std::numeric_limits<std::int32_t>::min())
        throw EInvalidGraphic();
    switch (h.compression) {
    case kRle8:
        if (h.bitCount == 8)
            return PixelFormat::pfDevice;
        break;
    case kRle4:
        if (h.bitCount == 4)
            return PixelFormat::pfDevice;
        break;
    case kRgb:
    case kBitFields:
        switch (h.bitCount) {
        case 1: case 4: case 8: case 24:
            if (h.compression == kRgb)
                return h.bitCount == 1 ? PixelFormat::pf1bit
                       : h.bitCount == 4 ? PixelFormat::pf4bit
                       : h.bitCount == 8 ? PixelFormat::pf8bit : PixelFormat::pf24bit;
            break;
        case 16: return PixelFormat::pf16bit;
        case 32: return PixelFormat::pf32bit;
        }
        break;
    }
    throw EInvalidGraphic();
}

// Where RLE data is expanded to: a device-format picture, its current pixel and the
// colours the indices name. Pixels that would fall outside the picture are dropped.
class RleCanvas {
public:
    RleCanvas(const std::vector<PaletteEntry>& table, TBitmap& picture, bool topDown)
        : m_picture(picture), m_width(picture.Width()), m_height(picture.Height()),
          m_topDown(topDown)
    {
        for (std::size_t i = 0; i < std::min(table.size(), kPaletteCap); ++i)
            m_colours[i] = std::uint32_t{table[i].Red} << 16 | table[i].Green << 8 | table[i].Blue;
        SeekRow();
    }

    bool Done() const { return m_y >= m_height; }

    // An encoded run: one index (RLE8) or two alternating (RLE4).
    void PutRun(unsigned count, unsigned value, int bits)
    {
        unsigned k = 0;
        for (; k < count && m_x < m_width; ++k)
            Put(bits == 8 ? value : (k & 1) ? value & 0x0F : value >> 4);
        m_x += count - k;  // the pixels past the right edge
    }

    // An absolute run of count indices from the bytes at src[i..n), padded to a 16-bit
    // boundary; returns where the data goes on.
    std::size_t PutAbsolute(const std::uint8_t* src, std::size_t n, std::size_t i,
                            unsigned count, int bits)
    {
        const std::size_t bytes = bits == 8 ? count : (count + 1) / 2;
        const std::size_t avail = std::min(bytes, n - i);
        for (unsigned k = 0; k < count; ++k) {
            const std::size_t at = bits == 8 ? k : k / 2;
            if (at >= avail)
                break;
            const std::uint8_t b = src[i + at];
            Put(bits == 8 ? b : (k & 1) ? b & 0x0F : b >> 4);
        }
        return std::min(n, i + bytes + (bytes & 1));
    }

    void EndLine()
    {
        m_x = 0;
        ++m_y;
        SeekRow();
    }

    void Move(unsigned right, unsigned down)
    {
        m_x += right;
        m_y += down;
        SeekRow();
    }

private:
    void SeekRow()
    {
        m_row = m_y < m_height
                    ? m_picture.MutableScanLine(static_cast<int>(m_topDown ? m_y : m_height - 1 - m_y))
                    : nullptr;
    }

    void Put(unsigned index)
    {
        if (m_row && m_x < m_width)
            Store32(m_row + 4 * m_x, m_colours[index]);
        ++m_x;
    }

    TBitmap& m_picture;
    std::uint32_t m_colours[kPaletteCap] = {};  // indices past the table give black
    std::int64_t m_width, m_height;
    bool m_topDown;
    std::int64_t m_x = 0, m_y = 0;
    std::uint8_t* m_row = nullptr;
};

// Expands RLE8 or RLE4 data through the colour table into a device-format picture whose
// pixels are all 0. Rows are counted in file order. A stream cut short ends the picture
// where it stops. Every step consumes input, so the loop ends.
void ExpandRle(const std::uint8_t* src, std::size_t n, int bits,
               const std::vector<PaletteEntry>& table, TBitmap& picture, bool topDown)
{
    RleCanvas canvas(table, picture, topDown);
    std::size_t i = 0;
    while (i + 1 < n && !canvas.Done()) {
        const unsigned count = src[i], value = src[i + 1];
        i += 2;
        if (count > 0) {
            canvas.PutRun(count, value, bits);
        } else if (value == 0) {  // end of line
            canvas.EndLine();
        } else if (value == 1) {  // end of picture
            return;
        } else if (value == 2) {  // delta: right and down
            if (i + 1 >= n)
                return;
            canvas.Move(src[i], src[i + 1]);
            i += 2;
        } else {
            i = canvas.PutAbsolute(src, n, i, value, bits);
        }
    }
}

// Everything the headers say about the pixels.
struct BmpLayout {
    InfoHeader h;
    std::vector<PaletteEntry> table;
    PixelFormat format = PixelFormat::pf24bit;
    int width = 0;
    int height = 0;
    bool topDown = false;
    std::size_t pixelPos = 0;  // where the pixel data start
    std::size_t taken = 0;     // pixel bytes to use: the declared size, no more than the file holds
};

// The headers and colour table end within this many bytes: 14 + 124 + 12 + 256 × 4.
constexpr std::size_t kHeaderBytes = 2048;

// What the headers of a file say, read as far as the file holds them.
struct BmpFields {
    std::size_t fileSize = 0;
    bool signature = false;   // starts with "BM"
    std::size_t offset = 0;   // the file header's pixel data offset
    bool infoRead = false;    // the info header has a known size and lies within the file
    InfoHeader h;
    std::size_t headersEnd = 0;  // after the info header and any separate masks
    std::uint64_t colourCount = 0;
    std::size_t entrySize = 4;
    std::uint64_t tableEnd = 0;  // may lie past the end of the file
};

void ReadCoreHeader(const std::uint8_t* p, InfoHeader& h)
{
    h.width = U16(p + 4);
    h.height = U16(p + 6);
    h.planes = U16(p + 8);
    h.bitCount = U16(p + 10);
}

void ReadInfoHeader(const std::uint8_t* p, InfoHeader& h)
{
    h.width = S32(p + 4);
    h.height = S32(p + 8);
    h.planes = U16(p + 12);
    h.bitCount = U16(p + 14);
    h.compression = Load32(p + 16);
    h.imageSize = Load32(p + 20);
    h.coloursUsed = Load32(p + 32);
    if (h.size >= 52 && h.compression == kBitFields)
        h.masks = {Load32(p + 40), Load32(p + 44), Load32(p + 48)};
}

// Reads the fields of the file and info headers, the masks after a 40-byte header and the
// colour table's extent; decides nothing.
BmpFields ReadFields(const std::uint8_t* data, std::size_t size)
{
    BmpFields f;
    f.fileSize = size;
    if (size < kFileHeaderSize)
        return f;
    f.signature = data[0] == 'B' && data[1] == 'M';
    f.offset = Load32(data + 10);
    InfoHeader& h = f.h;
    const std::uint8_t* p = data + kFileHeaderSize;
    const std::size_t left = size - kFileHeaderSize;
    if (left < 4)
        return f;
    h.size = Load32(p);
    f.infoRead = (h.size == 12 || KnownInfoSize(h.size)) && left >= h.size;
    if (!f.infoRead)
        return f;
    if (h.size == 12)
        ReadCoreHeader(p, h);
    else
        ReadInfoHeader(p, h);
    f.headersEnd = kFileHeaderSize + h.size;

    // Masks after a 40-byte header.
    if (h.size == 40 && (h.bitCount == 16 || h.bitCount == 32) && h.compression == kBitFields) {
        if (size - f.headersEnd >= 12)
            h.masks = {Load32(data + f.headersEnd), Load32(data + f.headersEnd + 4),
                       Load32(data + f.headersEnd + 8)};
        f.headersEnd += 12;
    }

    f.colourCount = h.coloursUsed;
    if (f.colourCount == 0)
        f.colourCount = h.bitCount == 1 ? 2 : h.bitCount == 4 ? 16 : h.bitCount == 8 ? 256 : 0;
    f.entrySize = h.size == 12 ? 3 : 4;
    f.tableEnd = f.headersEnd + f.colourCount * f.entrySize;
    return f;
}

// Decides whether the file is accepted, before anything is allocated, and returns the
// picture format. Errors come in file order: a file cut short in its masks or colour
// table is a read error before a depth, compression or size is refused as invalid.
// Raises EReadError or EInvalidGraphic.
PixelFormat DecideBmp(const BmpFields& f)
{
    if (f.fileSize < kFileHeaderSize)  // a partial file header
        throw EReadError();
    if (!f.signature || !f.infoRead || f.h.planes != 1)
        throw EInvalidGraphic();
    if (f.tableEnd > f.fileSize)  // masks or colour table past the end
        throw EReadError();
    const PixelFormat format = FormatFor(f.h);
    const std::int64_t height = f.h.height;
    if (!FitsPictureStorage(format, static_cast<std::uint64_t>(f.h.width),
                            static_cast<std::uint64_t>(height < 0 ? -height : height)))
        throw EInvalidGraphic();
    return format;
}

// The layout of an accepted file. At most kPaletteCap colour table entries are kept;
// further entries are skipped, so the pixels still start after the whole table. The pixel
// data start at the file header's offset when it points past the headers and masks and
// into the file (a gap after the table, or a table shorter than its count); otherwise
// right after the table. Their size is the image size field or stride × |height| bytes,
// no more than the file holds.
BmpLayout LayoutFor(const BmpFields& f, PixelFormat format, const std::uint8_t* data)
{
    BmpLayout layout;
    const InfoHeader& h = layout.h = f.h;
    layout.format = format;
    layout.width = h.width;
    layout.height = h.height < 0 ? -h.height : h.height;
    layout.topDown = h.height < 0;

    layout.table.resize(std::min<std::uint64_t>(f.colourCount, kPaletteCap));
    for (std::size_t i = 0; i < layout.table.size(); ++i) {
        const std::uint8_t* e = data + f.headersEnd + i * f.entrySize;
        layout.table[i] = {e[2], e[1], e[0]};
    }
    if (format != PixelFormat::pfDevice && h.bitCount <= 8 &&
        layout.table.size() > (1u << h.bitCount))
        layout.table.resize(1u << h.bitCount);

    // A stride below 2^33 times a height below 2^31 stays within 64 bits.
    const std::uint64_t arrayBytes =
        PaddedStride(static_cast<std::uint64_t>(h.width), h.bitCount) * static_cast<std::uint64_t>(layout.height);
    const std::uint64_t dataSize = h.imageSize ? h.imageSize : arrayBytes;
    layout.pixelPos = f.offset >= f.headersEnd && f.offset < f.fileSize
                          ? f.offset
                          : static_cast<std::size_t>(f.tableEnd);
    layout.taken = static_cast<std::size_t>(std::min<std::uint64_t>(dataSize, f.fileSize - layout.pixelPos));
    return layout;
}

// Reads the headers of a file of `size` bytes whose first min(size, kHeaderBytes) bytes
// are at data, decides whether the file is accepted and lays out its pixels. Raises
// EReadError or EInvalidGraphic.
BmpLayout ValidateBmp(const std::uint8_t* data, std::size_t size)
{
    const BmpFields fields = ReadFields(data, size);
    return LayoutFor(fields, DecideBmp(fields), data);
}

// The picture an uncompressed file's pixels are copied into, rows not yet filled.
TBitmap NewPicture(BmpLayout& layout)
{
    TBitmap picture;
    picture.CreateForOverwrite(layout.format, layout.width, layout.height,
                               std::move(layout.table), layout.h.masks);
    return picture;
}

// The destination of file row r (rows are stored bottom-up unless the height was negative).
std::uint8_t* FileRow(TBitmap& picture, const BmpLayout& layout, int r)
{
    return picture.MutableScanLine(layout.topDown ? r : layout.height - 1 - r);
}

// Copies the pixel bytes into the rows in file order, cut at the pixel array's end;
// missing bytes are 0.
void CopyRows(TBitmap& picture, const BmpLayout& layout, const std::uint8_t* pixels)
{
    if (!picture.HasStorage())
        return;
    const std::size_t stride = picture.Stride();
    const std::size_t copied = std::min(layout.taken, stride * static_cast<std::size_t>(layout.height));
    for (int r = 0; r < layout.height; ++r) {
        std::uint8_t* to = FileRow(picture, layout, r);
        const std::size_t offset = static_cast<std::size_t>(r) * stride;
        const std::size_t n = offset < copied ? std::min(stride, copied - offset) : 0;
        std::memcpy(to, pixels + offset, n);
        std::memset(to + n, 0, stride - n);
    }
}

// Reads the pixel bytes straight from the file into the rows, a batch of rows per call;
// whatever the file no longer holds stays 0.
void ReadRows(TBitmap& picture, const BmpLayout& layout, int fd)
{
    if (!picture.HasStorage())
        return;
    const std::size_t stride = picture.Stride();
    const std::size_t copied = std::min(layout.taken, stride * static_cast<std::size_t>(layout.height));
    std::size_t done = 0;  // bytes read so far
    constexpr int kBatch = 256;
    iovec parts[kBatch];
    while (done < copied) {
        const int first = static_cast<int>(done / stride);
        const std::size_t skip = done % stride;
        int count = 0;
        std::size_t want = 0;
        for (int r = first; r < layout.height && count < kBatch && done + want < copied; ++r, ++count) {
            const std::size_t from = r == first ? skip : 0;
            const std::size_t n = std::min(stride - from, copied - done - want);
            parts[count] = {FileRow(picture, layout, r) + from, n};
            want += n;
        }
        std::size_t got = 0;
        const bool read = ReadPartsAt(fd, layout.pixelPos + done, parts, count, &got);
        done += got;
        if (!read || got < want)
            break;
    }
    // Clear what was not read: the rest of the last row touched and every row after it.
    for (int r = static_cast<int>(done / stride); r < layout.height; ++r) {
        const std::size_t from = r == static_cast<int>(done / stride) ? done % stride : 0;
        std::memset(FileRow(picture, layout, r) + from, 0, stride - from);
    }
}

// The bytes the picture's rows take, padded to 4 bytes each.
std::size_t StorageBytes(PixelFormat format, int width, int height)
{
    const std::uint64_t bits = static_cast<std::uint64_t>(width) * BitsPerPixel(format);
    return static_cast<std::size_t>((bits + 31) / 32 * 4 * static_cast<std::uint64_t>(height));
}

// Reads n bytes at offset into a buffer; fewer when the file ends first.
std::vector<std::uint8_t> ReadBytesAt(int fd, std::size_t offset, std::size_t n)
{
    std::vector<std::uint8_t> bytes(n);
    std::size_t got = 0;
    if (!ReadAt(fd, offset, bytes.data(), n, &got))
        throw EReadError();
    bytes.resize(got);
    return bytes;
}

} // namespace

void TBitmap::LoadBmpFile(const std::string& path)
{
    FileHandle file = OpenRegularFile(path);
    if (!file.Valid())
        throw EFOpenError(path);
    LoadBmpFile(file.Get());
}

void TBitmap::LoadBmpFile(int fd, const std::function<void(std::size_t bytes)>& beforeAllocating)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        throw EReadError();

    // A regular file: the headers first, then the pixels straight into the picture's rows,
    // so that a large picture is not held twice.
    std::vector<std::uint8_t> head =
        ReadBytesAt(fd, 0, std::min<std::size_t>(static_cast<std::size_t>(info.st_size), kHeaderBytes));
    const std::size_t size = head.size() < kHeaderBytes ? head.size() : static_cast<std::size_t>(info.st_size);
    if (size == 0) {
        *this = TBitmap();
        return;
    }
    BmpLayout layout = ValidateBmp(head.data(), size);
    if (beforeAllocating)
        beforeAllocating(StorageBytes(layout.format, layout.width, layout.height));
    TBitmap picture;
    if (layout.format == PixelFormat::pfDevice) {
        picture.Create(layout.format, layout.width, layout.height);
        const std::vector<std::uint8_t> data = ReadBytesAt(fd, layout.pixelPos, layout.taken);
        ExpandRle(data.data(), data.size(), layout.h.bitCount, layout.table, picture, layout.topDown);
    } else {
        picture = NewPicture(layout);
        ReadRows(picture, layout, fd);
    }
    *this = std::move(picture);
}

std::pair<int, int> ReadBmpFileSize(int fd)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        throw EReadError();
    const std::vector<std::uint8_t> head =
        ReadBytesAt(fd, 0, std::min<std::size_t>(static_cast<std::size_t>(info.st_size), kHeaderBytes));
    const std::size_t size = head.size() < kHeaderBytes ? head.size() : static_cast<std::size_t>(info.st_size);
    if (size == 0)
        return {0, 0};
    const BmpLayout layout = ValidateBmp(head.data(), size);
    return {layout.width, layout.height};
}

void TBitmap::LoadBmpData(const std::uint8_t* data, std::size_t size)
{
    LoadBmp(data, size);
}

void TBitmap::LoadBmp(const std::uint8_t* data, std::size_t size)
{
    // Nothing at all is an empty picture.
    if (size == 0) {
        *this = TBitmap();
        return;
    }
    BmpLayout layout = ValidateBmp(data, size);
    TBitmap picture;
    if (layout.format == PixelFormat::pfDevice) {
        picture.Create(layout.format, layout.width, layout.height);
        ExpandRle(data + layout.pixelPos, layout.taken, layout.h.bitCount, layout.table, picture,
                  layout.topDown);
    } else {
        picture = NewPicture(layout);
        CopyRows(picture, layout, data + layout.pixelPos);
    }
    *this = std::move(picture);
}

} // namespace kameola
