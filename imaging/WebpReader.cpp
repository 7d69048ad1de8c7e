// SPDX-License-Identifier: MIT
// The WebP reader through libwebp: still pictures with WebPDecode, the first frame of an
// animation with WebPAnimDecoder, the EXIF and ICCP chunks through the demuxer.
#include "common/Errors.h"
#include "imaging/Exif.h"
#include "imaging/HeldPicture.h"
#include "imaging/WebPixels.h"

#include <memory>
#include <tuple>
#include <utility>
#include <webp/decode.h>
#include <webp/demux.h>

namespace kameola {

namespace {

const std::string kFormat = "WebP";

// Bytes per pixel beside the picture that the decoders may hold at their peak: a lossless
// stream's own ARGB pixels and an RGBA output; for an animation two RGBA canvases and the
// frame being decoded.
constexpr std::size_t kStillPeakPerPixel = 8;
constexpr std::size_t kAnimationPeakPerPixel = 12;

[[noreturn]] void Refuse(VP8StatusCode status)
{
    switch (status) {
    case VP8_STATUS_OUT_OF_MEMORY: throw EOutOfResources();
    case VP8_STATUS_NOT_ENOUGH_DATA: throw EPictureError(kFormat, "file cut short");
    case VP8_STATUS_UNSUPPORTED_FEATURE: throw EPictureError(kFormat, "unsupported feature");
    case VP8_STATUS_BITSTREAM_ERROR: throw EPictureError(kFormat, "damaged bitstream");
    default: throw EPictureError(kFormat, "cannot decode (status " + std::to_string(status) + ")");
    }
}

using Demuxer = std::unique_ptr<WebPDemuxer, decltype(&WebPDemuxDelete)>;

// The container read whole; a file cut short or damaged is refused.
Demuxer Demux(const WebPData& data)
{
    WebPDemuxState state = WEBP_DEMUX_PARSE_ERROR;
    Demuxer demux(WebPDemuxPartial(&data, &state), WebPDemuxDelete);
    if (state == WEBP_DEMUX_PARSE_ERROR)
        throw EPictureError(kFormat, "not a WebP file or damaged container");
    if (!demux || state != WEBP_DEMUX_DONE)
        throw EPictureError(kFormat, "file cut short");
    return demux;
}

// The bytes of the chunk with this four-character name, or an empty chunk.
WebPData Chunk(WebPDemuxer* demux, const char* name)
{
    WebPChunkIterator chunk;
    WebPData bytes{nullptr, 0};
    if (WebPDemuxGetChunk(demux, name, 1, &chunk))
        bytes = chunk.chunk;
    WebPDemuxReleaseChunkIterator(&chunk);
    return bytes;
}

// The size of a still picture from its bitstream's header.
std::pair<int, int> StillSize(const WebPData& data)
{
    WebPBitstreamFeatures features;
    const VP8StatusCode status = WebPGetFeatures(data.bytes, data.size, &features);
    if (status != VP8_STATUS_OK)
        Refuse(status);
    return {features.width, features.height};
}

TBitmap DecodeStill(const WebPData& data)
{
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config))
        throw EPictureError(kFormat, "library version mismatch");
    const VP8StatusCode features = WebPGetFeatures(data.bytes, data.size, &config.input);
    if (features != VP8_STATUS_OK)
        Refuse(features);
    const int width = config.input.width;
    const int height = config.input.height;
    TBitmap picture;
    picture.CreateForOverwrite(PixelFormat::pf24bit, width, height);
    config.options.use_threads = 0;  // the run already decodes one picture per worker
    if (!config.input.has_alpha) {
        // Straight into the picture's rows, which are blue, green, red.
        config.output.colorspace = MODE_BGR;
        config.output.is_external_memory = 1;
        config.output.u.RGBA.rgba = picture.MutableScanLine(0);
        config.output.u.RGBA.stride = static_cast<int>(picture.Stride());
        config.output.u.RGBA.size = picture.Stride() * static_cast<std::size_t>(height);
    } else {
        config.output.colorspace = MODE_RGBA;
    }
    const VP8StatusCode status = WebPDecode(data.bytes, data.size, &config);
    const std::unique_ptr<WebPDecBuffer, decltype(&WebPFreeDecBuffer)> owned(&config.output,
                                                                             WebPFreeDecBuffer);
    if (status != VP8_STATUS_OK)
        Refuse(status);
    if (config.input.has_alpha) {
        const WebPRGBABuffer& rgba = config.output.u.RGBA;
        for (int y = 0; y < height; ++y)
            web::ToBgrRow(rgba.rgba + static_cast<std::size_t>(y) * rgba.stride, width, 4, false,
                          picture.MutableScanLine(y));
    }
    return picture;
}

TBitmap DecodeFirstFrame(const WebPData& data, int width, int height)
{
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options))
        throw EPictureError(kFormat, "library version mismatch");
    options.color_mode = MODE_RGBA;
    options.use_threads = 0;
    const std::unique_ptr<WebPAnimDecoder, decltype(&WebPAnimDecoderDelete)> decoder(
        WebPAnimDecoderNew(&data, &options), WebPAnimDecoderDelete);
    std::uint8_t* canvas = nullptr;
    int timestamp = 0;
    if (!decoder || !WebPAnimDecoderGetNext(decoder.get(), &canvas, &timestamp))
        throw EPictureError(kFormat, "damaged animation frame");
    TBitmap picture;
    picture.CreateForOverwrite(PixelFormat::pf24bit, width, height);
    const std::size_t stride = static_cast<std::size_t>(width) * 4;
    for (int y = 0; y < height; ++y)
        web::ToBgrRow(canvas + y * stride, width, 4, false, picture.MutableScanLine(y));
    return picture;
}

class WebpPicture final : public HeldPicture {
public:
    // The container read whole, the size of the still picture or of the animation's canvas
    // checked, and the bytes, the picture and the decoder's peak reserved.
    WebpPicture(std::vector<std::uint8_t> bytes, const ReserveMemory& reserve)
        : HeldPicture(std::move(bytes))
    {
        const WebPData data = Data();
        const Demuxer demux = Demux(data);
        m_animated = (WebPDemuxGetI(demux.get(), WEBP_FF_FORMAT_FLAGS) & ANIMATION_FLAG) != 0;
        if (m_animated) {
            m_width = static_cast<int>(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_WIDTH));
            m_height = static_cast<int>(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_HEIGHT));
        } else {
            std::tie(m_width, m_height) = StillSize(data);
        }
        web::CheckSize(kFormat, static_cast<std::uint64_t>(m_width), static_cast<std::uint64_t>(m_height));
        const std::size_t peak = m_animated ? kAnimationPeakPerPixel : kStillPeakPerPixel;
        web::Reserve(reserve, m_bytes.size() + web::PictureBytes(m_width, m_height) +
                                  peak * static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height));
        const WebPData exif = Chunk(demux.get(), "EXIF");
        if (exif.size > 0)
            m_orientation = exif::BlockOrientation(exif.bytes, exif.size);
        const WebPData profile = Chunk(demux.get(), "ICCP");
        m_profile = web::RgbProfile(profile.bytes, profile.size);
    }

private:
    WebPData Data() const { return {m_bytes.data(), m_bytes.size()}; }
    TBitmap DecodeStored() override
    {
        return m_animated ? DecodeFirstFrame(Data(), m_width, m_height) : DecodeStill(Data());
    }

    bool m_animated = false;
};

} // namespace

const PictureReader& WebpReader()
{
    static const HeldPictureReader<WebpPicture> reader;
    return reader;
}

} // namespace kameola
