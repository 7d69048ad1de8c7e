// SPDX-License-Identifier: MIT
// The table of extensions, classes and readers, and what each class gets.
#include "gallery/Formats.h"

#include "imaging/PictureReader.h"

#include <array>
#include <iterator>
#include <string>

namespace kameola {
namespace {

struct FileFormat {
    std::string_view Extension;  // upper case, with its dot
    FileClass Class;
    const PictureReader& (*Reader)();
};

// In the order the help lists them. ".JPE" is searched for in folders but read by no reader:
// such a file is of class Other.
constexpr FileFormat kFormats[] = {
    {".JPG", FileClass::Jpeg, JpegReader},
    {".JPEG", FileClass::Jpeg, JpegReader},
    {".JPE", FileClass::Other, nullptr},
    {".BMP", FileClass::Bmp, BmpReader},
    // Shown by browsers: read only for the small images made on request.
    {".GIF", FileClass::Other, GifReader},
    {".PNG", FileClass::Other, PngReader},
    {".WEBP", FileClass::Other, WebpReader},
    {".AVIF", FileClass::Other, AvifReader},
    {".HEIC", FileClass::Converted, HeifReader},
    {".HEIF", FileClass::Converted, HeifReader},
    {".HIF", FileClass::Converted, HeifReader},
    {".TIF", FileClass::Converted, TiffReader},
    {".TIFF", FileClass::Converted, TiffReader},
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
    return format && format->Reader ? &format->Reader() : nullptr;
}

std::span<const std::string_view> PictureExtensions()
{
    // The table's extensions in small letters, made once.
    static const auto lower = [] {
        std::array<std::string, std::size(kFormats)> names;
        for (std::size_t i = 0; i < names.size(); ++i) {
            for (const char c : kFormats[i].Extension)
                names[i] += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        }
        return names;
    }();
    static const auto views = [] {
        std::array<std::string_view, std::size(kFormats)> list;
        for (std::size_t i = 0; i < list.size(); ++i)
            list[i] = lower[i];
        return list;
    }();
    return views;
}

bool IsPictureName(std::string_view path, PathSyntax syntax)
{
    return FormatOf(path, syntax) != nullptr;
}

std::string SmallImageName(std::string_view baseName, FileClass fileClass)
{
    const auto name = RulesOf(fileClass).SmallImageName;
    return name ? name(baseName) : std::string(baseName);
}

} // namespace kameola
