// SPDX-License-Identifier: MIT
// Preparing one entry: sizes, small image and conversion, encoded in memory.
#include "gallery/Prepare.h"

#include "common/Errors.h"
#include "common/FileIo.h"
#include "common/FileState.h"
#include "imaging/Bitmap.h"
#include "imaging/Jpeg.h"
#include "imaging/Orientation.h"
#include "imaging/PictureReader.h"
#include "platform/MemoryBudget.h"

#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace kameola {

int ThumbHeight(int thumbWidth, int h, int w)
{
    auto product = static_cast<std::int32_t>(static_cast<std::uint32_t>(thumbWidth) *
                                              static_cast<std::uint32_t>(h));
    if (w == 0) {
        if (product == 0)
            throw EInvalidOp();
        throw EZeroDivide();
    }
    return static_cast<int>(std::nearbyint(static_cast<double>(product) / w));
}

namespace {

// The JPEG output the entry would write: its size and, when given, progressive or
// baseline as asked.
struct PictureOutput {
    int Width;
    int Height;
    std::optional<bool> Progressive;
};

// Whether a file is up to date with the source as the picture the entry would write
// there. Only the output's header is read.
bool PictureUpToDate(const std::string& output, const struct stat& source,
                     TimeResolution resolution, const PictureOutput& expected)
{
    struct stat info {};
    FileHandle file = OpenRegularFile(output, &info);
    if (!file.Valid())
        return false;
    const std::optional<PictureHeader> header = JpegReader().ReadHeader(file.Get());
    return UpToDate(info, source, resolution,
                    header && header->Width == expected.Width &&
                        header->Height == expected.Height &&
                        (!expected.Progressive ||
                         header->Encoding.ProgressiveOutput == *expected.Progressive));
}

// The entry's file, whether the run updates and the plan: what the preparation of one
// kind of picture needs.
struct EntrySource {
    const PlannedEntry& Plan;
    int Fd;
    const struct stat& Info;
    std::optional<TimeResolution> Update;

    // With no small image nor conversion the entry has nothing to keep: a copy alone does
    // not spare the check of the stream unless it is up to date.
    bool CopyKept() const
    {
        return !Plan.CopyTarget.empty() &&
               CopyStateOf(Plan.CopyTarget, Info, *Update) == CopyState::Current;
    }
};

// Under --update: whether the small image and the conversion the plan names are up to
// date, the size read from the file's header alone; without either, whether the copy is.
// Sets the cell's height when they are.
bool OutputsKept(const EntrySource& source, const PictureReader& reader, PreparedEntry& result)
{
    const std::string& small = source.Plan.SmallImage;
    const std::string& converted = source.Plan.Conversion;
    if (small.empty() && converted.empty() && !source.CopyKept())
        return false;
    const std::optional<PictureHeader> header = reader.ReadHeader(source.Fd);
    if (!header)
        return false;
    const int height = ThumbHeight(result.Width, header->Height, header->Width);
    const TimeResolution resolution = *source.Update;
    const bool kept =
        (small.empty() ||
         PictureUpToDate(small, source.Info, resolution,
                         {result.Width, height, header->Encoding.ProgressiveOutput})) &&
        (converted.empty() || PictureUpToDate(converted, source.Info, resolution,
                                              {header->Width, header->Height, std::nullopt}));
    if (kept)
        result.Height = height;
    return kept;
}

void PreparePicture(const EntrySource& source, const PictureReader& reader, PreparedEntry& result)
{
    if (source.Update) {
        result.OutputsKept = OutputsKept(source, reader, result);
        if (result.OutputsKept)
            return;
    }
    // A reservation never waits while holding another: a reader that learns more of the
    // decoder's peak reserves again after giving back what it had.
    MemoryBudget::Reservation memory;
    const std::unique_ptr<SourcePicture> picture =
        reader.Open(source.Fd, [&memory](std::size_t bytes) {
            memory.Release();
            memory = PictureMemoryBudget().Reserve(bytes);
        });
    // Size and small image follow the picture as shown upright; outputs carry its colour
    // profile and nothing else of its metadata.
    result.Height = ThumbHeight(result.Width, picture->Height(), picture->Width());
    const bool converted = !source.Plan.Conversion.empty();
    if (!source.Plan.SmallImage.empty())
        result.SmallImage = EncodeOutput(*picture, picture->Stretch(result.Width, result.Height));
    else if (!converted)
        picture->Stretch(1, 1);  // a damaged file stops the run without a large picture
    if (!converted)
        return;
    // Raised only after the small image is written, where a one-at-a-time run meets it.
    try {
        result.Conversion = EncodeOutput(*picture, picture->Decode());
    } catch (...) {
        result.ConversionError = std::current_exception();
    }
    // The picture's memory stays held until the conversion is committed.
    if (result.Conversion) {
        memory.Hold();
        result.Memory = std::move(memory);
    }
}

} // namespace

MemoryBudget& PictureMemoryBudget()
{
    static MemoryBudget budget(PictureStorageLimit);
    return budget;
}

PreparedEntry PrepareEntry(const PlannedEntry& plan, int thumbWidth,
                           std::optional<TimeResolution> update)
{
    const std::string& path = plan.Source;
    PreparedEntry result;
    result.Width = thumbWidth;
    result.Height = static_cast<int>(std::nearbyint(thumbWidth * 0.75));
    const bool copied = !plan.CopyTarget.empty();
    struct stat info {};
    FileHandle file(-1);
    const bool read = plan.Reader != nullptr;
    if (read || copied) {
        file = OpenRegularFile(path, &info);
        if (!file.Valid() && read)
            throw EFOpenError(path);
    }
    if (read)
        PreparePicture({plan, file.Get(), info, update}, *plan.Reader, result);
    result.SourceState = info;
    if (copied)
        result.Source = std::move(file);
    return result;
}

} // namespace kameola
