// SPDX-License-Identifier: MIT
// Files that carry an Exif date taken: the TIFF structure, and JPEG, TIFF and HEIF files
// holding it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kameola::test {

struct ExifDate {
    std::string DateTime;  // DateTimeOriginal, "" for none
    std::string Offset;    // OffsetTimeOriginal, "" for none
    bool BigEndian = false;
};

// A TIFF structure whose first directory points to an EXIF directory holding the date;
// with image, the first directory also describes a 1 × 1 grey picture, whose one sample
// follows, so that the bytes are a whole TIFF file.
std::vector<std::uint8_t> ExifTiff(const ExifDate& date, bool image = false);

// A small JPEG file with the Exif block in an APP1 segment.
void WriteJpegWithExif(const std::string& path, const ExifDate& date);

// A TIFF file of one pixel with the date in its EXIF directory.
void WriteTiffWithExif(const std::string& path, const ExifDate& date);

// A small HEIF (or, without an HEVC encoder, AVIF) file whose primary image has the Exif
// item; false when libheif has no encoder at all.
bool WriteHeifWithExif(const std::string& path, const ExifDate& date);

// Sets TZ, which a date taken without an offset is read in, for a scope.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone);
    ~ScopedTimeZone();
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    std::optional<std::string> m_old;
};

} // namespace kameola::test
