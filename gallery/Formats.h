// SPDX-License-Identifier: MIT
// File classes: what a run makes of a file, decided by its extension through one table that
// also names the reader that decodes it.
#pragma once

#include "gallery/Naming.h"

#include <span>
#include <string>
#include <string_view>

namespace kameola {

class PictureReader;

// Converted: pictures no common browser shows (HEIF, TIFF), always given a conversion and a
// small image.
enum class FileClass { Bmp, Jpeg, Converted, Other };

// What a class of files gets: the outputs and what the cell shows.
struct ClassRules {
    bool Decoded = false;       // always read: its size sets the cell
    bool Converted = false;     // copy mode writes a full-size JPEG conversion, not a copy
    bool CellShowsSmall = false;  // in copy mode the cell shows the small image, when made
    bool SmallAlways = false;   // the small image is made even when the job does not ask
    // The small image's name from the base name; null when the class has none.
    std::string (*SmallImageName)(std::string_view baseName) = nullptr;
};

const ClassRules& RulesOf(FileClass fileClass);

// The class of a path's extension, compared after UpperAscii: ".BMP" is Bmp; ".JPG" and
// ".JPEG" are Jpeg; ".HEIC", ".HEIF", ".HIF", ".TIF" and ".TIFF" are Converted; everything
// else Other.
FileClass ClassifyExtension(std::string_view path, PathSyntax syntax = PathSyntax::Native);

// The reader of a path's extension, compared as ClassifyExtension compares; null when no
// reader decodes such files. ".PNG", ".WEBP", ".GIF" and ".AVIF" are of class Other and
// have readers, for the small images made on request.
const PictureReader* ReaderOf(std::string_view path, PathSyntax syntax = PathSyntax::Native);

// The extensions of the table, in small letters, in the order the help lists them: .jpg
// .jpeg .jpe .bmp .gif .png .webp .avif .heic .heif .hif .tif .tiff. Folders are searched
// for files with these.
std::span<const std::string_view> PictureExtensions();

// Whether the extension, compared as ClassifyExtension compares, is in the table.
bool IsPictureName(std::string_view path, PathSyntax syntax = PathSyntax::Native);

// The small image's name: ".jp" to "s.jp" for JPEG files, ".bmp" to "s.jpg" for BMP files,
// the extension changed to "s.jpg" for converted files; the name unchanged for a class
// without small images.
std::string SmallImageName(std::string_view baseName, FileClass fileClass);

} // namespace kameola
