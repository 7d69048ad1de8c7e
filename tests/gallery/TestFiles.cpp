// SPDX-License-Identifier: MIT
// Helpers for the gallery tests.
#include "tests/gallery/TestFiles.h"

#include "common/Errors.h"
#include "imaging/Bitmap.h"
#include "imaging/Jpeg.h"

#include <gtest/gtest.h>

namespace kameola::test {

void WriteJpeg(const std::string& path, int width, int height, bool progressive, bool grey)
{
    TBitmap picture;
    picture.Create(PixelFormat::pf24bit, width, height);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = picture.MutableScanLine(y);
        for (int x = 0; x < width * 3; ++x)
            row[x] = static_cast<std::uint8_t>((x * 7 + y * 3) & 0xFF);
    }
    TJPEGImage jpeg;
    jpeg.Settings().ProgressiveOutput = progressive;
    jpeg.Settings().ForceGrayscale = grey;
    jpeg.AssignBitmap(picture);
    jpeg.CompressJpeg();
    jpeg.SaveJpegFile(path);
}

std::pair<int, int> JpegSize(const std::string& path)
{
    TJPEGImage jpeg;
    jpeg.LoadJpegFile(path);
    return {jpeg.Width(), jpeg.Height()};
}

MessageAnswer RecordingHost::ShowMessage(const std::string& text, const std::string& caption,
                                         MessageButtons buttons)
{
    Messages.push_back({text, caption, buttons});
    return buttons == MessageButtons::YesNo ? Answer : MessageAnswer::Ok;
}

void RecordingHost::SetProgressRange(int bottom, int top)
{
    EXPECT_LE(bottom, top) << "the run asked for an empty range";
    RangeTop = top;
}

} // namespace kameola::test
