// SPDX-License-Identifier: MIT
// Times the main window adding 2,000, 8,000 and 10,000 files (as a drop or the command line
// adds them) in CPU seconds, and prints the ratio of 8,000 to 2,000: a linear add gives
// about 4. Runs offscreen; the files are empty ones in a scratch folder.
#include "app/Services.h"
#include "app/Unit1.h"

#include <QApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

double CpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// CPU seconds a new window takes to list the first count files.
double TimeAdding(const std::vector<std::string>& files, std::size_t count)
{
    kameola::QtServices services;
    kameola::TForm1 form(services);
    form.show();
    const std::vector<std::string> batch(files.begin(), files.begin() + static_cast<long>(count));
    const double start = CpuSeconds();
    form.AddDroppedFiles(batch);
    QApplication::processEvents();  // the list laid out and painted
    const double taken = CpuSeconds() - start;
    if (form.GatherJob().Entries.size() != count)
        std::fprintf(stderr, "only %zu of %zu files were listed\n", form.GatherJob().Entries.size(), count);
    return taken;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    std::vector<std::string> files;
    for (int i = 0; i < 10000; ++i) {
        files.push_back(dir.path().toStdString() + "/picture" + std::to_string(i) + ".jpg");
        const int fd = ::open(files.back().c_str(), O_WRONLY | O_CREAT, 0644);
        if (fd < 0)
            return 1;
        ::close(fd);
    }
    TimeAdding(files, 500);  // warm-up: fonts, styles, the file system's caches
    const double small = TimeAdding(files, 2000);
    const double large = TimeAdding(files, 8000);
    const double all = TimeAdding(files, 10000);
    std::printf("2000 files: %.3f s CPU\n8000 files: %.3f s CPU\n", small, large);
    std::printf("ratio 8000/2000: %.2f (linear: 4, goal: at most 4.5)\n", large / small);
    std::printf("10000 files: %.3f s CPU (goal: under 1 s)\n", all);
    return 0;
}
