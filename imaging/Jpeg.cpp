// SPDX-License-Identifier: MIT
// TJPEGImage: a JPEG picture held as its stream and, once decoded, its pixels.
#include "imaging/Jpeg.h"

#include "common/Errors.h"
#include "common/FileIo.h"
#include "common/OutputFile.h"
#include "imaging/Bitmap.h"
#include "imaging/JpegCodec.h"
#include "imaging/JpegDecode.h"

#include <algorithm>
#include <sys/stat.h>
#include <jerror.h>

namespace kameola {
namespace {

// The file's bytes as fstat gives their number, read from offset 0. Only the first two
// are read when they are no start of image, so any file that is no JPEG fails as cheaply
// as the codec's check of those bytes. A stream larger than a picture may be is refused
// before anything of its size is allocated. Raises EReadError, EOutOfResources.
std::vector<std::uint8_t> ReadStream(int fd)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        throw EReadError();
    const auto size = static_cast<std::uint64_t>(std::max<off_t>(info.st_size, 0));
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::min<std::uint64_t>(size, 2)));
    std::size_t got = 0;
    if (!ReadAt(fd, 0, bytes.data(), bytes.size(), &got))
        throw EReadError();
    bytes.resize(got);
    if (got < 2 || bytes[0] != 0xFF || bytes[1] != 0xD8)
        return bytes;  // the codec reports it as it would for the whole file
    if (size > PictureStorageLimit())
        throw EOutOfResources();
    TranslatingAllocationFailure([&] { bytes.resize(static_cast<std::size_t>(size)); });
    if (!ReadAt(fd, 2, bytes.data() + 2, bytes.size() - 2, &got))
        throw EReadError();
    bytes.resize(2 + got);  // a file cut short since fstat ends where it ends
    return bytes;
}

// ---- Compression steps run under the codec's error manager ----

struct CompressSetUp {
    jpeg_compress_struct* info;
    JDIMENSION width;
    JDIMENSION height;
    bool bgr;  // rows are blue, green, red, else red, green, blue
    JpegSettings settings;
    const std::vector<std::uint8_t>* iccProfile;
};

void StartCompress(CompressSetUp& a)
{
    jpeg_compress_struct& info = *a.info;
    info.image_width = a.width;
    info.image_height = a.height;
    info.input_components = 3;
    info.in_color_space = a.bgr ? JCS_EXT_BGR : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, a.settings.EncodeQuality, TRUE);
    if (a.settings.ForceGrayscale)
        jpeg_set_colorspace(&info, JCS_GRAYSCALE);
    if (a.settings.ProgressiveOutput)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    // An RGB profile does not describe grey samples.
    if (!a.iccProfile->empty() && !a.settings.ForceGrayscale)
        jpeg_write_icc_profile(&info, a.iccProfile->data(),
                               static_cast<unsigned int>(a.iccProfile->size()));
}

struct RowStep {
    jpeg_compress_struct* info;
    JSAMPROW row;
};

void WriteRow(RowStep& a)
{
    jpeg_write_scanlines(a.info, &a.row, 1);
}

void FinishCompress(jpeg_compress_struct& info)
{
    jpeg_finish_compress(&info);
}

} // namespace

int DecodeDivisor(const JpegSettings& settings)
{
    return 1 << std::clamp(settings.DecodeScale, 0, 3);
}

JpegSettings& DefaultJpegSettings()
{
    static JpegSettings defaults;
    return defaults;
}

TJPEGImage::TJPEGImage() : m_settings(DefaultJpegSettings()), m_data(std::make_shared<TJPEGData>())
{
}

void TJPEGImage::LoadJpegFile(const std::string& path)
{
    FileHandle file = OpenRegularFile(path);
    if (!file.Valid())
        throw EFOpenError(path);
    LoadJpegFile(file.Get());
}

void TJPEGImage::LoadJpegFile(int fd)
{
    LoadJpegData(ReadStream(fd));
}

void TJPEGImage::LoadJpegData(std::vector<std::uint8_t> bytes)
{
    auto data = std::make_shared<TJPEGData>();
    data->Bytes = std::move(bytes);
    m_data = data;
    m_hasStream = true;
    m_picture.reset();
    if (data->Bytes.empty())
        return;  // accepted here; decoding reports the empty stream

    jpeg::StreamHeader header = jpeg::ReadStreamHeader(data->Bytes);
    data->Width = header.Width;
    data->Height = header.Height;
    data->Grayscale = header.Grayscale;
    data->Orientation = header.Orientation;
    data->SampledRowsExact = header.SampledRowsExact;
    data->CoefficientBytes = header.CoefficientBytes;
    data->IccProfile = std::move(header.IccProfile);
    m_settings.ProgressiveOutput = header.MultipleScans;
}

const TBitmap& TJPEGImage::DecodeJpeg()
{
    // On failure no picture is kept, so the picture still reports the stream's size.
    if (!m_picture)
        m_picture = jpeg::DecodePicture(m_data->Bytes, m_settings);
    return *m_picture;
}

bool TJPEGImage::Decoded() const
{
    return m_picture.has_value();
}

int TJPEGImage::Width() const
{
    if (m_picture)
        return m_picture->Width();
    const int scale = DecodeDivisor(m_settings);
    return (m_data->Width + scale - 1) / scale;
}

int TJPEGImage::Height() const
{
    if (m_picture)
        return m_picture->Height();
    const int scale = DecodeDivisor(m_settings);
    return (m_data->Height + scale - 1) / scale;
}

int TJPEGImage::Orientation() const
{
    return m_data->Orientation;
}

void TJPEGImage::SetWidth(int)
{
    throw EInvalidGraphicOperation(MessageId::JpegSizeFixed);
}

void TJPEGImage::SetHeight(int)
{
    throw EInvalidGraphicOperation(MessageId::JpegSizeFixed);
}

void TJPEGImage::AssignBitmap(const TBitmap& picture)
{
    m_data = std::make_shared<TJPEGData>();
    m_hasStream = false;
    m_picture = picture;
}

void TJPEGImage::CompressJpeg()
{
    // The new stream replaces the held one only once it is complete.
    auto data = std::make_shared<TJPEGData>();
    if (m_picture && m_picture->Width() > 0 && m_picture->Height() > 0) {
        const TBitmap& picture = *m_picture;
        const int width = picture.Width();
        const int height = picture.Height();
        // The codec's own limit, checked before any buffer of the picture's width is made.
        if (width > JPEG_MAX_DIMENSION || height > JPEG_MAX_DIMENSION)
            throw EJPEG(JERR_IMAGE_TOO_BIG);
        // 24-bit rows are already blue, green, red; others go through one RGB row.
        const bool bgr = picture.Format() == PixelFormat::pf24bit;
        std::vector<JSAMPLE> rgb = jpeg::RowBuffer(bgr ? 0 : static_cast<std::size_t>(width) * 3);

        // Room for the raw pixels is set aside at once: a large stream then never moves
        // while it grows, and untouched room takes no memory.
        data->Bytes.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3 +
                            4096);
        jpeg::Compressor codec(data->Bytes);
        jpeg_compress_struct& info = codec.Info();
        CompressSetUp setUp{&info, static_cast<JDIMENSION>(width),
                            static_cast<JDIMENSION>(height), bgr, m_settings, &m_iccProfile};
        codec.Run(StartCompress, setUp);
        RowStep step{&info, nullptr};
        for (int y = 0; y < height; ++y) {
            if (bgr) {
                step.row = const_cast<JSAMPROW>(picture.ScanLine(y));  // libjpeg only reads it
            } else {
                picture.RowToRgb(y, rgb.data());
                step.row = rgb.data();
            }
            codec.Run(WriteRow, step);
        }
        codec.Run(FinishCompress, info);
        data->Width = width;
        data->Height = height;
        data->Grayscale = m_settings.ForceGrayscale;
        if (!data->Grayscale)
            data->IccProfile = m_iccProfile;
    }
    m_data = std::move(data);
    m_hasStream = true;
}

std::vector<std::uint8_t> TJPEGImage::TakeStream()
{
    std::vector<std::uint8_t> bytes =
        m_data.use_count() == 1 ? std::move(m_data->Bytes) : m_data->Bytes;
    m_data = std::make_shared<TJPEGData>();
    m_hasStream = false;
    return bytes;
}

void TJPEGImage::SetIccProfile(std::vector<std::uint8_t> profile)
{
    m_iccProfile = std::move(profile);
}

void TJPEGImage::SaveJpegFile(const std::string& path)
{
    // Compress before touching the file; the file then appears whole or not at all.
    if (!m_hasStream)
        CompressJpeg();
    WriteFileReplacing(path, m_data->Bytes);
}

JpegSettings& TJPEGImage::Settings()
{
    return m_settings;
}

const JpegSettings& TJPEGImage::Settings() const
{
    return m_settings;
}

const TJPEGData& TJPEGImage::Data() const
{
    return *m_data;
}

} // namespace kameola
