// SPDX-License-Identifier: MIT
// Scratch folders and whole-file reads and writes for tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kameola::test {

// A fresh folder under the temp directory, removed with everything in it at the end.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

std::string ReadFile(const std::string& path);
std::vector<std::uint8_t> ReadBytes(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

// Names in the folder that have the form of the program's temporary files.
std::vector<std::string> TemporaryFilesIn(const std::string& directory);

// A 24-bit BMP file of the given size, every pixel of one colour (0xRRGGBB).
void WriteBmp(const std::string& path, int width, int height, std::uint32_t rgb = 0x336699);

} // namespace kameola::test
