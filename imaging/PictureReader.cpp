// SPDX-License-Identifier: MIT
// What every picture reader shares.
#include "imaging/PictureReader.h"

namespace kameola {

TBitmap SourcePicture::Stretch(int width, int height)
{
    return StretchPicture(Decode(), width, height);
}

std::vector<std::uint8_t> SourcePicture::IccProfile() const
{
    return {};
}

JpegSettings SourcePicture::Encoding() const
{
    return DefaultJpegSettings();
}

std::vector<std::uint8_t> EncodeOutput(const SourcePicture& source, const TBitmap& picture)
{
    TJPEGImage jpeg;
    jpeg.Settings() = source.Encoding();
    jpeg.AssignBitmap(picture);
    jpeg.SetIccProfile(source.IccProfile());
    jpeg.CompressJpeg();
    return jpeg.TakeStream();
}

} // namespace kameola
