// SPDX-License-Identifier: MIT
// The date a photo was taken: parsing the Exif text, finding the Exif block of a JPEG
// file, and turning the date into a point in time.
#include "imaging/DateTaken.h"

#include "common/FileIo.h"
#include "imaging/detail/DateTakenReaders.h"
#include "imaging/detail/Exif.h"

#include <cstring>
#include <ctime>
#include <vector>

namespace kameola {

namespace {

// The number written by count digits at text[at...]; -1 when one of them is no digit.
int Digits(std::string_view text, std::size_t at, std::size_t count)
{
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

std::optional<int> ParseOffset(std::string_view offset)
{
    if (offset.size() != 6 || (offset[0] != '+' && offset[0] != '-') || offset[3] != ':')
        return std::nullopt;
    const int hours = Digits(offset, 1, 2);
    const int minutes = Digits(offset, 4, 2);
    if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59)
        return std::nullopt;
    const int east = hours * 60 + minutes;
    return offset[0] == '-' ? -east : east;
}

// Days from 1970-01-01 to the date in the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(int year, int month, int day)
{
    const std::int64_t y = year - (month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yearOfEra = y - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

constexpr std::size_t kMaxSegments = 256;  // markers looked at before giving up on a JPEG file

// The date in the first Exif APP1 segment before the scan data of a JPEG file.
std::optional<DateTaken> JpegDateTaken(int fd)
{
    std::uint64_t at = 2;  // after the start-of-image marker
    for (std::size_t n = 0; n < kMaxSegments; ++n) {
        std::uint8_t head[4];
        std::size_t got = 0;
        if (!ReadAt(fd, at, head, sizeof head, &got) || got < sizeof head || head[0] != 0xFF)
            return std::nullopt;
        if (head[1] == 0xFF) {  // a fill byte before the marker
            ++at;
            continue;
        }
        if (head[1] == 0xDA || head[1] == 0xD9)  // scan data or the end: no Exif before them
            return std::nullopt;
        const std::size_t length = static_cast<std::size_t>(head[2] << 8 | head[3]);
        if (length < 2)
            return std::nullopt;
        if (head[1] == 0xE1) {
            std::vector<std::uint8_t> payload(length - 2);
            if (!ReadAt(fd, at + 4, payload.data(), payload.size(), &got) || got < payload.size())
                return std::nullopt;
            if (exif::IsExif(payload.data(), payload.size()))
                return exif::DateTakenIn(payload.data() + 6, payload.size() - 6);
        }
        at += 2 + length;
    }
    return std::nullopt;
}

} // namespace

std::optional<DateTaken> ParseExifDate(std::string_view dateTime, std::string_view offset) noexcept
{
    // "YYYY:MM:DD HH:MM:SS"
    if (dateTime.size() != 19 || dateTime[4] != ':' || dateTime[7] != ':' || dateTime[10] != ' ' ||
        dateTime[13] != ':' || dateTime[16] != ':')
        return std::nullopt;
    DateTaken date;
    date.Year = Digits(dateTime, 0, 4);
    date.Month = Digits(dateTime, 5, 2);
    date.Day = Digits(dateTime, 8, 2);
    date.Hour = Digits(dateTime, 11, 2);
    date.Minute = Digits(dateTime, 14, 2);
    date.Second = Digits(dateTime, 17, 2);
    if (date.Year < 1 || date.Month < 1 || date.Month > 12 || date.Day < 1 ||
        date.Day > DaysInMonth(date.Year, date.Month) || date.Hour < 0 || date.Hour > 23 ||
        date.Minute < 0 || date.Minute > 59 || date.Second < 0 || date.Second > 59)
        return std::nullopt;
    date.OffsetMinutes = ParseOffset(offset);
    return date;
}

std::int64_t SecondsSinceEpoch(const DateTaken& date)
{
    const std::int64_t wall = DaysFromCivil(date.Year, date.Month, date.Day) * 86400 +
                              date.Hour * 3600 + date.Minute * 60 + date.Second;
    if (date.OffsetMinutes)
        return wall - std::int64_t{*date.OffsetMinutes} * 60;
    std::tm local{};
    local.tm_year = date.Year - 1900;
    local.tm_mon = date.Month - 1;
    local.tm_mday = date.Day;
    local.tm_hour = date.Hour;
    local.tm_min = date.Minute;
    local.tm_sec = date.Second;
    local.tm_isdst = -1;  // the zone's rule for that day
    local.tm_wday = -1;
    const std::time_t seconds = std::mktime(&local);
    // -1 is also a valid time; mktime sets the weekday only when it succeeds.
    return seconds == static_cast<std::time_t>(-1) && local.tm_wday < 0 ? wall : seconds;
}

std::optional<DateTaken> ReadDateTaken(const std::string& path)
{
    const FileHandle file = OpenRegularFile(path);
    if (!file.Valid())
        return std::nullopt;
    std::uint8_t head[12];
    std::size_t got = 0;
    if (!ReadAt(file.Get(), 0, head, sizeof head, &got) || got < sizeof head)
        return std::nullopt;
    try {
        if (head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF)
            return JpegDateTaken(file.Get());
        if (std::memcmp(head, "II*\0", 4) == 0 || std::memcmp(head, "MM\0*", 4) == 0)
            return detail::TiffDateTaken(file.Get(), path);
        if (std::memcmp(head + 4, "ftyp", 4) == 0)
            return detail::HeifDateTaken(file.Get());
    } catch (const std::exception&) {  // out of memory for a segment: no date
    }
    return std::nullopt;
}

} // namespace kameola
