// SPDX-License-Identifier: MIT
// PNG, WebP, GIF and AVIF/HEIF files made in memory through the formats' own encoders.
#include "tests/support/WebPictures.h"

#include <cstring>
#include <gif_lib.h>
#include <libheif/heif.h>
#include <memory>
#include <png.h>
#include <stdexcept>
#include <webp/encode.h>
#include <webp/mux.h>

namespace kameola::test {

namespace {

void Put32(Bytes& bytes, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

void AppendToBytes(png_structp png, png_bytep data, std::size_t size)
{
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + size);
}

int PngChannels(int colorType)
{
    switch (colorType) {
    case PNG_COLOR_TYPE_GRAY: case PNG_COLOR_TYPE_PALETTE: return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB: return 3;
    default: return 4;
    }
}

// The palette and its tRNS alphas.
void SetPalette(png_structp png, png_infop info, const std::vector<Rgba>& palette)
{
    std::vector<png_color> colours;
    std::vector<png_byte> alphas;
    for (const Rgba& c : palette) {
        colours.push_back({c.R, c.G, c.B});
        alphas.push_back(c.A);
    }
    png_set_PLTE(png, info, colours.data(), static_cast<int>(colours.size()));
    png_set_tRNS(png, info, alphas.data(), static_cast<int>(alphas.size()), nullptr);
}

void ThrowIf(bool failed, const char* what)
{
    if (failed)
        throw std::runtime_error(what);
}

} // namespace

RgbaPicture Plain(int width, int height, Rgba colour)
{
    return {width, height, std::vector<Rgba>(static_cast<std::size_t>(width * height), colour)};
}

RgbaPicture Halves(int width, int height, Rgba left, Rgba right)
{
    RgbaPicture picture = Plain(width, height, left);
    for (int y = 0; y < height; ++y)
        for (int x = width / 2; x < width; ++x)
            picture.Pixels[static_cast<std::size_t>(y * width + x)] = right;
    return picture;
}

Bytes SmallIccProfile(const char (&space)[5])
{
    Bytes profile(256, 0);
    Put32(profile, 0, 256);
    std::memcpy(&profile[8], "\x02\x10\0\0", 4);  // version 2.1
    std::memcpy(&profile[12], "mntr", 4);
    std::memcpy(&profile[16], space, 4);
    std::memcpy(&profile[20], "XYZ ", 4);
    std::memcpy(&profile[36], "acsp", 4);
    Put32(profile, 68, 0x0000F6D6);  // the D50 white point
    Put32(profile, 72, 0x00010000);
    Put32(profile, 76, 0x0000D32D);
    // Bytes that do not compress, so the iCCP chunk is long enough for every libpng.
    std::uint32_t seed = 12345;
    for (std::size_t i = 132; i < profile.size(); ++i) {
        seed = seed * 1103515245 + 12345;
        profile[i] = static_cast<std::uint8_t>(seed >> 16);
    }
    return profile;
}

Bytes TiffOrientationBlock(int orientation)
{
    Bytes block = {'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1,
                   0, static_cast<std::uint8_t>(orientation), 0, 0, 0, 0, 0, 0};
    return block;
}

Bytes RgbaSamples(const RgbaPicture& picture)
{
    Bytes samples;
    for (const Rgba& p : picture.Pixels)
        samples.insert(samples.end(), {p.R, p.G, p.B, p.A});
    return samples;
}

Bytes EncodePng(const PngShape& shape)
{
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    const std::size_t rowBytes =
        (static_cast<std::size_t>(shape.Width) * PngChannels(shape.ColorType) * shape.BitDepth + 7) / 8;
    std::vector<png_bytep> rows;
    for (int y = 0; y < shape.Height; ++y)
        rows.push_back(const_cast<png_bytep>(shape.Samples.data()) + y * rowBytes);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("libpng could not write the test file");
    }
    png_set_write_fn(png, &out, AppendToBytes, nullptr);
    png_set_IHDR(png, info, static_cast<png_uint_32>(shape.Width), static_cast<png_uint_32>(shape.Height),
                 shape.BitDepth, shape.ColorType,
                 shape.Interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!shape.Palette.empty())
        SetPalette(png, info, shape.Palette);
    if (!shape.Icc.empty())
        png_set_iCCP(png, info, "icc", 0, shape.Icc.data(), static_cast<png_uint_32>(shape.Icc.size()));
    const auto setExif = [&] {
        if (!shape.Exif.empty())
            png_set_eXIf_1(png, info, static_cast<png_uint_32>(shape.Exif.size()),
                           const_cast<png_bytep>(shape.Exif.data()));
    };
    if (!shape.ExifAfterData)
        setExif();
    png_write_info(png, info);
    png_set_interlace_handling(png);
    png_write_image(png, rows.data());
    if (shape.ExifAfterData)
        setExif();  // png_write_end writes what png_write_info did not
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

Bytes EncodeWebp(const RgbaPicture& picture, const Bytes& exif, const Bytes& icc)
{
    const Bytes samples = RgbaSamples(picture);
    std::uint8_t* encoded = nullptr;
    const std::size_t size = WebPEncodeLosslessRGBA(samples.data(), picture.Width, picture.Height,
                                                    picture.Width * 4, &encoded);
    ThrowIf(size == 0, "libwebp could not encode the test picture");
    Bytes bitstream(encoded, encoded + size);
    WebPFree(encoded);
    if (exif.empty() && icc.empty())
        return bitstream;
    const std::unique_ptr<WebPMux, decltype(&WebPMuxDelete)> mux(WebPMuxNew(), WebPMuxDelete);
    const WebPData image{bitstream.data(), bitstream.size()};
    WebPMuxSetImage(mux.get(), &image, 1);
    const WebPData exifData{exif.data(), exif.size()};
    const WebPData iccData{icc.data(), icc.size()};
    if (!exif.empty())
        WebPMuxSetChunk(mux.get(), "EXIF", &exifData, 1);
    if (!icc.empty())
        WebPMuxSetChunk(mux.get(), "ICCP", &iccData, 1);
    WebPData assembled{nullptr, 0};
    ThrowIf(WebPMuxAssemble(mux.get(), &assembled) != WEBP_MUX_OK, "libwebp mux failed");
    Bytes out(assembled.bytes, assembled.bytes + assembled.size);
    WebPDataClear(&assembled);
    return out;
}

Bytes EncodeAnimatedWebp(const std::vector<RgbaPicture>& frames)
{
    WebPAnimEncoderOptions options;
    WebPAnimEncoderOptionsInit(&options);
    const int width = frames.at(0).Width;
    const int height = frames.at(0).Height;
    const std::unique_ptr<WebPAnimEncoder, decltype(&WebPAnimEncoderDelete)> encoder(
        WebPAnimEncoderNew(width, height, &options), WebPAnimEncoderDelete);
    WebPConfig config;
    WebPConfigInit(&config);
    config.lossless = 1;
    int timestamp = 0;
    for (const RgbaPicture& frame : frames) {
        WebPPicture picture;
        WebPPictureInit(&picture);
        picture.use_argb = 1;
        picture.width = width;
        picture.height = height;
        const Bytes samples = RgbaSamples(frame);
        WebPPictureImportRGBA(&picture, samples.data(), width * 4);
        const bool added = WebPAnimEncoderAdd(encoder.get(), &picture, timestamp, &config);
        WebPPictureFree(&picture);
        ThrowIf(!added, "libwebp could not add a frame");
        timestamp += 100;
    }
    WebPAnimEncoderAdd(encoder.get(), nullptr, timestamp, nullptr);
    WebPData assembled{nullptr, 0};
    ThrowIf(!WebPAnimEncoderAssemble(encoder.get(), &assembled), "libwebp could not assemble");
    Bytes out(assembled.bytes, assembled.bytes + assembled.size);
    WebPDataClear(&assembled);
    return out;
}

namespace {

int AppendGif(GifFileType* gif, const GifByteType* data, int size)
{
    auto* out = static_cast<Bytes*>(gif->UserData);
    out->insert(out->end(), data, data + size);
    return size;
}

void PutGifFrame(GifFileType* gif, const GifFrame& frame)
{
    if (frame.Transparent >= 0) {
        GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 10, frame.Transparent};
        GifByteType block[4];
        EGifGCBToExtension(&control, block);
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, block);
    }
    EGifPutImageDesc(gif, frame.Left, frame.Top, frame.Width, frame.Height, frame.Interlaced, nullptr);
    std::vector<int> order;
    if (frame.Interlaced) {
        constexpr int kStart[] = {0, 4, 2, 1};
        constexpr int kStep[] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int y = kStart[pass]; y < frame.Height; y += kStep[pass])
                order.push_back(y);
    } else {
        for (int y = 0; y < frame.Height; ++y)
            order.push_back(y);
    }
    for (int y : order) {
        std::vector<GifPixelType> line(frame.Indexes.begin() + y * frame.Width,
                                       frame.Indexes.begin() + (y + 1) * frame.Width);
        EGifPutLine(gif, line.data(), frame.Width);
    }
}

} // namespace

Bytes EncodeGif(int screenWidth, int screenHeight, const std::vector<Rgba>& colours,
                const std::vector<GifFrame>& frames)
{
    Bytes out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, AppendGif, &error);
    ThrowIf(!gif, "giflib could not start");
    ColorMapObject* map = nullptr;
    if (!colours.empty()) {
        int count = 2;
        while (count < static_cast<int>(colours.size()))
            count *= 2;
        std::vector<GifColorType> table(static_cast<std::size_t>(count), GifColorType{0, 0, 0});
        for (std::size_t i = 0; i < colours.size(); ++i)
            table[i] = {colours[i].R, colours[i].G, colours[i].B};
        map = GifMakeMapObject(count, table.data());
    }
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, screenWidth, screenHeight, 8, 0, map);
    GifFreeMapObject(map);
    for (const GifFrame& frame : frames)
        PutGifFrame(gif, frame);
    EGifCloseFile(gif, &error);
    return out;
}

namespace {

heif_error AppendHeif(heif_context*, const void* data, std::size_t size, void* userdata)
{
    auto* out = static_cast<Bytes*>(userdata);
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
    return heif_error{heif_error_Ok, heif_suberror_Unspecified, "ok"};
}

// The picture as planes: red, green, blue (and alpha), or one grey plane of the red channel,
// of 8 or 10 bits a sample.
heif_image* HeifImage(const RgbaPicture& picture, const HeifEncoding& shape)
{
    heif_image* image = nullptr;
    heif_image_create(picture.Width, picture.Height,
                      shape.Grey ? heif_colorspace_monochrome : heif_colorspace_RGB,
                      shape.Grey ? heif_chroma_monochrome : heif_chroma_444, &image);
    const heif_channel kChannels[] = {heif_channel_R, heif_channel_G, heif_channel_B, heif_channel_Alpha};
    const int count = shape.Grey ? 1 : (shape.Alpha ? 4 : 3);
    const bool wide = shape.BitDepth > 8;
    for (int c = 0; c < count; ++c) {
        const heif_channel channel = shape.Grey ? heif_channel_Y : kChannels[c];
        heif_image_add_plane(image, channel, picture.Width, picture.Height, shape.BitDepth);
        int stride = 0;
        std::uint8_t* plane = heif_image_get_plane(image, channel, &stride);
        for (int y = 0; y < picture.Height; ++y) {
            for (int x = 0; x < picture.Width; ++x) {
                const Rgba& p = picture.At(x, y);
                const std::uint8_t sample = (c == 0 ? p.R : c == 1 ? p.G : c == 2 ? p.B : p.A);
                std::uint8_t* at = plane + y * stride + x * (wide ? 2 : 1);
                const unsigned v = wide ? (sample << 2 | sample >> 6) : sample;
                at[0] = static_cast<std::uint8_t>(v);
                if (wide)
                    at[1] = static_cast<std::uint8_t>(v >> 8);
            }
        }
    }
    return image;
}

} // namespace

Bytes EncodeHeifPicture(const RgbaPicture& picture, const HeifEncoding& shape)
{
    const std::unique_ptr<heif_context, decltype(&heif_context_free)> context(heif_context_alloc(), heif_context_free);
    heif_encoder* encoder = nullptr;
    ThrowIf(heif_context_get_encoder_for_format(context.get(),
                                                shape.Avif ? heif_compression_AV1 : heif_compression_HEVC,
                                                &encoder).code != heif_error_Ok,
            "no HEIF encoder");
    heif_encoder_set_lossy_quality(encoder, 95);
    // Debian 12's AV1 encoder asserts on 10-bit 4:2:0 and 4:4:4; 4:2:2 works.
    if (shape.Avif && shape.BitDepth > 8)
        heif_encoder_set_parameter_string(encoder, "chroma", "422");
    const std::unique_ptr<heif_image, decltype(&heif_image_release)> image(HeifImage(picture, shape),
                                                                           heif_image_release);
    if (!shape.Icc.empty())
        heif_image_set_raw_color_profile(image.get(), "prof", shape.Icc.data(), shape.Icc.size());
    heif_encoding_options* options = heif_encoding_options_alloc();
    options->image_orientation = static_cast<heif_orientation>(shape.Orientation);
    const heif_error encoded = heif_context_encode_image(context.get(), image.get(), encoder, options, nullptr);
    heif_encoding_options_free(options);
    heif_encoder_release(encoder);
    ThrowIf(encoded.code != heif_error_Ok, encoded.message);
    Bytes out;
    heif_writer writer{1, AppendHeif};
    ThrowIf(heif_context_write(context.get(), &writer, &out).code != heif_error_Ok, "cannot write HEIF");
    return out;
}

} // namespace kameola::test
