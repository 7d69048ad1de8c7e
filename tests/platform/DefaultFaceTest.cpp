// SPDX-License-Identifier: MIT
#include "platform/DefaultFace.h"
#include "tests/support/FontConfigFiles.h"
#include "tests/support/Files.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace kameola;
using namespace kameola::test;

namespace {

// Points fontconfig at another configuration for the life of the object.
class FontConfigFile {
public:
    explicit FontConfigFile(const std::string& path)
    {
        if (const char* old = std::getenv("FONTCONFIG_FILE")) {
            m_old = old;
            m_hadOld = true;
        }
        ::setenv("FONTCONFIG_FILE", path.c_str(), 1);
    }
    ~FontConfigFile()
    {
        if (m_hadOld)
            ::setenv("FONTCONFIG_FILE", m_old.c_str(), 1);
        else
            ::unsetenv("FONTCONFIG_FILE");
    }
    FontConfigFile(const FontConfigFile&) = delete;
    FontConfigFile& operator=(const FontConfigFile&) = delete;

private:
    std::string m_old;
    bool m_hadOld = false;
};

} // namespace

TEST(DefaultFace, TheFaceOnlyWhenFontconfigListsIt)
{
    ScratchDir dir;
    {
        FontConfigFile config(WriteConfigWithoutFonts(dir.Path().string()));
        EXPECT_EQ(DefaultPageFace(), "");
    }
    std::string withFace = WriteConfigWithDefaultFace(dir.Path().string());
    if (withFace.empty())
        GTEST_SKIP() << "no IPA P gothic to stand in for the face";
    FontConfigFile config(withFace);
    EXPECT_EQ(DefaultPageFace(), "ＭＳ Ｐゴシック");
}
