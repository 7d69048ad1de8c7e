// SPDX-License-Identifier: MIT
// Reading WebP files through libwebp: still pictures with WebPDecode, the first frame of an
// animation with WebPAnimDecoder, the EXIF and ICCP chunks through the demuxer.
#include "imaging/WebPictures.h"

#include "common/Errors.h"
#include "imaging/detail/Exif.h"
#include "imaging/detail/WebPixels.h"

#include <memory>
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

void DecodeStill(const WebPData& data, const ReserveMemory& reserve, TBitmap& picture)
{
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config))
        throw EPictureError(kFormat, "library version mismatch");
    const VP8StatusCode features = WebPGetFeatures(data.bytes, data.size, &config.input);
    if (features != VP8_STATUS_OK)
        Refuse(features);
    const int width = config.input.width;
    const int height = config.input.height;
    web::CheckSize(kFormat, static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height));
    web::Reserve(reserve, web::PictureBytes(width, height) +
                              kStillPeakPerPixel * static_cast<std::size_t>(width) * height);
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
}

void DecodeFirstFrame(const WebPData& data, WebPDemuxer* demux, const ReserveMemory& reserve,
                      TBitmap& picture)
{
    const auto width = static_cast<int>(WebPDemuxGetI(demux, WEBP_FF_CANVAS_WIDTH));
    const auto height = static_cast<int>(WebPDemuxGetI(demux, WEBP_FF_CANVAS_HEIGHT));
    web::CheckSize(kFormat, static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height));
    web::Reserve(reserve, web::PictureBytes(width, height) +
                              kAnimationPeakPerPixel * static_cast<std::size_t>(width) * height);
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
    picture.CreateForOverwrite(PixelFormat::pf24bit, width, height);
    const std::size_t stride = static_cast<std::size_t>(width) * 4;
    for (int y = 0; y < height; ++y)
        web::ToBgrRow(canvas + y * stride, width, 4, false, picture.MutableScanLine(y));
}

} // namespace

DecodedPicture DecodeWebp(const std::uint8_t* data, std::size_t size, const ReserveMemory& reserve)
{
    const WebPData bytes{data, size};
    const Demuxer demux = Demux(bytes);
    DecodedPicture result;
    if (WebPDemuxGetI(demux.get(), WEBP_FF_FORMAT_FLAGS) & ANIMATION_FLAG)
        DecodeFirstFrame(bytes, demux.get(), reserve, result.Picture);
    else
        DecodeStill(bytes, reserve, result.Picture);
    const WebPData exif = Chunk(demux.get(), "EXIF");
    if (exif.size > 0)
        result.Orientation = exif::BlockOrientation(exif.bytes, exif.size);
    const WebPData profile = Chunk(demux.get(), "ICCP");
    result.IccProfile = web::RgbProfile(profile.bytes, profile.size);
    return result;
}

} // namespace kameola
