// SPDX-License-Identifier: MIT
// The date taken of HEIF files through libheif's metadata items and of TIFF files through
// libtiff's EXIF directory. Neither library prints anything.
#include "imaging/detail/DateTakenReaders.h"

#include "common/FileIo.h"
#include "imaging/detail/Exif.h"

#include <cstdarg>
#include <libheif/heif.h>
#include <memory>
#include <sys/stat.h>
#include <tiffio.h>
#include <unistd.h>
#include <vector>

namespace kameola::detail {

namespace {

// The largest Exif item read; cameras write some 64 KiB.
constexpr std::size_t kMaxExifItem = 4 << 20;

// libheif reads the file through these, at offsets of the caller's descriptor.
struct HeifSource {
    int fd;
    std::int64_t size;
    std::int64_t position = 0;
};

std::int64_t HeifPosition(void* user) { return static_cast<HeifSource*>(user)->position; }

int HeifRead(void* data, size_t size, void* user)
{
    auto* source = static_cast<HeifSource*>(user);
    std::size_t got = 0;
    if (!ReadAt(source->fd, static_cast<std::uint64_t>(source->position), data, size, &got) ||
        got != size)
        return 1;
    source->position += static_cast<std::int64_t>(size);
    return 0;
}

int HeifSeek(std::int64_t position, void* user)
{
    auto* source = static_cast<HeifSource*>(user);
    if (position < 0 || position > source->size)
        return 1;
    source->position = position;
    return 0;
}

heif_reader_grow_status HeifWait(std::int64_t target, void* user)
{
    return target > static_cast<HeifSource*>(user)->size ? heif_reader_grow_status_size_beyond_eof
                                                         : heif_reader_grow_status_size_reached;
}

const heif_reader kHeifReader = {1, HeifPosition, HeifRead, HeifSeek, HeifWait};

// The Exif item's bytes after its offset field, from the start of its TIFF header.
std::optional<DateTaken> DateInHeifItem(const heif_image_handle* image, heif_item_id id)
{
    const std::size_t size = heif_image_handle_get_metadata_size(image, id);
    if (size < 4 || size > kMaxExifItem)
        return std::nullopt;
    std::vector<std::uint8_t> item(size);
    if (heif_image_handle_get_metadata(image, id, item.data()).code != heif_error_Ok)
        return std::nullopt;
    const std::size_t skip = std::size_t{item[0]} << 24 | std::size_t{item[1]} << 16 |
                             std::size_t{item[2]} << 8 | item[3];
    if (skip > size - 4)
        return std::nullopt;
    return exif::DateTakenIn(item.data() + 4 + skip, size - 4 - skip);
}

// Holds libheif's start-up for one read; the calls count, so others may hold it too.
struct HeifLibrary {
    HeifLibrary() { heif_init(nullptr); }
    ~HeifLibrary() { heif_deinit(); }
    HeifLibrary(const HeifLibrary&) = delete;
    HeifLibrary& operator=(const HeifLibrary&) = delete;
};

int QuietTiff(TIFF*, void*, const char*, const char*, va_list) { return 1; }

} // namespace

std::optional<DateTaken> HeifDateTaken(int fd)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return std::nullopt;
    HeifSource source{fd, info.st_size};
    const HeifLibrary library;
    const std::unique_ptr<heif_context, void (*)(heif_context*)> context(heif_context_alloc(),
                                                                         heif_context_free);
    if (!context ||
        heif_context_read_from_reader(context.get(), &kHeifReader, &source, nullptr).code != heif_error_Ok)
        return std::nullopt;
    heif_image_handle* handle = nullptr;
    if (heif_context_get_primary_image_handle(context.get(), &handle).code != heif_error_Ok)
        return std::nullopt;
    const std::unique_ptr<heif_image_handle, void (*)(const heif_image_handle*)> image(
        handle, heif_image_handle_release);
    heif_item_id id = 0;
    if (heif_image_handle_get_list_of_metadata_block_IDs(image.get(), "Exif", &id, 1) != 1)
        return std::nullopt;
    return DateInHeifItem(image.get(), id);
}

std::optional<DateTaken> TiffDateTaken(int fd, const std::string& name)
{
    // libtiff closes the descriptor it is given.
    const int own = ::dup(fd);
    if (own < 0)
        return std::nullopt;
    const std::unique_ptr<TIFFOpenOptions, void (*)(TIFFOpenOptions*)> options(
        TIFFOpenOptionsAlloc(), TIFFOpenOptionsFree);
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), QuietTiff, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), QuietTiff, nullptr);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), kMaxExifItem);
    // "m": read, never map, so a file cut meanwhile cannot fault.
    TIFF* opened = TIFFFdOpenExt(own, name.c_str(), "rm", options.get());
    if (!opened) {
        ::close(own);
        return std::nullopt;
    }
    const std::unique_ptr<TIFF, void (*)(TIFF*)> tiff(opened, TIFFClose);
    toff_t directory = 0;
    if (TIFFGetField(tiff.get(), TIFFTAG_EXIFIFD, &directory) != 1 ||
        TIFFReadEXIFDirectory(tiff.get(), directory) != 1)
        return std::nullopt;
    const char* dateTime = nullptr;
    const char* offset = nullptr;
    if (TIFFGetField(tiff.get(), EXIFTAG_DATETIMEORIGINAL, &dateTime) != 1 || !dateTime)
        return std::nullopt;
    if (TIFFGetField(tiff.get(), EXIFTAG_OFFSETTIMEORIGINAL, &offset) != 1 || !offset)
        offset = "";
    return ParseExifDate(dateTime, offset);
}

} // namespace kameola::detail
