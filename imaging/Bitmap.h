// SPDX-License-Identifier: MIT
// TBitmap: an uncompressed picture with shared, copy-on-write pixel storage.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace kameola {

// Device format is the display's own: 32 bits, blue, green, red and an unused byte.
enum class PixelFormat { pf1bit, pf4bit, pf8bit, pf16bit, pf24bit, pf32bit, pfDevice };

int BitsPerPixel(PixelFormat format);

struct PaletteEntry {
    std::uint8_t Red = 0;
    std::uint8_t Green = 0;
    std::uint8_t Blue = 0;
    bool operator==(const PaletteEntry&) const = default;
};

// Channel masks of 16- and 32-bit pictures stored with explicit masks; all 0 when none.
struct BitFields {
    std::uint32_t Red = 0;
    std::uint32_t Green = 0;
    std::uint32_t Blue = 0;
    bool Any() const { return Red || Green || Blue; }
    bool operator==(const BitFields&) const = default;
};

// The common base of both picture classes.
class TGraphic {
public:
    virtual ~TGraphic() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
};

// The width and height of a BMP file as LoadBmpFile would read it (0 × 0 for an empty
// file), from its checked headers only. Raises EReadError or EInvalidGraphic.
std::pair<int, int> ReadBmpFileSize(int fd);

class TBitmap : public TGraphic {
public:
    TBitmap();

    // Reads a BMP file (see BmpReader.cpp). Raises EFOpenError, EReadError,
    // EInvalidGraphic or EOutOfResources.
    void LoadBmpFile(const std::string& path);
    // The same from an open file, read from its start with pread (its offset stays).
    // beforeAllocating, when given, is called with the picture's storage size once the
    // header is checked and before the pixels are allocated; it may wait or raise.
    void LoadBmpFile(int fd, const std::function<void(std::size_t bytes)>& beforeAllocating = {});
    // The same from bytes in memory.
    void LoadBmpData(const std::uint8_t* data, std::size_t size);

    int Width() const override;
    int Height() const override;
    PixelFormat Format() const;
    bool Monochrome() const;  // one bit per pixel
    bool HasStorage() const;  // false for an empty picture and for a width or height of 0
    std::size_t Stride() const;  // bytes per row, a multiple of 4

    const std::vector<PaletteEntry>& Palette() const;
    BitFields Masks() const;

    // Rows in picture order, top row 0. MutableScanLine duplicates shared storage first.
    const std::uint8_t* ScanLine(int row) const;
    std::uint8_t* MutableScanLine(int row);

    // New storage of the given format and size, every byte 0. The masks are kept for 16-
    // and 32-bit formats only; at most 256 palette entries are kept. A width or height of 0
    // gives no storage. Raises EOutOfResources when the storage cannot be made: a negative
    // size, more than PictureStorageLimit() bytes, or no memory.
    void Create(PixelFormat format, int width, int height,
                std::vector<PaletteEntry> palette = {}, BitFields masks = {});
    // Like Create, but only each row's padding is cleared: for decoders that write every
    // row in full, which saves clearing a large picture twice.
    void CreateForOverwrite(PixelFormat format, int width, int height,
                            std::vector<PaletteEntry> palette = {}, BitFields masks = {});
    // Replaces the colour table (at most 256 entries are kept); the pixels are unchanged.
    void SetPalette(std::vector<PaletteEntry> palette);

    // Size changes: new storage of the new size in the same format and palette, filled
    // with white, the old pixels copied into the top-left corner. A size of 0 leaves no
    // storage; a negative size counts as 0. An empty picture becomes a device-format
    // picture. A 16- or 32-bit picture with masks whose red mask is 0 gets the default
    // masks (5-6-5 or 8-8-8) and its pixels are converted to them. Raises EOutOfResources.
    void SetWidth(int width);
    void SetHeight(int height);
    // Both at once: the same picture as SetWidth then SetHeight, without the picture between.
    void SetSize(int width, int height);

    // One row as 24-bit red, green, blue samples (width × 3 bytes): indexed pixels through
    // the colour table (an index past the table's end gives black), channels narrower than
    // 8 bits widened by repeating their bits (5 bits: (v << 3) | (v >> 2)) so that full
    // scale gives 255, wider ones cut to their top 8 bits. Does nothing for a row outside
    // the picture.
    void RowToRgb(int row, std::uint8_t* rgb) const;

private:
    struct Storage;
    static void FillWhite(Storage& storage);
    static void CopyCorner(const Storage& old, Storage& storage);
    void Detach();
    void Allocate(PixelFormat format, int width, int height, std::vector<PaletteEntry> palette,
                  BitFields masks, bool zeroFill);
    void LoadBmp(const std::uint8_t* data, std::size_t size);
    std::shared_ptr<Storage> m_storage;
};

// Bytes of pixel storage a picture may have; 1 GiB unless changed. A BMP header or a
// size change asking for more is refused before anything is allocated. Besides
// bounding memory, it keeps stride × height far below the range of size_t and int.
std::size_t PictureStorageLimit();
void SetPictureStorageLimit(std::size_t bytes);

// Whether a picture of this format and size stays within PictureStorageLimit(); for
// checking a header before anything of that size is allocated. Rows are padded to 4 bytes.
bool FitsPictureStorage(PixelFormat format, std::uint64_t width, std::uint64_t height);

// The source row (or column) that nearest-neighbour stretching samples for result row
// dst of dstSize rows from a source of srcSize rows: floor(dst × srcSize / dstSize).
// Requires 0 <= dst < dstSize and srcSize > 0. A decoder that makes only the sampled
// rows must use this same rule.
int NearestSourceIndex(int dst, int dstSize, int srcSize);

// A new W × H picture in the source's format with the source drawn over it by nearest
// neighbour; for a monochrome source black prevails among the pixels that fall together.
// A negative size counts as 0; a size of 0 gives no storage but reports W × H. An empty
// source gives a white device-format picture. Raises EOutOfResources.
TBitmap StretchPicture(const TBitmap& source, int width, int height);

} // namespace kameola
