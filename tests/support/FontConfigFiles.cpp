// SPDX-License-Identifier: MIT
#include "tests/support/FontConfigFiles.h"

#include "tests/support/Files.h"

#include <filesystem>

namespace kameola::test {

namespace {

constexpr const char* kIpaPGothic = "/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf";

std::string WriteConfig(const std::string& dir, const std::string& body)
{
    std::string path = dir + "/fonts.conf";
    WriteFile(path, "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n"
                    "<fontconfig>\n<cachedir>" + dir + "/fc-cache</cachedir>\n" + body +
                    "</fontconfig>\n");
    return path;
}

} // namespace

std::string WriteConfigWithoutFonts(const std::string& dir)
{
    return WriteConfig(dir, "");
}

std::string WriteConfigWithDefaultFace(const std::string& dir)
{
    if (!std::filesystem::exists(kIpaPGothic))
        return {};
    std::filesystem::create_directories(dir + "/fonts");
    std::filesystem::copy_file(kIpaPGothic, dir + "/fonts/face.ttf",
                               std::filesystem::copy_options::overwrite_existing);
    return WriteConfig(dir, "<dir>" + dir + "/fonts</dir>\n"
                            "<match target=\"scan\"><edit name=\"family\" mode=\"assign_replace\">"
                            "<string>ＭＳ Ｐゴシック</string></edit></match>\n");
}

} // namespace kameola::test
