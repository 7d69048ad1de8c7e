// SPDX-License-Identifier: MIT
// Preparing one entry: sizes, small image and conversion, encoded in memory.
#include "gallery/detail/Prepare.h"

#include "common/Errors.h"
#include "common/FileIo.h"
#include "common/FileState.h"
#include "imaging/Bitmap.h"
#include "imaging/Jpeg.h"
#include "imaging/Orientation.h"
#include "gallery/detail/MemoryBudget.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
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

// Encodes the picture with the colour profile given (none when empty).
std::vector<std::uint8_t> Encode(TJPEGImage& jpeg, const TBitmap& picture,
                                 std::vector<std::uint8_t> iccProfile = {})
{
    jpeg.AssignBitmap(picture);
    jpeg.SetIccProfile(std::move(iccProfile));
    jpeg.CompressJpeg();
    return jpeg.TakeStream();
}

// Reads the stream's header from its first bytes only; false when they do not hold it
// (a large colour profile, a damaged file), for the caller to read the whole stream.
bool ReadJpegHeader(int fd, TJPEGImage& jpeg)
{
    constexpr std::size_t kHeadBytes = 64 * 1024;
    std::vector<std::uint8_t> head(kHeadBytes);
    std::size_t got = 0;
    if (!ReadAt(fd, 0, head.data(), head.size(), &got) || got == 0)
        return false;
    head.resize(got);
    try {
        jpeg.LoadJpegData(std::move(head));
    } catch (const Exception&) {
        return false;
    }
    return jpeg.Width() > 0 && jpeg.Height() > 0;
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
    TJPEGImage jpeg;
    return ReadJpegHeader(file.Get(), jpeg) && jpeg.Width() == width && jpeg.Height() == height &&
           (!progressive || jpeg.Settings().ProgressiveOutput == *progressive);
}

// The entry's file, whether the run updates and the plan: what the preparation of one
// kind of picture needs.
struct EntrySource {
    const PlannedEntry& Plan;
    int Fd;
    const struct stat& Info;
    bool Update;

    // With no small image nor conversion the entry has nothing to keep: a copy alone does
    // not spare the check of the stream unless it is up to date.
    bool CopyKept() const
    {
        return !Plan.CopyTarget.empty() && CopyStateOf(Plan.CopyTarget, Info) == CopyState::Current;
    }
};

void PrepareBmp(const EntrySource& source, PreparedEntry& result)
{
    const bool small = !source.Plan.SmallImage.empty();
    const bool converted = !source.Plan.Conversion.empty();
    if (source.Update && (small || converted || source.CopyKept())) {
        const auto [width, height] = ReadBmpFileSize(source.Fd);
        result.Height = ThumbHeight(result.Width, height, width);
        const bool progressive = DefaultJpegSettings().ProgressiveOutput;
        result.OutputsKept =
            (!small || UpToDate(source.Plan.SmallImage, source.Info, result.Width,
                                result.Height, progressive)) &&
            (!converted ||
             UpToDate(source.Plan.Conversion, source.Info, width, height));
        if (result.OutputsKept)
            return;
    }
    MemoryBudget::Reservation memory;
    TBitmap picture;
    picture.LoadBmpFile(source.Fd, [&memory](std::size_t bytes) {
        memory = PictureMemoryBudget().Reserve(bytes);
    });
    result.Height = ThumbHeight(result.Width, picture.Height(), picture.Width());
    if (small) {
        TJPEGImage jpeg;
        result.SmallImage = Encode(jpeg, StretchPicture(picture, result.Width, result.Height));
    }
    if (converted) {
        // The conversion encodes the picture already read: the same bytes as reading
        // the file again, without decoding it twice.
        try {
            TJPEGImage jpeg;
            result.Conversion = Encode(jpeg, picture);
        } catch (...) {
            result.ConversionError = std::current_exception();
        }
        if (result.Conversion) {
            memory.Hold();
            result.Memory = std::move(memory);
        }
    }
}

// The thumbnail's height for the picture as shown upright (Exif orientation).
int UprightHeight(const TJPEGImage& jpeg, int thumbWidth)
{
    return SwapsSides(jpeg.Orientation()) ? ThumbHeight(thumbWidth, jpeg.Width(), jpeg.Height())
                                          : ThumbHeight(thumbWidth, jpeg.Height(), jpeg.Width());
}

// Under --update: whether the small image (or, without one, the copy) is up to date, read
// from the headers alone; sets the cell's height when it is.
bool JpegOutputsKept(const EntrySource& source, PreparedEntry& result)
{
    TJPEGImage head;
    if (!ReadJpegHeader(source.Fd, head))
        return false;
    const int height = UprightHeight(head, result.Width);
    const bool kept = source.Plan.SmallImage.empty()
                          ? source.CopyKept()
                          : UpToDate(source.Plan.SmallImage, source.Info,
                                     result.Width, height, head.Settings().ProgressiveOutput);
    if (kept)
        result.Height = height;
    return kept;
}

// Reserves the memory of decoding the stream whose header jpeg holds (none read: the
// file's size alone). Coefficients beyond the storage limit raise EOutOfResources.
MemoryBudget::Reservation ReserveDecode(const struct stat& file, const TJPEGImage& jpeg)
{
    const std::uint64_t limit = PictureStorageLimit();
    const std::uint64_t coefficients = jpeg.Data().CoefficientBytes;
    if (coefficients > limit)
        throw EOutOfResources();
    const std::uint64_t stream = std::clamp<std::uint64_t>(
        static_cast<std::uint64_t>(std::max<off_t>(file.st_size, 0)), 0, limit);
    return PictureMemoryBudget().Reserve(static_cast<std::size_t>(stream + coefficients));
}

void PrepareJpeg(const EntrySource& source, PreparedEntry& result)
{
    if (source.Update) {
        result.OutputsKept = JpegOutputsKept(source, result);
        if (result.OutputsKept)
            return;
    }
    // The stream is held whole, and the coefficients of a multi-scan one while it
    // decodes; the sampled rows take little beside them. Known from the header first, the
    // two are reserved at once: a reservation never waits while holding another.
    TJPEGImage head;
    const bool headRead = ReadJpegHeader(source.Fd, head);
    MemoryBudget::Reservation memory = ReserveDecode(source.Info, head);
    TJPEGImage jpeg;
    jpeg.LoadJpegFile(source.Fd);
    if (!headRead && jpeg.Data().CoefficientBytes > 0) {
        memory.Release();
        memory = ReserveDecode(source.Info, jpeg);
    }
    // The whole stream is decoded, so a damaged file stops the run, but only the rows a
    // nearest-neighbour stretch samples are made into pixels: with the same errors and
    // the same small image as a full decode. The header gives the size. Without small
    // images a 1 × 1 stretch checks the stream without keeping a large picture. An
    // empty stream has no header, so it is decoded (and refused) first.
    if (jpeg.Data().Bytes.empty())
        jpeg.DecodeJpeg();
    // Size and small image follow the picture as shown upright: the small image is
    // sampled from the stored picture at the stored-orientation size, then turned; it is
    // encoded without Exif.
    result.Height = UprightHeight(jpeg, result.Width);
    if (source.Plan.SmallImage.empty()) {
        StretchPicture(jpeg, 1, 1);
        return;
    }
    const int orientation = jpeg.Orientation();
    const TBitmap stretched = SwapsSides(orientation)
                                  ? StretchPicture(jpeg, result.Height, result.Width)
                                  : StretchPicture(jpeg, result.Width, result.Height);
    // The same JPEG picture encodes it, so a progressive source stays progressive; it
    // carries the source's RGB colour profile and nothing else of its metadata.
    result.SmallImage = Encode(jpeg, OrientUpright(stretched, orientation), jpeg.Data().IccProfile);
}

} // namespace

PreparedEntry PrepareEntry(const PlannedEntry& plan, int thumbWidth, bool update)
{
    const std::string& path = plan.Source;
    PreparedEntry result;
    result.Width = thumbWidth;
    result.Height = static_cast<int>(std::nearbyint(thumbWidth * 0.75));
    const bool copied = !plan.CopyTarget.empty();
    struct stat info {};
    FileHandle file(-1);
    const bool read = plan.Class != FileClass::Other || plan.Web;
    if (read || copied) {
        file = OpenRegularFile(path, &info);
        if (!file.Valid() && read)
            throw EFOpenError(path);
    }
    const EntrySource source{plan, file.Get(), info, update};
    if (plan.Class == FileClass::Bmp)
        PrepareBmp(source, result);
    else if (plan.Class == FileClass::Jpeg)
        PrepareJpeg(source, result);
    else if (plan.Web)
        PrepareWebPicture(*plan.Web, file.Get(), result);
    if (copied)
        result.Source = std::move(file);
    return result;
}

} // namespace kameola
