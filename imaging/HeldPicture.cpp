// SPDX-License-Identifier: MIT
// Pictures read whole into memory before they are decoded.
#include "imaging/HeldPicture.h"

#include "common/Errors.h"
#include "common/FileIo.h"
#include "imaging/Orientation.h"

#include <algorithm>
#include <new>
#include <sys/stat.h>

namespace kameola {

std::vector<std::uint8_t> ReadWholeFile(int fd, const ReserveMemory& reserve)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        throw EReadError();
    const auto size = static_cast<std::uint64_t>(std::max<off_t>(info.st_size, 0));
    if (size > PictureStorageLimit())
        throw EOutOfResources();
    if (reserve)
        reserve(static_cast<std::size_t>(size));
    std::vector<std::uint8_t> bytes;
    try {
        bytes.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        throw EOutOfResources();
    }
    std::size_t got = 0;
    if (!ReadAt(fd, 0, bytes.data(), bytes.size(), &got))
        throw EReadError();
    bytes.resize(got);
    return bytes;
}

int HeldPicture::Width() const
{
    return SwapsSides(m_orientation) ? m_height : m_width;
}

int HeldPicture::Height() const
{
    return SwapsSides(m_orientation) ? m_width : m_height;
}

TBitmap HeldPicture::Decode()
{
    return OrientUpright(DecodeStored(), m_orientation);
}

TBitmap HeldPicture::Stretch(int width, int height)
{
    const bool swapped = SwapsSides(m_orientation);
    const TBitmap stored = DecodeStored();
    return OrientUpright(swapped ? StretchPicture(stored, height, width)
                                 : StretchPicture(stored, width, height),
                         m_orientation);
}

} // namespace kameola
