// SPDX-License-Identifier: MIT
// The BMP suite as a corpus: good files load with known colours, the rest load or are
// refused with a reader error, never worse.
#include "common/Errors.h"
#include "imaging/Bitmap.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace kameola;
namespace fs = std::filesystem;

namespace {

const fs::path kSuite = fs::path(KAMEOLA_TESTDATA) / "bmpsuite";

std::vector<fs::path> Files(const char* folder)
{
    std::vector<fs::path> out;
    for (const auto& entry : fs::directory_iterator(kSuite / folder))
        if (entry.path().extension() == ".bmp")
            out.push_back(entry.path());
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::uint8_t> AllRgb(const TBitmap& picture)
{
    std::vector<std::uint8_t> out(static_cast<std::size_t>(picture.Width()) * 3 * picture.Height());
    for (int y = 0; y < picture.Height(); ++y)
        picture.RowToRgb(y, out.data() + static_cast<std::size_t>(y) * picture.Width() * 3);
    return out;
}

std::uint64_t Fnv1a(const std::vector<std::uint8_t>& bytes)
{
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (std::uint8_t b : bytes)
        h = (h ^ b) * 0x100000001b3ull;
    return h;
}

// The suite lives in tests/data; a missing copy is a failure, not a skip.
class BmpSuiteTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(fs::is_directory(kSuite)) << kSuite; }
};

} // namespace

TEST_F(BmpSuiteTest, GoodFilesLoad)
{
    const auto files = Files("g");
    ASSERT_GE(files.size(), 27u);
    for (const fs::path& path : files) {
        TBitmap picture;
        EXPECT_NO_THROW(picture.LoadBmpFile(path.string())) << path;
        EXPECT_TRUE(picture.HasStorage()) << path;
    }
}

TEST_F(BmpSuiteTest, OtherFilesLoadOrAreRefused)
{
    for (const char* folder : {"q", "b", "x"}) {
        for (const fs::path& path : Files(folder)) {
            TBitmap picture;
            try {
                picture.LoadBmpFile(path.string());
                AllRgb(picture);
            } catch (const EReadError&) {
            } catch (const EInvalidGraphic&) {
            }
        }
    }
}

TEST_F(BmpSuiteTest, KnownColoursOfGoodFiles)
{
    // Pixels (0, 0), (126, 63), (64, 32), (20, 50) of each file.
    struct Case { const char* file; std::uint8_t rgb[4][3]; };
    const Case cases[] = {
        {"pal1.bmp", {{255, 255, 255}, {0, 0, 0}, {255, 255, 255}, {255, 255, 255}}},
        {"pal4rle.bmp", {{255, 0, 0}, {0, 0, 0}, {255, 255, 255}, {0, 255, 255}}},
        {"pal8rle.bmp", {{255, 0, 0}, {102, 85, 102}, {255, 255, 255}, {51, 170, 204}}},
        {"pal8os2.bmp", {{255, 0, 0}, {102, 85, 102}, {255, 255, 255}, {51, 170, 204}}},
        {"pal8topdown.bmp", {{255, 0, 0}, {102, 85, 102}, {255, 255, 255}, {51, 170, 204}}},
        {"rgb16-565.bmp", {{255, 0, 0}, {99, 97, 123}, {255, 255, 255}, {49, 166, 165}}},
        {"rgb32bf.bmp", {{255, 0, 0}, {96, 96, 126}, {255, 255, 255}, {53, 165, 165}}},
        {"rgb24.bmp", {{255, 0, 0}, {96, 96, 126}, {255, 255, 255}, {53, 165, 165}}},
    };
    const int points[4][2] = {{0, 0}, {126, 63}, {64, 32}, {20, 50}};
    for (const Case& c : cases) {
        TBitmap picture;
        picture.LoadBmpFile((kSuite / "g" / c.file).string());
        ASSERT_EQ(picture.Width(), 127) << c.file;
        ASSERT_EQ(picture.Height(), 64) << c.file;
        std::vector<std::uint8_t> row(127 * 3);
        for (int i = 0; i < 4; ++i) {
            picture.RowToRgb(points[i][1], row.data());
            const std::uint8_t* px = &row[static_cast<std::size_t>(points[i][0]) * 3];
            EXPECT_EQ(std::vector<std::uint8_t>(px, px + 3),
                      std::vector<std::uint8_t>(c.rgb[i], c.rgb[i] + 3))
                << c.file << " point " << i;
        }
    }
}

TEST_F(BmpSuiteTest, BitFieldFilesMatchTheSuiteReferences)
{
    // FNV-1a of the RGB pixels of the reference PNG renderings in ref/ (decoded once when
    // the test was written; PNG decoding is not a dependency of the tests). The sixth
    // reference, rgba32-61754, rounds its 5- and 6-bit channels instead of repeating their
    // bits and so differs by 1 in places; it is not compared.
    struct Case { const char* file; std::uint64_t hash; };
    for (const Case& c : {Case{"b/rgb16-880.bmp", 0xd1ad6fbd80a89a58ull},
                          Case{"q/rgb16-231.bmp", 0xed7c0b0fd426e78aull},
                          Case{"q/rgb16-3103.bmp", 0x2667650dbff2731full},
                          Case{"q/rgb32-7187.bmp", 0xfed55b0f62693c97ull},
                          Case{"q/rgba32-81284.bmp", 0x42b713b3e9b4bfa0ull}}) {
        TBitmap picture;
        picture.LoadBmpFile((kSuite / c.file).string());
        EXPECT_EQ(Fnv1a(AllRgb(picture)), c.hash) << c.file;
    }
}

// The file reader reads pixels straight into the picture; from memory they are copied.
// Both must give the same picture or the same error, also for files cut anywhere.
TEST_F(BmpSuiteTest, FileAndMemoryReadersAgree)
{
    auto outcome = [](auto load) -> std::string {
        TBitmap picture;
        try {
            load(picture);
        } catch (const EReadError&) {
            return "read error";
        } catch (const EInvalidGraphic&) {
            return "invalid";
        }
        return std::to_string(picture.Width()) + "x" + std::to_string(picture.Height()) + " " +
               std::to_string(Fnv1a(AllRgb(picture)));
    };
    const fs::path cut = fs::temp_directory_path() / "kameola-cut.bmp";
    for (const char* folder : {"g", "q", "b"}) {
        for (const fs::path& path : Files(folder)) {
            std::ifstream in(path, std::ios::binary);
            const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
            for (std::size_t length : {bytes.size(), bytes.size() - 1, bytes.size() / 2, std::size_t{60}}) {
                length = std::min(length, bytes.size());
                std::ofstream(cut, std::ios::binary)
                    .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(length));
                EXPECT_EQ(outcome([&](TBitmap& p) { p.LoadBmpFile(cut.string()); }),
                          outcome([&](TBitmap& p) { p.LoadBmpData(bytes.data(), length); }))
                    << path << " cut to " << length;
            }
        }
    }
    fs::remove(cut);
}

TEST_F(BmpSuiteTest, PixelOffsetFilesMatchTheirGoodTwin)
{
    // A gap after the colour table, and a core header whose table is shorter than 256
    // entries: both place their pixels by the file header's offset.
    TBitmap good;
    good.LoadBmpFile((kSuite / "g" / "pal8.bmp").string());
    const std::vector<std::uint8_t> expected = AllRgb(good);
    for (const char* name : {"pal8offs.bmp", "pal8os2sp.bmp"}) {
        TBitmap picture;
        picture.LoadBmpFile((kSuite / "q" / name).string());
        EXPECT_EQ(picture.Width(), good.Width()) << name;
        EXPECT_EQ(picture.Height(), good.Height()) << name;
        EXPECT_TRUE(AllRgb(picture) == expected) << name;

        std::ifstream in(kSuite / "q" / name, std::ios::binary);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
        TBitmap fromMemory;
        fromMemory.LoadBmpData(bytes.data(), bytes.size());
        EXPECT_TRUE(AllRgb(fromMemory) == expected) << name;
    }
}
