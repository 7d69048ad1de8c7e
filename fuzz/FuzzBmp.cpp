// SPDX-License-Identifier: MIT
// libFuzzer target: the BMP reader, then rows as RGB and a stretch to a small size.
#include "common/Errors.h"
#include "imaging/Bitmap.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

using namespace kameola;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Small enough that a lying header cannot slow the run down with huge zeroed pictures.
    SetPictureStorageLimit(std::size_t{8} << 20);
    return 0;
}

namespace {

// What reading gave: 0 a picture, 1 a read error, 2 an invalid graphic.
template <class Load> int Outcome(TBitmap& picture, Load load)
{
    try {
        load(picture);
    } catch (const EReadError&) {
        return 1;
    } catch (const EInvalidGraphic&) {
        return 2;
    }
    return 0;
}

bool SamePixels(const TBitmap& a, const TBitmap& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height() || a.Format() != b.Format() ||
        a.HasStorage() != b.HasStorage() || !(a.Palette() == b.Palette()))
        return false;
    for (int y = 0; a.HasStorage() && y < a.Height(); ++y)
        if (std::memcmp(a.ScanLine(y), b.ScanLine(y), a.Stride()) != 0)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TBitmap picture;
    const int outcome = Outcome(picture, [&](TBitmap& p) { p.LoadBmpData(data, size); });

    // The file reader reads pixels straight into the picture: it must agree with the
    // reader from memory. An in-memory file keeps this fast.
    static const int fd = memfd_create("fuzz.bmp", 0);
    if (fd >= 0 && ftruncate(fd, 0) == 0 &&
        pwrite(fd, data, size, 0) == static_cast<ssize_t>(size)) {
        TBitmap fromFile;
        const std::string path = "/proc/self/fd/" + std::to_string(fd);
        if (Outcome(fromFile, [&](TBitmap& p) { p.LoadBmpFile(path); }) != outcome ||
            (outcome == 0 && !SamePixels(picture, fromFile)))
            std::abort();
    }
    if (outcome != 0)
        return 0;
    // Any other exception escapes and is reported as a crash.
    if (picture.HasStorage()) {  // a width without rows may be huge
        // The first rows and the last one: every row converts alike, and all of them would
        // make tall pictures slow.
        std::vector<std::uint8_t> rgb(static_cast<std::size_t>(picture.Width()) * 3);
        for (int y = 0; y < picture.Height() && y < 16; ++y)
            picture.RowToRgb(y, rgb.data());
        picture.RowToRgb(picture.Height() - 1, rgb.data());
    }

    const int w = size > 0 ? 1 + data[size - 1] % 40 : 3;
    const int h = size > 1 ? 1 + data[size - 2] % 40 : 5;
    const TBitmap small = StretchPicture(picture, w, h);
    std::vector<std::uint8_t> smallRgb(static_cast<std::size_t>(small.Width()) * 3);
    for (int y = 0; y < small.Height(); ++y)
        small.RowToRgb(y, smallRgb.data());
    TBitmap copy = small;
    if (copy.HasStorage())
        copy.MutableScanLine(0)[0] ^= 1;
    return 0;
}
