// SPDX-License-Identifier: MIT
// StretchPicture for TBitmap: nearest neighbour, or black prevailing for monochrome sources.
#include "common/Errors.h"
#include "imaging/Bitmap.h"
#include "imaging/PixelOps.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace kameola {

using namespace pixel;

namespace {

// Result column or row i covers source columns [Begin(i), End(i)): those whose nearest
// result index is i, or the one it samples when enlarging.
struct Span {
    int dstSize, srcSize;
    int Begin(int i) const { return NearestSourceIndex(i, dstSize, srcSize); }
    int End(int i) const
    {
        const int end = i + 1 < dstSize ? NearestSourceIndex(i + 1, dstSize, srcSize) : srcSize;
        return std::max(end, Begin(i) + 1);
    }
};

// The index of the darker of a monochrome table's two colours; 0 without a second entry.
unsigned DarkIndex(const std::vector<PaletteEntry>& palette)
{
    if (palette.size() < 2)
        return 0;
    auto luma = [](const PaletteEntry& e) { return 299 * e.Red + 587 * e.Green + 114 * e.Blue; };
    return luma(palette[1]) < luma(palette[0]) ? 1 : 0;
}

// Monochrome: the pixels that fall onto one result pixel are combined so that black
// prevails when shrinking, whichever table entry is black: AND of the bits when entry 0
// is the darker, OR when entry 1 is.
void StretchMonochrome(const TBitmap& source, TBitmap& result)
{
    const Span cols{result.Width(), source.Width()}, rows{result.Height(), source.Height()};
    const unsigned dark = DarkIndex(source.Palette());
    std::vector<std::uint8_t> acc(source.Stride());
    for (int y = 0; y < result.Height(); ++y) {
        const int r0 = rows.Begin(y), r1 = rows.End(y);
        std::memcpy(acc.data(), source.ScanLine(r0), acc.size());
        for (int r = r0 + 1; r < r1; ++r) {
            const std::uint8_t* line = source.ScanLine(r);
            for (std::size_t i = 0; i < acc.size(); ++i)
                acc[i] = dark ? acc[i] | line[i] : acc[i] & line[i];
        }
        std::uint8_t* to = result.MutableScanLine(y);
        for (int x = 0; x < result.Width(); ++x) {
            unsigned bit = 1 - dark;
            for (int c = cols.Begin(x), end = cols.End(x); c < end && bit != dark; ++c)
                bit = IndexAt(acc.data(), c, 1);
            SetIndex(to, x, 1, bit);
        }
    }
}

// Every other format: each result pixel is a copy of the source pixel NearestSourceIndex
// picks, as raw bits (indexed pixels keep their index, so their colour). When the result
// got other masks than the source (a red mask of 0 replaced), pixels are converted.
void StretchNearest(const TBitmap& source, TBitmap& result)
{
    const int width = result.Width(), height = result.Height();
    const int bits = BitsPerPixel(source.Format());
    const std::size_t bytes = static_cast<std::size_t>(bits / 8);
    std::vector<int> columns(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x)
        columns[x] = NearestSourceIndex(x, width, source.Width());

    const bool convert = result.Masks() != source.Masks();
    std::vector<std::uint8_t> rgb(convert ? static_cast<std::size_t>(source.Width()) * 3 : 0);
    const BitFields masks = result.Masks();

    int previous = -1;
    for (int y = 0; y < height; ++y) {
        const int sy = NearestSourceIndex(y, height, source.Height());
        std::uint8_t* to = result.MutableScanLine(y);
        if (sy == previous) {  // a repeated row
            std::memcpy(to, result.ScanLine(y - 1), result.Stride());
            continue;
        }
        previous = sy;
        const std::uint8_t* from = source.ScanLine(sy);
        if (convert) {
            source.RowToRgb(sy, rgb.data());
            for (int x = 0; x < width; ++x) {
                const std::uint8_t* c = &rgb[static_cast<std::size_t>(columns[x]) * 3];
                const std::uint32_t v = EncodeMasked(masks, c[0], c[1], c[2]);
                if (bits == 16)
                    Store16(to + 2 * x, v);
                else
                    Store32(to + 4 * x, v);
            }
        } else if (bits < 8) {
            for (int x = 0; x < width; ++x)
                SetIndex(to, x, bits, IndexAt(from, columns[x], bits));
        } else {
            for (int x = 0; x < width; ++x)
                std::memcpy(to + x * bytes, from + columns[x] * bytes, bytes);
        }
    }
}

} // namespace

int NearestSourceIndex(int dst, int dstSize, int srcSize)
{
    return static_cast<int>(static_cast<std::int64_t>(dst) * srcSize / dstSize);
}

TBitmap StretchPicture(const TBitmap& source, int width, int height)
{
    // A copy of the source's format, table and masks at the new size, white. (Width and
    // height at once: a tall source stretched small needs no storage W × source height.)
    TBitmap result = source;
    result.SetSize(width, height);
    if (!source.HasStorage() || !result.HasStorage())
        return result;
    if (source.Monochrome())
        StretchMonochrome(source, result);
    else
        StretchNearest(source, result);
    return result;
}

} // namespace kameola
