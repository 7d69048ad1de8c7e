// SPDX-License-Identifier: MIT
// The GIF reader through giflib: the first frame, read record by record (later frames are
// never decoded), drawn on the logical screen over white.
#include "common/Errors.h"
#include "imaging/HeldPicture.h"
#include "imaging/WebPixels.h"

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
    if (n > 0)  // an empty file's bytes may have no address
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

// A file opened up to its first image's descriptor: the frame, its colours and the size of
// the logical screen, which a first frame reaching past it enlarges, as browsers show it.
class FirstImage {
public:
    explicit FirstImage(const std::vector<std::uint8_t>& bytes) : m_source{bytes.data(), bytes.size(), 0}
    {
        int error = 0;
        m_gif.reset(DGifOpen(&m_source, ReadSource, &error));
        if (!m_gif)
            Refuse(error);
        Transparent = FindFirstImage(m_gif.get());
        const GifImageDesc& frame = m_gif->Image;
        Colours = frame.ColorMap ? frame.ColorMap : m_gif->SColorMap;
        if (!Colours)
            throw EPictureError(kFormat, GifErrorString(D_GIF_ERR_NO_COLOR_MAP));
        if (frame.Left < 0 || frame.Top < 0 || frame.Width <= 0 || frame.Height <= 0)
            throw EPictureError(kFormat, GifErrorString(D_GIF_ERR_IMAGE_DEFECT));
        Width = std::max<std::uint64_t>(m_gif->SWidth, std::uint64_t(frame.Left) + frame.Width);
        Height = std::max<std::uint64_t>(m_gif->SHeight, std::uint64_t(frame.Top) + frame.Height);
    }
    GifFileType* Gif() const { return m_gif.get(); }

    int Transparent = NO_TRANSPARENT_COLOR;
    const ColorMapObject* Colours = nullptr;
    std::uint64_t Width = 0;
    std::uint64_t Height = 0;

private:
    Source m_source;
    GifFile m_gif{nullptr, Close};
};

class GifPicture final : public HeldPicture {
public:
    // Read up to the first image, its screen's size checked, the bytes, the picture and a
    // line of the frame reserved.
    GifPicture(std::vector<std::uint8_t> bytes, const ReserveMemory& reserve)
        : HeldPicture(std::move(bytes))
    {
        const FirstImage first(m_bytes);
        web::CheckSize(kFormat, first.Width, first.Height);
        m_width = static_cast<int>(first.Width);
        m_height = static_cast<int>(first.Height);
        web::Reserve(reserve, m_bytes.size() + web::PictureBytes(m_width, m_height) +
                                  static_cast<std::size_t>(first.Gif()->Image.Width) * 2);
    }

private:
    TBitmap DecodeStored() override
    {
        const FirstImage first(m_bytes);
        TBitmap picture;
        picture.CreateForOverwrite(PixelFormat::pf24bit, m_width, m_height);
        for (int y = 0; y < m_height; ++y)
            std::memset(picture.MutableScanLine(y), 0xFF, picture.Stride());
        DrawFrame(first.Gif(), *first.Colours, first.Transparent, picture);
        return picture;
    }
};

} // namespace

const PictureReader& GifReader()
{
    static const HeldPictureReader<GifPicture> reader;
    return reader;
}

} // namespace kameola
