// SPDX-License-Identifier: MIT
// The Exif date taken: its text, its place in JPEG, TIFF and HEIF files, and the point in
// time it names.
#include "imaging/DateTaken.h"
#include "imaging/detail/Exif.h"
#include "tests/support/Exif.h"
#include "tests/support/Files.h"

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

using namespace kameola;
using namespace kameola::test;

namespace {

using Bytes = std::vector<std::uint8_t>;

std::string Show(const std::optional<DateTaken>& d)
{
    if (!d)
        return "none";
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", d->Year, d->Month, d->Day,
                  d->Hour, d->Minute, d->Second);
    return std::string(text) + (d->OffsetMinutes ? " " + std::to_string(*d->OffsetMinutes) : "");
}

} // namespace

TEST(DateTakenTest, ParsesOnlyRealDates)
{
    const struct {
        const char* DateTime;
        const char* Offset;
        const char* Expected;
    } cases[] = {
        {"2024:02:29 23:59:59", "", "2024-02-29 23:59:59"},
        {"2024:02:29 23:59:59", "+09:00", "2024-02-29 23:59:59 540"},
        {"1999:12:31 00:00:00", "-05:30", "1999-12-31 00:00:00 -330"},
        {"2023:07:01 12:00:00", "   :  ", "2023-07-01 12:00:00"},  // blank offset: none
        {"2023:07:01 12:00:00", "+9:00", "2023-07-01 12:00:00"},   // malformed offset: none
        {"2023:07:01 12:00:00", "+24:00", "2023-07-01 12:00:00"},
        {"0000:00:00 00:00:00", "", "none"},
        {"    :  :     :  :  ", "", "none"},
        {"2023:02:29 10:00:00", "", "none"},  // not a leap year
        {"1900:02:29 10:00:00", "", "none"},
        {"2023:13:01 10:00:00", "", "none"},
        {"2023:04:31 10:00:00", "", "none"},
        {"2023:04:30 24:00:00", "", "none"},
        {"2023:04:30 10:60:00", "", "none"},
        {"2023-04-30 10:00:00", "", "none"},
        {"2023:04:30T10:00:00", "", "none"},
        {"2023:04:30 10:00:00Z", "", "none"},
        {"2023:04:30 10:00", "", "none"},
        {"", "", "none"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Show(ParseExifDate(c.DateTime, c.Offset)), c.Expected) << c.DateTime << " " << c.Offset;
}

TEST(DateTakenTest, NamesAPointInTime)
{
    const DateTaken tokyo = *ParseExifDate("2024:01:02 09:04:05", "+09:00");
    const DateTaken utc = *ParseExifDate("2024:01:02 00:04:05", "+00:00");
    EXPECT_EQ(SecondsSinceEpoch(tokyo), 1704153845);
    EXPECT_EQ(SecondsSinceEpoch(utc), 1704153845);
    EXPECT_EQ(SecondsSinceEpoch(*ParseExifDate("1969:12:31 23:59:59", "+00:00")), -1);

    // Without an offset the date is local time, summer time included.
    const DateTaken plain = *ParseExifDate("2024:01:02 09:04:05", "");
    const DateTaken summer = *ParseExifDate("2024:07:02 12:00:00", "");
    {
        const ScopedTimeZone zone("JST-9");
        EXPECT_EQ(SecondsSinceEpoch(plain), 1704153845);
    }
    {
        const ScopedTimeZone zone("UTC0");
        EXPECT_EQ(SecondsSinceEpoch(plain), 1704153845 + 9 * 3600);
    }
    {
        const ScopedTimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
        EXPECT_EQ(SecondsSinceEpoch(summer), 1719921600 - 2 * 3600);
    }
}

TEST(DateTakenTest, ReadsJpegTiffAndHeifFiles)
{
    ScratchDir dir;
    const ExifDate little{"2021:03:04 05:06:07", "+01:00", false};
    const ExifDate big{"2021:03:04 05:06:07", "", true};
    const ExifDate zero{"0000:00:00 00:00:00", "", false};
    const ExifDate none{"", "+01:00", false};
    WriteJpegWithExif(dir / "le.jpg", little);
    WriteJpegWithExif(dir / "be.jpg", big);
    WriteJpegWithExif(dir / "zero.jpg", zero);
    WriteJpegWithExif(dir / "none.jpg", none);
    WriteTiffWithExif(dir / "le.tif", little);
    WriteTiffWithExif(dir / "be.tif", big);
    WriteTiffWithExif(dir / "zero.tif", zero);
    WriteBmp(dir / "p.bmp", 2, 2);
    // A JPEG file cut inside its Exif segment.
    Bytes cut = ReadBytes(dir / "le.jpg");
    cut.resize(40);
    WriteBytes(dir / "cut.jpg", cut);

    const struct {
        const char* Name;
        const char* Expected;
    } cases[] = {
        {"le.jpg", "2021-03-04 05:06:07 60"}, {"be.jpg", "2021-03-04 05:06:07"},
        {"zero.jpg", "none"}, {"none.jpg", "none"}, {"cut.jpg", "none"},
        {"le.tif", "2021-03-04 05:06:07 60"}, {"be.tif", "2021-03-04 05:06:07"},
        {"zero.tif", "none"}, {"p.bmp", "none"}, {"missing.jpg", "none"}, {"", "none"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Show(ReadDateTaken(dir / c.Name)), c.Expected) << c.Name;

    if (!WriteHeifWithExif(dir / "le.heic", little))
        GTEST_SKIP() << "libheif has no encoder to make a HEIF file with";
    EXPECT_EQ(Show(ReadDateTaken(dir / "le.heic")), "2021-03-04 05:06:07 60");
    WriteHeifWithExif(dir / "zero.heic", zero);
    EXPECT_EQ(Show(ReadDateTaken(dir / "zero.heic")), "none");
}

TEST(DateTakenTest, EveryCutOfTheBlockStaysInBounds)
{
    const Bytes whole = ExifTiff({"2021:03:04 05:06:07", "+01:00", true});
    EXPECT_EQ(Show(exif::DateTakenIn(whole.data(), whole.size())), "2021-03-04 05:06:07 60");
    // Each cut is copied to a buffer of its own size, so that a read past it is caught
    // by the sanitizer build.
    for (std::size_t n = 0; n < whole.size(); ++n) {
        const Bytes part(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
        const std::string shown = Show(exif::DateTakenIn(part.data(), part.size()));
        EXPECT_TRUE(shown == "none" || shown.rfind("2021-03-04 05:06:07", 0) == 0) << n;
    }
}
