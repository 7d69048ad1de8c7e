// SPDX-License-Identifier: MIT
// When a photo was taken, from its Exif DateTimeOriginal (JPEG, HEIF and TIFF files).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kameola {

struct DateTaken {
    int Year = 0;
    int Month = 0;
    int Day = 0;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    // East of UTC, from OffsetTimeOriginal; none when the camera wrote no offset.
    std::optional<int> OffsetMinutes;
};

// "YYYY:MM:DD HH:MM:SS" and an offset "+HH:MM" or "-HH:MM" (which may be empty). None
// for a date of another form, a zero date or one that is not in the calendar; an offset
// of another form is taken as no offset.
std::optional<DateTaken> ParseExifDate(std::string_view dateTime, std::string_view offset) noexcept;

// The date taken of a JPEG, HEIF or TIFF file, known by its first bytes; none for other
// files, files without a valid date and files that cannot be read. Never raises.
std::optional<DateTaken> ReadDateTaken(const std::string& path);

// Seconds since 1970-01-01 00:00 UTC: at the date's offset when it has one, else in the
// local time zone.
std::int64_t SecondsSinceEpoch(const DateTaken& date);

} // namespace kameola
