// Preparing one entry: sizes, small image and conversion, encoded in memory.
#include "gallery/detail/Prepare.h"

#include "common/Errors.h"
#include "common/FileIo.h"
#include "gallery/detail/MemoryBudget.h"
#include "gallery/Naming.h"
#include "imaging/Bitmap.h"
#include "imaging/Jpeg.h"
#include "imaging/Orientation.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
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

// Encodes the picture with the colour profile given (none when empty).
std::vector<std::uint8_t> Encode(TJPEGImage& jpeg, const TBitmap& picture,
                                 std::vector<std::uint8_t> iccProfile = {})
{
    jpeg.AssignBitmap(picture);
    jpeg.SetIccProfile(std::move(iccProfile));
    jpeg.CompressJpeg();
    return jpeg.Data().Bytes;
}

} // namespace

PreparedEntry PrepareEntry(const std::string& path, const PlannedEntry& plan, int thumbWidth)
{
    PreparedEntry result;
    result.Width = thumbWidth;
    result.Height = static_cast<int>(std::nearbyint(thumbWidth * 0.75));
    const FileClass fileClass = plan.Class;
    const bool small = !plan.SmallImage.empty();
    const bool copied = !plan.CopyTarget.empty();
    struct stat info {};
    FileHandle file(-1);
    if (fileClass != FileClass::Other || copied) {
        file = OpenRegularFile(path, &info);
        if (!file.Valid() && fileClass != FileClass::Other)
            throw EFOpenError(path);
    }
    MemoryBudget::Reservation memory;

    if (fileClass == FileClass::Bmp) {
        TBitmap picture;
        picture.LoadBmpFile(file.Get(), [&memory](std::size_t bytes) {
            memory = PictureMemoryBudget().Reserve(bytes);
        });
        result.Height = ThumbHeight(thumbWidth, picture.Height(), picture.Width());
        if (small) {
            TJPEGImage jpeg;
            result.SmallImage = Encode(jpeg, StretchPicture(picture, result.Width, result.Height));
        }
        if (!plan.Conversion.empty()) {
            // The conversion encodes the picture already read: the same bytes as reading
            // the file again, without decoding it twice.
            try {
                TJPEGImage jpeg;
                result.Conversion = Encode(jpeg, picture);
            } catch (...) {
                result.ConversionError = std::current_exception();
            }
        }
    } else if (fileClass == FileClass::Jpeg) {
        // The stream is held whole; the sampled rows take little beside it.
        memory = PictureMemoryBudget().Reserve(static_cast<std::size_t>(
            std::clamp<off_t>(info.st_size, 0, static_cast<off_t>(PictureStorageLimit()))));
        TJPEGImage jpeg;
        jpeg.LoadJpegFile(file.Get());
        // The whole stream is decoded, so a damaged file stops the run, but only the rows a
        // nearest-neighbour stretch samples are made into pixels: with the same errors and
        // the same small image as a full decode. The header gives the size. Without small
        // images a 1 × 1 stretch checks the stream without keeping a large picture. An
        // empty stream has no header, so it is decoded (and refused) first.
        if (jpeg.Data().Bytes.empty())
            jpeg.DecodeJpeg();
        // Size and small image follow the picture as shown upright (Exif orientation): the
        // small image is sampled from the stored picture at the stored-orientation size,
        // then turned; it is encoded without Exif.
        const int orientation = jpeg.Orientation();
        const bool swap = SwapsSides(orientation);
        result.Height = swap ? ThumbHeight(thumbWidth, jpeg.Width(), jpeg.Height())
                             : ThumbHeight(thumbWidth, jpeg.Height(), jpeg.Width());
        if (!small) {
            StretchPicture(jpeg, 1, 1);
        } else {
            const TBitmap stretched = swap ? StretchPicture(jpeg, result.Height, result.Width)
                                           : StretchPicture(jpeg, result.Width, result.Height);
            // The same JPEG picture encodes it, so a progressive source stays progressive;
            // it carries the source's RGB colour profile and nothing else of its metadata.
            result.SmallImage =
                Encode(jpeg, OrientUpright(stretched, orientation), jpeg.Data().IccProfile);
        }
    }
    if (copied)
        result.Source = std::move(file);
    return result;
}

} // namespace kameola
