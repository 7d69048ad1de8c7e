// SPDX-License-Identifier: MIT
// Preparing one entry: sizes, small image and conversion, encoded in memory.
#include "gallery/detail/Prepare.h"

#include "common/Errors.h"
#include "common/FileIo.h"
#include "imaging/PictureReader.h"
#include "gallery/detail/MemoryBudget.h"
#include "gallery/Naming.h"
#include "gallery/Plan.h"

#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace kameola {

namespace {

// round(width × h ÷ w) with halves to even: the product in 32-bit integer arithmetic
// (wrapping as such arithmetic does), the quotient in floating point. Division by zero
// raises the floating-point errors instead of giving NaN or infinity.
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

// Whether a file holds what the entry would write there: not older than the source, a
// JPEG stream of the given size and, when given, progressive or baseline as asked. Only
// the output's header is read.
bool UpToDate(const std::string& output, const struct stat& source, int width, int height,
              std::optional<bool> progressive = std::nullopt)
{
    struct stat info {};
    FileHandle file = OpenRegularFile(output, &info);
    if (!file.Valid() || Older(info, source))
        return false;
    const std::optional<PictureHeader> header = JpegReader().ReadHeader(file.Get());
    return header && header->Width == width && header->Height == height &&
           (!progressive || header->Encoding.ProgressiveOutput == *progressive);
}

// The entry's file, the folder an update keeps outputs in (empty when not updating) and
// the plan: what the preparation of one kind of picture needs.
struct EntrySource {
    const PlannedEntry& Plan;
    int Fd;
    const struct stat& Info;
    const std::string& UpdateFolder;

    bool Updating() const { return !UpdateFolder.empty(); }
    std::string Output(const std::string& name) const { return JoinOutputPath(UpdateFolder, name); }
    // With no small image nor conversion the entry has nothing to keep: a copy alone does
    // not spare the check of the stream unless it is there and not older.
    bool CopyKept() const
    {
        struct stat info {};
        return !Plan.CopyTarget.empty() && ::stat(Output(Plan.CopyTarget).c_str(), &info) == 0 &&
               !Older(info, Info);
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
    const bool kept =
        (small.empty() || UpToDate(source.Output(small), source.Info, result.Width, height,
                                   header->Encoding.ProgressiveOutput)) &&
        (converted.empty() ||
         UpToDate(source.Output(converted), source.Info, header->Width, header->Height));
    if (kept)
        result.Height = height;
    return kept;
}

void PreparePicture(const EntrySource& source, const PictureReader& reader, PreparedEntry& result)
{
    if (source.Updating()) {
        result.OutputsKept = OutputsKept(source, reader, result);
        if (result.OutputsKept)
            return;
    }
    MemoryBudget::Reservation memory;
    const std::unique_ptr<SourcePicture> picture =
        reader.Open(source.Fd, [&memory](std::size_t bytes) {
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
    if (converted) {
        // Raised only after the small image is written, where a one-at-a-time run meets it.
        try {
            result.Conversion = EncodeOutput(*picture, picture->Decode());
        } catch (...) {
            result.ConversionError = std::current_exception();
        }
    }
}

} // namespace

bool Older(const struct stat& file, const struct stat& than)
{
    return file.st_mtim.tv_sec != than.st_mtim.tv_sec ? file.st_mtim.tv_sec < than.st_mtim.tv_sec
                                                      : file.st_mtim.tv_nsec < than.st_mtim.tv_nsec;
}

PreparedEntry PrepareEntry(const std::string& path, const PlannedEntry& plan, int thumbWidth,
                           const std::string& updateFolder)
{
    PreparedEntry result;
    result.Width = thumbWidth;
    result.Height = static_cast<int>(std::nearbyint(thumbWidth * 0.75));
    const bool copied = !plan.CopyTarget.empty();
    struct stat info {};
    FileHandle file(-1);
    if (plan.Reader || copied) {
        file = OpenRegularFile(path, &info);
        if (!file.Valid() && plan.Reader)
            throw EFOpenError(path);
    }
    if (plan.Reader)
        PreparePicture({plan, file.Get(), info, updateFolder}, *plan.Reader, result);
    if (copied)
        result.Source = std::move(file);
    return result;
}

} // namespace kameola
