// SPDX-License-Identifier: MIT
#include "tests/support/Files.h"

#include "tests/support/Bmp.h"
#include "common/OutputFile.h"

#include <unistd.h>
#include <atomic>
#include <fstream>
#include <iterator>
#include <sstream>

namespace kameola::test {

namespace fs = std::filesystem;

ScratchDir::ScratchDir()
{
    static std::atomic<int> counter{0};
    m_path = fs::temp_directory_path() /
             ("kameola-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    fs::remove_all(m_path);
    fs::create_directories(m_path);
}

ScratchDir::~ScratchDir()
{
    std::error_code ec;
    fs::remove_all(m_path, ec);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WriteBmp(const std::string& path, int width, int height, std::uint32_t rgb)
{
    WriteBytes(path, SolidBmp(width, height, rgb));
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

} // namespace kameola::test
