// SPDX-License-Identifier: MIT
// Reading the first frame of a GIF file through giflib, record by record: later frames are
// never decoded.
#include "imaging/WebPictures.h"

#include "common/Errors.h"
#include "imaging/detail/WebPixels.h"

#include <algorithm>
#include <cstring>
#include <gif_lib.h>
#include <memory>
#include <vector>

namespace kameola {

namespace {

const std::string kFormat = "GIF";

struct Source {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos;
};

int ReadSource(GifFileType* gif, GifByteType* out, int count)
{
    auto* source = static_cast<Source*>(gif->UserData);
    const std::size_t n = std::min(static_cast<std::size_t>(std::max(count, 0)),
                                   source->size - source->pos);
    std::memcpy(out, source->data + source->pos, n);
    source->pos += n;
    return static_cast<int>(n);
}

[[noreturn]] void Refuse(int code)
{
    if (code == D_GIF_ERR_NOT_ENOUGH_MEM)
        throw EOutOfResources();
    const char* reason = GifErrorString(code);
    throw EPictureError(kFormat, reason ? reason : "error " + std::to_string(code));
}

void Close(GifFileType* gif)
{
    int error = 0;
    DGifCloseFile(gif, &error);
}

using GifFile = std::unique_ptr<GifFileType, decltype(&Close)>;

// Skips records up to the first image's descriptor and returns the transparent colour that
// its graphic control block names (-1 for none).
int FindFirstImage(GifFileType* gif)
{
    int transparent = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR)
            Refuse(gif->Error);
        if (type == IMAGE_DESC_RECORD_TYPE)
            break;
        if (type == TERMINATE_RECORD_TYPE)
            throw EPictureError(kFormat, "no image");
        if (type != EXTENSION_RECORD_TYPE)
            continue;
        int code = 0;
        GifByteType* block = nullptr;
        if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
            Refuse(gif->Error);
        GraphicsControlBlock control;
        if (code == GRAPHICS_EXT_FUNC_CODE && block &&
            DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK)
            transparent = control.TransparentColor;
        while (block) {
            if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
                Refuse(gif->Error);
        }
    }
    if (DGifGetImageDesc(gif) == GIF_ERROR)
        Refuse(gif->Error);
    return transparent;
}

// The rows of an interlaced frame in the order they are stored: every 8th from 0, every 8th
// from 4, every 4th from 2, every 2nd from 1.
std::vector<int> StoredRowOrder(int height, bool interlaced)
{
    std::vector<int> order;
    order.reserve(static_cast<std::size_t>(height));
    if (!interlaced) {
        for (int y = 0; y < height; ++y)
            order.push_back(y);
        return order;
    }
    constexpr int kStart[] = {0, 4, 2, 1};
    constexpr int kStep[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = kStart[pass]; y < height; y += kStep[pass])
            order.push_back(y);
    return order;
}

// Draws the frame's rows onto a white picture: transparent pixels and indexes past the
// colour table leave the white.
void DrawFrame(GifFileType* gif, const ColorMapObject& colours, int transparent, TBitmap& picture)
{
    const GifImageDesc& frame = gif->Image;
    std::vector<GifPixelType> line(static_cast<std::size_t>(frame.Width));
    for (int y : StoredRowOrder(frame.Height, frame.Interlace)) {
        if (DGifGetLine(gif, line.data(), frame.Width) == GIF_ERROR)
            Refuse(gif->Error);
        std::uint8_t* row = picture.MutableScanLine(frame.Top + y) + 3 * frame.Left;
        for (int x = 0; x < frame.Width; ++x, row += 3) {
            const int index = line[static_cast<std::size_t>(x)];
            if (index == transparent || index >= colours.ColorCount)
                continue;
            const GifColorType& c = colours.Colors[index];
            row[0] = c.Blue;
            row[1] = c.Green;
            row[2] = c.Red;
        }
    }
}

} // namespace

DecodedPicture DecodeGif(const std::uint8_t* data, std::size_t size, const ReserveMemory& reserve)
{
    Source source{data, size, 0};
    int error = 0;
    const GifFile gif(DGifOpen(&source, ReadSource, &error), Close);
    if (!gif)
        Refuse(error);
    const int transparent = FindFirstImage(gif.get());
    const GifImageDesc& frame = gif->Image;
    const ColorMapObject* colours = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    if (!colours)
        throw EPictureError(kFormat, GifErrorString(D_GIF_ERR_NO_COLOR_MAP));
    if (frame.Left < 0 || frame.Top < 0 || frame.Width <= 0 || frame.Height <= 0)
        throw EPictureError(kFormat, GifErrorString(D_GIF_ERR_IMAGE_DEFECT));
    // A first frame reaching past the logical screen enlarges it, as browsers show it.
    const std::uint64_t width = std::max<std::uint64_t>(gif->SWidth, std::uint64_t(frame.Left) + frame.Width);
    const std::uint64_t height = std::max<std::uint64_t>(gif->SHeight, std::uint64_t(frame.Top) + frame.Height);
    web::CheckSize(kFormat, width, height);
    web::Reserve(reserve, web::PictureBytes(static_cast<int>(width), static_cast<int>(height)) +
                              static_cast<std::size_t>(frame.Width) * 2);
    DecodedPicture result;
    result.Picture.CreateForOverwrite(PixelFormat::pf24bit, static_cast<int>(width), static_cast<int>(height));
    for (int y = 0; y < result.Picture.Height(); ++y)
        std::memset(result.Picture.MutableScanLine(y), 0xFF, result.Picture.Stride());
    DrawFrame(gif.get(), *colours, transparent, result.Picture);
    return result;
}

} // namespace kameola
