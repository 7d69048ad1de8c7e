// SPDX-License-Identifier: MIT
// What the picture readers' fuzz targets share: the input as a file, opened, sized,
// stretched, decoded and encoded as the run would. Refusals are the readers' errors; any
// other exception escapes and is reported as a crash.
#pragma once

#include "common/Errors.h"
#include "imaging/PictureReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

namespace kameola::fuzz {

inline int FuzzReader(const PictureReader& reader, const std::uint8_t* data, std::size_t size)
{
    // Small enough that a lying header cannot slow the run down with huge pictures.
    SetPictureStorageLimit(std::size_t{64} << 20);
    static const int fd = memfd_create("fuzz", 0);
    if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size))
        std::abort();
    try {
        std::size_t reserved = 0;
        const auto picture = reader.Open(fd, [&](std::size_t bytes) { reserved = bytes; });
        if (picture->Width() <= 0 || picture->Height() <= 0 || reserved == 0)
            std::abort();
        const TBitmap small = picture->Stretch(24, 17);
        if (small.Width() != 24 || small.Height() != 17)
            std::abort();
        const TBitmap whole = picture->Decode();
        if (whole.Format() != PixelFormat::pf24bit)
            std::abort();
        if (EncodeOutput(*picture, small).empty())
            std::abort();
        if (const auto header = reader.ReadHeader(fd);
            header && (header->Width != picture->Width() || header->Height != picture->Height()))
            std::abort();
    } catch (const EPictureError&) {
    } catch (const EOutOfResources&) {
    } catch (const EReadError&) {
    }
    return 0;
}

} // namespace kameola::fuzz
