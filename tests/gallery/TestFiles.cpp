// SPDX-License-Identifier: MIT
// Helpers for the gallery tests.
#include "tests/gallery/TestFiles.h"

#include "common/Errors.h"
#include "common/OutputFile.h"
#include "imaging/Bitmap.h"
#include "imaging/Jpeg.h"

#include <gtest/gtest.h>
#include <csignal>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kameola::test {

void WriteJpeg(const std::string& path, int width, int height, bool progressive, bool grey)
{
    TBitmap picture;
    picture.Create(PixelFormat::pf24bit, width, height);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = picture.MutableScanLine(y);
        for (int x = 0; x < width * 3; ++x)
            row[x] = static_cast<std::uint8_t>((x * 7 + y * 3) & 0xFF);
    }
    TJPEGImage jpeg;
    jpeg.Settings().ProgressiveOutput = progressive;
    jpeg.Settings().ForceGrayscale = grey;
    jpeg.AssignBitmap(picture);
    jpeg.CompressJpeg();
    jpeg.SaveJpegFile(path);
}

std::pair<int, int> JpegSize(const std::string& path)
{
    TJPEGImage jpeg;
    jpeg.LoadJpegFile(path);
    return {jpeg.Width(), jpeg.Height()};
}

ChildResult RunWithFileSizeLimit(std::size_t limit, bool ignoreLimitSignal,
                                 const std::function<void()>& body)
{
    int fds[2];
    if (::pipe(fds) != 0)
        throw std::runtime_error("pipe");
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        std::string error;
        if (ignoreLimitSignal)
            std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limits{static_cast<rlim_t>(limit), static_cast<rlim_t>(limit)};
        ::setrlimit(RLIMIT_FSIZE, &limits);
        try {
            body();
        } catch (const std::exception& e) {
            error = e.what();
        }
        if (!error.empty() && ::write(fds[1], error.data(), error.size()) < 0)
            ::_exit(2);
        ::_exit(0);
    }
    ::close(fds[1]);
    ChildResult result;
    char buffer[4096];
    ssize_t n = 0;
    while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0)
        result.Error.append(buffer, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.Exited = WIFEXITED(status);
    result.Signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return result;
}

std::vector<std::string> TemporaryFilesIn(const std::string& directory)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        const std::string name = entry.path().filename().string();
        if (IsTemporaryName(name))
            names.push_back(name);
    }
    return names;
}

MessageAnswer RecordingHost::ShowMessage(const std::string& text, const std::string& caption,
                                         MessageButtons buttons)
{
    Messages.push_back({text, caption, buttons});
    return buttons == MessageButtons::YesNo ? Answer : MessageAnswer::Ok;
}

void RecordingHost::SetProgressRange(int bottom, int top)
{
    EXPECT_LE(bottom, top) << "the run asked for an empty range";
    RangeTop = top;
}

} // namespace kameola::test
