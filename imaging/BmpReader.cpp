// LoadBmpFile: reads a BMP file into a TBitmap.
#include "Bitmap.h"

#include "Errors.h"

namespace kameola {

void TBitmap::LoadBmpFile(const std::string& path)
{
    (void)path;
    throw EInvalidGraphic();
}

void TBitmap::LoadBmpData(const std::uint8_t* data, std::size_t size)
{
    LoadBmp(data, size);
}

void TBitmap::LoadBmp(const std::uint8_t*, std::size_t) { throw EInvalidGraphic(); }

} // namespace kameola
