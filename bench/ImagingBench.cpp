// SPDX-License-Identifier: MIT
// Imaging benchmark: the JPEG entry of a run against a plain decode, BMP loading against a read.
//
//   imaging_bench [benchmark flags]
//
// Makes a photo-like 4000 × 3000 JPEG (quality 90, 4:2:0) and the same picture as a 24-bit
// BMP in a temporary folder, then measures (CPU time per run):
//   A  the JPEG entry with small images on: new TJPEGImage, LoadJpegFile, its size,
//      StretchPicture to 100 × 75, AssignBitmap, CompressJpeg, SaveJpegFile; once with
//      the picture decoded first (full) and once stretched undecoded (fast)
//   B  plain libjpeg decoding the same bytes into one buffer: the floor for A
//   C  LoadBmpFile of the BMP
//   D  reading the BMP file's bytes into memory: the floor for C
// and prints A/B and C/D, and the peak memory of A measured in a fresh child process.
#include "imaging/Bitmap.h"
#include "imaging/Jpeg.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include <jpeglib.h>
#include <unistd.h>

using namespace kameola;

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
constexpr int kThumbWidth = 100;

struct Files {
    std::string dir, jpeg, bmp, out;
    std::vector<std::uint8_t> jpegBytes;
};
Files g_files;

std::vector<std::uint8_t> ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Smooth gradients, grain and hard-edged shapes, deterministic.
void FillPhotoLike(TBitmap& picture)
{
    std::uint32_t seed = 12345;
    for (int y = 0; y < kHeight; ++y) {
        std::uint8_t* p = picture.MutableScanLine(y);
        for (int x = 0; x < kWidth; ++x, p += 3) {
            seed = seed * 1664525u + 1013904223u;
            const int grain = static_cast<int>(seed >> 28) - 8;
            const bool disc = (x - 2600) * (x - 2600) + (y - 1200) * (y - 1200) < 700 * 700;
            const bool bar = (x / 250) % 5 == 1 && y > 1800;
            int r = 40 + x * 170 / kWidth + (disc ? 50 : 0);
            int g = 60 + y * 150 / kHeight + (bar ? -40 : 0);
            int b = 200 - (x + y) * 120 / (kWidth + kHeight) + (disc ? -80 : 0);
            const int ripple = ((x * 7 + y * 3) % 64 < 32) ? 6 : -6;
            auto clamp = [](int v) { return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
            p[0] = clamp(b + grain + ripple);
            p[1] = clamp(g + grain);
            p[2] = clamp(r + grain - ripple);
        }
    }
}

void WriteBmp(const TBitmap& picture, const std::string& path)
{
    const std::uint32_t stride = kWidth * 3, image = stride * kHeight;
    std::uint8_t header[54] = {'B', 'M'};
    auto put32 = [&](int at, std::uint32_t v) { std::memcpy(header + at, &v, 4); };
    put32(2, 54 + image);
    put32(10, 54);
    put32(14, 40);
    put32(18, kWidth);
    put32(22, kHeight);
    header[26] = 1;
    header[28] = 24;
    put32(34, image);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(header), sizeof header);
    for (int y = kHeight - 1; y >= 0; --y)
        out.write(reinterpret_cast<const char*>(picture.ScanLine(y)), stride);
}

void MakeFiles()
{
    char pattern[] = "/tmp/kameola-bench-XXXXXX";
    if (!mkdtemp(pattern)) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    g_files.dir = pattern;
    g_files.jpeg = g_files.dir + "/photo.jpg";
    g_files.bmp = g_files.dir + "/photo.bmp";
    g_files.out = g_files.dir + "/photos.jpg";
    TBitmap picture;
    picture.Create(PixelFormat::pf24bit, kWidth, kHeight);
    FillPhotoLike(picture);
    WriteBmp(picture, g_files.bmp);
    TJPEGImage jpeg;  // quality 90, 4:2:0
    jpeg.AssignBitmap(picture);
    jpeg.SaveJpegFile(g_files.jpeg);
    g_files.jpegBytes = ReadAll(g_files.jpeg);
}

// The JPEG entry of a run with small images on.
void JpegEntry(bool decodeFirst)
{
    TJPEGImage jpeg;
    jpeg.LoadJpegFile(g_files.jpeg);
    if (decodeFirst)
        jpeg.DecodeJpeg();
    const int height = jpeg.Height() * kThumbWidth / jpeg.Width();
    const TBitmap small = StretchPicture(jpeg, kThumbWidth, height);
    jpeg.AssignBitmap(small);
    jpeg.CompressJpeg();
    jpeg.SaveJpegFile(g_files.out);
}

void PlainDecode(const std::vector<std::uint8_t>& bytes)
{
    jpeg_decompress_struct info{};
    jpeg_error_mgr err{};
    info.err = jpeg_std_error(&err);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    jpeg_start_decompress(&info);
    const std::size_t stride = std::size_t{info.output_width} * info.output_components;
    std::unique_ptr<JSAMPLE[]> pixels(new JSAMPLE[stride * info.output_height]);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels.get() + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    benchmark::DoNotOptimize(pixels.get());
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
}

void BM_A_JpegEntryFull(benchmark::State& state)
{
    for (auto _ : state)
        JpegEntry(true);
}
void BM_A_JpegEntryFast(benchmark::State& state)
{
    for (auto _ : state)
        JpegEntry(false);
}
void BM_B_PlainDecode(benchmark::State& state)
{
    for (auto _ : state)
        PlainDecode(g_files.jpegBytes);
}
void BM_C_LoadBmpFile(benchmark::State& state)
{
    for (auto _ : state) {
        TBitmap picture;
        picture.LoadBmpFile(g_files.bmp);
        benchmark::DoNotOptimize(picture.ScanLine(0));
    }
}
void BM_D_ReadBmpBytes(benchmark::State& state)
{
    for (auto _ : state) {
        std::FILE* f = std::fopen(g_files.bmp.c_str(), "rb");
        std::fseek(f, 0, SEEK_END);
        const long size = std::ftell(f);
        std::fseek(f, 0, SEEK_SET);
        std::unique_ptr<std::uint8_t[]> bytes(new std::uint8_t[static_cast<std::size_t>(size)]);
        const std::size_t got = std::fread(bytes.get(), 1, static_cast<std::size_t>(size), f);
        std::fclose(f);
        benchmark::DoNotOptimize(got);
        benchmark::DoNotOptimize(bytes.get());
    }
}

BENCHMARK(BM_A_JpegEntryFull)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_A_JpegEntryFast)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_B_PlainDecode)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_C_LoadBmpFile)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_D_ReadBmpBytes)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Keeps the CPU time per iteration of every run for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && run.iterations > 0)
                cpuMs[run.run_name.function_name] = run.GetAdjustedCPUTime();
    }
    std::map<std::string, double> cpuMs;
};

// Peak resident memory (VmHWM, KiB) of one JPEG entry, run in a fresh process of this
// program: a fork would start from this process's own high-water mark.
long PeakKiB(const char* mode)
{
    char self[4096] = {};
    if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0)
        return -1;
    const std::string command =
        std::string(self) + " --peak-child " + mode + " " + g_files.dir;
    std::FILE* child = popen(command.c_str(), "r");
    if (!child)
        return -1;
    long kib = -1;
    if (std::fscanf(child, "%ld", &kib) != 1)
        kib = -1;
    return pclose(child) == 0 ? kib : -1;
}

int PeakChild(const std::string& mode, const std::string& dir)
{
    g_files.dir = dir;
    g_files.jpeg = dir + "/photo.jpg";
    g_files.out = dir + "/photos-peak.jpg";
    if (mode == "full")
        JpegEntry(true);
    else if (mode == "fast")
        JpegEntry(false);
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            std::printf("%ld\n", std::strtol(line.c_str() + 6, nullptr, 10));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--peak-child") == 0)
        return PeakChild(argv[2], argv[3]);

    benchmark::Initialize(&argc, argv);
    MakeFiles();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const double a = reporter.cpuMs["BM_A_JpegEntryFull"], af = reporter.cpuMs["BM_A_JpegEntryFast"];
    const double b = reporter.cpuMs["BM_B_PlainDecode"], c = reporter.cpuMs["BM_C_LoadBmpFile"];
    const double d = reporter.cpuMs["BM_D_ReadBmpBytes"];
    std::printf("\nRatios of CPU time (goal in brackets):\n");
    if (a > 0 && b > 0)
        std::printf("  A/B full decode path   %.3f  [<= 1.10]\n", a / b);
    if (af > 0 && b > 0)
        std::printf("  A/B sampled-rows path  %.3f  [< 1.0]\n", af / b);
    if (c > 0 && d > 0)
        std::printf("  C/D BMP load vs read   %.3f  [<= 1.5]\n", c / d);

    const long base = PeakKiB("none");
    const long fast = PeakKiB("fast");
    const long full = PeakKiB("full");
    const double fileMiB = static_cast<double>(g_files.jpegBytes.size()) / (1 << 20);
    const double pictureMiB = kWidth * 3.0 * kHeight / (1 << 20);
    std::printf("\nPeak memory of A (process start-up %.1f MiB subtracted; budget %.1f MiB ="
                " picture %.1f + file %.1f + 16):\n",
                base / 1024.0, pictureMiB + fileMiB + 16, pictureMiB, fileMiB);
    std::printf("  sampled-rows path  %.1f MiB\n", (fast - base) / 1024.0);
    std::printf("  full decode path   %.1f MiB\n", (full - base) / 1024.0);

    std::remove(g_files.jpeg.c_str());
    std::remove(g_files.bmp.c_str());
    std::remove(g_files.out.c_str());
    std::remove((g_files.dir + "/photos-peak.jpg").c_str());
    rmdir(g_files.dir.c_str());
    benchmark::Shutdown();
    return 0;
}
