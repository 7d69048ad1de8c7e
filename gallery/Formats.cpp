// SPDX-License-Identifier: MIT
// The table of extensions, classes and readers, and what each class gets.
#include "gallery/Formats.h"

#include "imaging/PictureReader.h"

#include <iterator>

namespace kameola {
namespace {

struct FileFormat {
    std::string_view Extension;  // upper case, with its dot
    FileClass Class;
    const PictureReader& (*Reader)();
};

constexpr FileFormat kFormats[] = {
    {".BMP", FileClass::Bmp, BmpReader},
    {".JPG", FileClass::Jpeg, JpegReader},
    {".JPEG", FileClass::Jpeg, JpegReader},
    {".HEIC", FileClass::Converted, HeifReader},
    {".HEIF", FileClass::Converted, HeifReader},
    {".HIF", FileClass::Converted, HeifReader},
    {".TIF", FileClass::Converted, TiffReader},
    {".TIFF", FileClass::Converted, TiffReader},
    // Shown by browsers: read only for the small images made on request.
    {".PNG", FileClass::Other, PngReader},
    {".WEBP", FileClass::Other, WebpReader},
    {".GIF", FileClass::Other, GifReader},
    {".AVIF", FileClass::Other, AvifReader},
};

const FileFormat* FormatOf(std::string_view path, PathSyntax syntax)
{
    const std::string extension = UpperAscii(ExtensionOf(path, syntax));
    for (const FileFormat& format : kFormats) {
        if (format.Extension == extension)
            return &format;
    }
    return nullptr;
}

std::string JpegSmallName(std::string_view baseName)
{
    return ReplaceAllNoCase(baseName, ".jp", "s.jp");
}

std::string BmpSmallName(std::string_view baseName)
{
    return ReplaceAllNoCase(baseName, ".bmp", "s.jpg");
}

std::string ConvertedSmallName(std::string_view baseName)
{
    return ChangeExtension(baseName, "s.jpg");
}

// In the order of FileClass.
constexpr ClassRules kRules[] = {
    {.Decoded = true, .Converted = true, .SmallImageName = BmpSmallName},
    {.Decoded = true, .CellShowsSmall = true, .SmallImageName = JpegSmallName},
    {.Decoded = true, .Converted = true, .CellShowsSmall = true, .SmallAlways = true,
     .SmallImageName = ConvertedSmallName},
    {},
};
static_assert(std::size(kRules) == static_cast<std::size_t>(FileClass::Other) + 1);

} // namespace

const ClassRules& RulesOf(FileClass fileClass)
{
    return kRules[static_cast<std::size_t>(fileClass)];
}

FileClass ClassifyExtension(std::string_view path, PathSyntax syntax)
{
    const FileFormat* format = FormatOf(path, syntax);
    return format ? format->Class : FileClass::Other;
}

const PictureReader* ReaderOf(std::string_view path, PathSyntax syntax)
{
    const FileFormat* format = FormatOf(path, syntax);
    return format ? &format->Reader() : nullptr;
}

std::string SmallImageName(std::string_view baseName, FileClass fileClass)
{
    const auto name = RulesOf(fileClass).SmallImageName;
    return name ? name(baseName) : std::string(baseName);
}

} // namespace kameola
