// SPDX-License-Identifier: MIT
// TBitmap: pixel storage, size changes and the conversion of any format to 24-bit rows.
#include "imaging/Bitmap.h"

#include "common/Errors.h"
#include "imaging/PixelOps.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>

namespace kameola {

using namespace pixel;

namespace {

std::atomic<std::size_t> g_storageLimit{std::size_t{1} << 30};

bool IsIndexed(PixelFormat format)
{
    return format == PixelFormat::pf1bit || format == PixelFormat::pf4bit ||
           format == PixelFormat::pf8bit;
}

// Masks given to a rebuilt 16- or 32-bit picture whose red mask is 0: 5-6-5 is the usual
// 16-bit bit-field layout (a red mask of 0 cannot describe any colour picture), 8-8-8 the
// plain 32-bit one.
constexpr BitFields kRebuilt16BitMasks{0xF800, 0x07E0, 0x001F};
constexpr BitFields kRebuilt32BitMasks = kPlain32BitMasks;

bool HasMaskLayout(PixelFormat format)
{
    return format == PixelFormat::pf16bit || format == PixelFormat::pf32bit;
}

// The palette index closest to white; all bits set when there is no table.
unsigned WhiteIndex(const std::vector<PaletteEntry>& palette, int bits)
{
    if (palette.empty())
        return (1u << bits) - 1;
    const unsigned count = std::min<unsigned>(static_cast<unsigned>(palette.size()), 1u << bits);
    unsigned best = 0;
    int bestDistance = -1;
    for (unsigned i = 0; i < count; ++i) {
        const int r = 255 - palette[i].Red, g = 255 - palette[i].Green, b = 255 - palette[i].Blue;
        const int distance = r * r + g * g + b * b;
        if (bestDistance < 0 || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

} // namespace

struct TBitmap::Storage {
    PixelFormat format = PixelFormat::pfDevice;
    int width = 0;
    int height = 0;
    std::size_t stride = 0;
    std::vector<PaletteEntry> palette;
    BitFields masks;
    std::unique_ptr<std::uint8_t[]> pixels;  // stride × height bytes, top row first, or none

    std::size_t Bytes() const { return pixels ? stride * static_cast<std::size_t>(height) : 0; }

    std::shared_ptr<Storage> Clone() const
    {
        auto copy = std::make_shared<Storage>();
        copy->format = format;
        copy->width = width;
        copy->height = height;
        copy->stride = stride;
        copy->palette = palette;
        copy->masks = masks;
        if (pixels) {
            copy->pixels.reset(new (std::nothrow) std::uint8_t[Bytes()]);
            if (!copy->pixels)
                throw EOutOfResources();
            std::memcpy(copy->pixels.get(), pixels.get(), Bytes());
        }
        return copy;
    }
};

int BitsPerPixel(PixelFormat format)
{
    switch (format) {
    case PixelFormat::pf1bit: return 1;
    case PixelFormat::pf4bit: return 4;
    case PixelFormat::pf8bit: return 8;
    case PixelFormat::pf16bit: return 16;
    case PixelFormat::pf24bit: return 24;
    case PixelFormat::pf32bit:
    case PixelFormat::pfDevice: return 32;
    }
    return 32;
}

std::size_t PictureStorageLimit() { return g_storageLimit.load(); }
void SetPictureStorageLimit(std::size_t bytes) { g_storageLimit.store(bytes); }

bool FitsPictureStorage(PixelFormat format, std::uint64_t width, std::uint64_t height)
{
    // The product is compared by division, so it is never formed when it would overflow.
    return height == 0 || PaddedStride(width, static_cast<unsigned>(BitsPerPixel(format))) <= PictureStorageLimit() / height;
}

TBitmap::TBitmap() : m_storage(std::make_shared<Storage>()) {}

int TBitmap::Width() const { return m_storage->width; }
int TBitmap::Height() const { return m_storage->height; }
PixelFormat TBitmap::Format() const { return m_storage->format; }
bool TBitmap::Monochrome() const { return m_storage->format == PixelFormat::pf1bit; }
bool TBitmap::HasStorage() const { return m_storage->pixels != nullptr; }
std::size_t TBitmap::Stride() const { return m_storage->stride; }
const std::vector<PaletteEntry>& TBitmap::Palette() const { return m_storage->palette; }
BitFields TBitmap::Masks() const { return m_storage->masks; }

const std::uint8_t* TBitmap::ScanLine(int row) const
{
    const Storage& s = *m_storage;
    if (!s.pixels || row < 0 || row >= s.height)
        return nullptr;
    return s.pixels.get() + static_cast<std::size_t>(row) * s.stride;
}

std::uint8_t* TBitmap::MutableScanLine(int row)
{
    if (!ScanLine(row))
        return nullptr;
    Detach();
    return m_storage->pixels.get() + static_cast<std::size_t>(row) * m_storage->stride;
}

void TBitmap::Detach()
{
    if (m_storage.use_count() > 1)
        m_storage = m_storage->Clone();
}

void TBitmap::Create(PixelFormat format, int width, int height,
                     std::vector<PaletteEntry> palette, BitFields masks)
{
    Allocate(format, width, height, std::move(palette), masks, true);
}

void TBitmap::CreateForOverwrite(PixelFormat format, int width, int height,
                                 std::vector<PaletteEntry> palette, BitFields masks)
{
    Allocate(format, width, height, std::move(palette), masks, false);
    const std::size_t used = (static_cast<std::size_t>(width) * BitsPerPixel(format) + 7) / 8;
    const std::size_t stride = m_storage->stride;
    if (used < stride) {
        for (int y = 0; y < height; ++y)
            std::memset(m_storage->pixels.get() + stride * static_cast<std::size_t>(y) + used, 0,
                        stride - used);
    }
}

void TBitmap::Allocate(PixelFormat format, int width, int height,
                       std::vector<PaletteEntry> palette, BitFields masks, bool zeroFill)
{
    if (width < 0 || height < 0)
        throw EOutOfResources();
    if (!FitsPictureStorage(format, static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height)))
        throw EOutOfResources();
    const std::uint64_t stride = PaddedStride(static_cast<std::uint64_t>(width),
                                                static_cast<unsigned>(BitsPerPixel(format)));

    auto storage = std::make_shared<Storage>();
    storage->format = format;
    storage->width = width;
    storage->height = height;
    storage->stride = static_cast<std::size_t>(stride);
    if (palette.size() > kPaletteCap)
        palette.resize(kPaletteCap);
    storage->palette = std::move(palette);
    storage->masks = HasMaskLayout(format) ? masks : BitFields{};
    const std::size_t bytes = storage->stride * static_cast<std::size_t>(height);
    if (bytes > 0) {
        storage->pixels.reset(zeroFill ? new (std::nothrow) std::uint8_t[bytes]()
                                       : new (std::nothrow) std::uint8_t[bytes]);
        if (!storage->pixels)
            throw EOutOfResources();
    }
    m_storage = std::move(storage);
}

void TBitmap::SetPalette(std::vector<PaletteEntry> palette)
{
    if (palette.size() > kPaletteCap)
        palette.resize(kPaletteCap);
    Detach();
    m_storage->palette = std::move(palette);
}

void TBitmap::SetWidth(int width) { SetSize(width, Height()); }
void TBitmap::SetHeight(int height) { SetSize(Width(), height); }

void TBitmap::SetSize(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    const Storage& old = *m_storage;
    const bool empty = old.width == 0 && old.height == 0;
    const PixelFormat format = empty ? PixelFormat::pfDevice : old.format;
    BitFields masks = empty ? BitFields{} : old.masks;
    if (HasMaskLayout(format) && masks.Any() && masks.Red == 0)
        masks = format == PixelFormat::pf16bit ? kRebuilt16BitMasks : kRebuilt32BitMasks;

    TBitmap fresh;
    fresh.Allocate(format, width, height, empty ? std::vector<PaletteEntry>{} : old.palette,
                   masks, false);
    if (fresh.m_storage->pixels) {
        FillWhite(*fresh.m_storage);
        CopyCorner(old, *fresh.m_storage);
    }
    m_storage = fresh.m_storage;
}

// White in the storage's layout, one row built and repeated.
void TBitmap::FillWhite(Storage& s)
{
    const int bits = BitsPerPixel(s.format);
    std::uint8_t* first = s.pixels.get();
    if (IsIndexed(s.format)) {
        const unsigned index = WhiteIndex(s.palette, bits);
        const unsigned pattern = bits == 1 ? (index ? 0xFF : 0) : bits == 4 ? index * 0x11 : index;
        std::memset(first, static_cast<int>(pattern), s.Bytes());
        return;
    }
    if (s.format == PixelFormat::pf24bit) {
        std::memset(first, 0xFF, s.Bytes());
        return;
    }
    const std::uint32_t white = EncodeMasked(EffectiveMasks(s.format, s.masks), 255, 255, 255);
    std::memset(first, 0, s.stride);
    for (int x = 0; x < s.width; ++x) {
        if (bits == 16)
            Store16(first + 2 * x, white);
        else
            Store32(first + 4 * x, white);
    }
    for (int y = 1; y < s.height; ++y)
        std::memcpy(first + y * s.stride, first, s.stride);
}

// The old pixels in the top-left corner of the new storage, converted when the masks changed.
void TBitmap::CopyCorner(const Storage& old, Storage& s)
{
    const int bits = BitsPerPixel(s.format);
    const int w = std::min(s.width, old.width);
    const int h = old.pixels ? std::min(s.height, old.height) : 0;
    const bool converted = s.masks != old.masks;
    const BitFields oldMasks = EffectiveMasks(s.format, old.masks);
    const Channel r(oldMasks.Red), g(oldMasks.Green), b(oldMasks.Blue);
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* from = old.pixels.get() + y * old.stride;
        std::uint8_t* to = s.pixels.get() + y * s.stride;
        if (converted) {
            for (int x = 0; x < w; ++x) {
                const std::uint32_t v = bits == 16 ? Load16(from + 2 * x) : Load32(from + 4 * x);
                const std::uint32_t n = EncodeMasked(s.masks, r.Widen(v), g.Widen(v), b.Widen(v));
                if (bits == 16)
                    Store16(to + 2 * x, n);
                else
                    Store32(to + 4 * x, n);
            }
        } else if (bits >= 8) {
            std::memcpy(to, from, static_cast<std::size_t>(w) * (bits / 8));
        } else {
            for (int x = 0; x < w; ++x)
                SetIndex(to, x, bits, IndexAt(from, x, bits));
        }
    }
}

void TBitmap::RowToRgb(int row, std::uint8_t* rgb) const
{
    const std::uint8_t* src = ScanLine(row);
    if (!src)
        return;
    const Storage& s = *m_storage;
    const int width = s.width;
    switch (s.format) {
    case PixelFormat::pf1bit:
    case PixelFormat::pf4bit:
    case PixelFormat::pf8bit: {
        const int bits = BitsPerPixel(s.format);
        PaletteEntry colours[kPaletteCap] = {};  // indices past the table stay black
        std::copy_n(s.palette.begin(), std::min(s.palette.size(), kPaletteCap), colours);
        for (int x = 0; x < width; ++x, rgb += 3) {
            const PaletteEntry& c = colours[IndexAt(src, x, bits)];
            rgb[0] = c.Red;
            rgb[1] = c.Green;
            rgb[2] = c.Blue;
        }
        return;
    }
    case PixelFormat::pf24bit:
        for (int x = 0; x < width; ++x, rgb += 3, src += 3) {
            rgb[0] = src[2];
            rgb[1] = src[1];
            rgb[2] = src[0];
        }
        return;
    case PixelFormat::pf32bit:
    case PixelFormat::pfDevice:
        if (!s.masks.Any()) {
            for (int x = 0; x < width; ++x, rgb += 3, src += 4) {
                rgb[0] = src[2];
                rgb[1] = src[1];
                rgb[2] = src[0];
            }
            return;
        }
        [[fallthrough]];
    case PixelFormat::pf16bit: {
        const BitFields masks = EffectiveMasks(s.format, s.masks);
        const Channel r(masks.Red), g(masks.Green), b(masks.Blue);
        const bool wide = s.format != PixelFormat::pf16bit;
        for (int x = 0; x < width; ++x, rgb += 3) {
            const std::uint32_t v = wide ? Load32(src + 4 * x) : Load16(src + 2 * x);
            rgb[0] = r.Widen(v);
            rgb[1] = g.Widen(v);
            rgb[2] = b.Widen(v);
        }
        return;
    }
    }
}

} // namespace kameola
