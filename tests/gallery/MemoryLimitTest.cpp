// SPDX-License-Identifier: MIT
// A tiny BMP with a huge width: the run fails with the codec's error before allocating
// rows of that width, and keeps what it wrote before.
#include "common/Errors.h"
#include "gallery/Run.h"
#include "tests/gallery/TestFiles.h"
#include "tests/support/Bmp.h"

#include <gtest/gtest.h>
#include <jpeglib.h>
#include <jerror.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <filesystem>
#include <string>

using namespace kameola;
using namespace kameola::test;

namespace {

// A 1-bit BMP of 2,000,000,000 × 1 in 126 bytes: headers, a two-entry table, 64 pixel bytes.
Bytes HugeWideBmp()
{
    BmpHeader h;
    h.fileSize = 126;
    h.pixelOffset = 62;
    h.width = 2000000000;
    h.bits = 1;
    h.table = {{0, 0, 0}, {255, 255, 255}};
    h.pixels.assign(64, 0x55);
    return BuildBmp(h);
}

} // namespace

TEST(MemoryLimitTest, HugeWidthFailsWithTheCodecErrorWithinTheMemoryOfThePicture)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "peak memory and address-space limits are not meaningful under a sanitizer";
#endif
    ScratchDir dir;
    const std::string source = dir / "w.bmp";
    WriteBytes(source, HugeWideBmp());
    ASSERT_EQ(std::filesystem::file_size(source), 126u);

    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Bounded, so a regression fails here instead of exhausting the machine.
        const rlimit limit{std::size_t{2} << 30, std::size_t{2} << 30};
        ::setrlimit(RLIMIT_AS, &limit);
        std::string outcome = "no error";
        try {
            GalleryJob job;
            job.OutputDir = dir / "web";
            job.MakeSmallImages = true;
            job.Entries.push_back({source, ""});
            RecordingHost host;
            RunGallery(job, host);
        } catch (const Exception& e) {
            outcome = e.what();
        } catch (const std::exception& e) {
            outcome = std::string("C++: ") + e.what();
        }
        (void)!::write(pipeFds[1], outcome.data(), outcome.size());
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    std::string outcome;
    char buffer[256];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        outcome.append(buffer, static_cast<std::size_t>(n));
    ::close(pipeFds[0]);
    int status = 0;
    rusage usage{};
    ASSERT_EQ(::wait4(child, &status, 0, &usage), child);
    ASSERT_TRUE(WIFEXITED(status));

    EXPECT_EQ(outcome, EJPEG(JERR_IMAGE_TOO_BIG).what());
    EXPECT_LT(usage.ru_maxrss, 400 * 1024) << "kB";  // the picture itself is 250 MB
    // The small image, written before the conversion failed, stays: 0 bytes, as its
    // thumbnail height rounds to 0. No conversion and no page.
    ASSERT_TRUE(std::filesystem::exists(dir / "web/ws.jpg"));
    EXPECT_EQ(std::filesystem::file_size(dir / "web/ws.jpg"), 0u);
    EXPECT_FALSE(std::filesystem::exists(dir / "web/index.htm"));
}
