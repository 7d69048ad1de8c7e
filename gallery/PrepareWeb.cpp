// SPDX-License-Identifier: MIT
// Preparing a PNG, WebP, GIF or AVIF entry's small image.
#include "gallery/detail/Prepare.h"

#include "common/Errors.h"
#include "common/FileIo.h"
#include "imaging/Bitmap.h"
#include "imaging/Jpeg.h"
#include "imaging/Orientation.h"
#include "imaging/WebPictures.h"
#include "gallery/detail/MemoryBudget.h"

#include <new>
#include <sys/stat.h>

namespace kameola {

namespace {

// The whole file, after its size is reserved in the budget. A file larger than a picture
// may be is refused before anything of its size is allocated.
std::vector<std::uint8_t> ReadWhole(int fd, MemoryBudget::Reservation& memory)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        throw EReadError();
    const auto size = static_cast<std::uint64_t>(std::max<off_t>(info.st_size, 0));
    if (size > PictureStorageLimit())
        throw EOutOfResources();
    memory = PictureMemoryBudget().Reserve(static_cast<std::size_t>(size));
    std::vector<std::uint8_t> bytes;
    try {
        bytes.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        throw EOutOfResources();
    }
    std::size_t got = 0;
    if (!ReadAt(fd, 0, bytes.data(), bytes.size(), &got))
        throw EReadError();
    bytes.resize(got);  // a file cut short since fstat ends where it ends
    return bytes;
}

} // namespace

void PrepareWebPicture(WebFormat format, int fd, PreparedEntry& result)
{
    MemoryBudget::Reservation memory;
    DecodedPicture decoded;
    {
        const std::vector<std::uint8_t> bytes = ReadWhole(fd, memory);
        // One reservation for the bytes and the decoder's peak together: waiting for the
        // second while holding the first could leave two entries waiting on each other.
        decoded = DecodeWebPicture(format, bytes.data(), bytes.size(), [&](std::size_t peak) {
            memory.Release();
            memory = PictureMemoryBudget().Reserve(bytes.size() + peak);
        });
    }
    const TBitmap& picture = decoded.Picture;
    const int orientation = decoded.Orientation;
    const bool swaps = SwapsSides(orientation);
    result.Height = swaps ? ThumbHeight(result.Width, picture.Width(), picture.Height())
                          : ThumbHeight(result.Width, picture.Height(), picture.Width());
    // Sampled at the stored orientation's size, then turned upright; no Exif is written.
    const TBitmap stretched = swaps ? StretchPicture(picture, result.Height, result.Width)
                                    : StretchPicture(picture, result.Width, result.Height);
    TJPEGImage jpeg;
    jpeg.AssignBitmap(OrientUpright(stretched, orientation));
    jpeg.SetIccProfile(std::move(decoded.IccProfile));
    jpeg.CompressJpeg();
    result.SmallImage = jpeg.Data().Bytes;
}

} // namespace kameola
