// SPDX-License-Identifier: MIT
// Link and picture addresses name the file they point to, for any Linux file name.
#include "gallery/Naming.h"
#include "gallery/Run.h"
#include "tests/gallery/TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace kameola;
using namespace kameola::test;
namespace fs = std::filesystem;

namespace {

// The name a browser requests for an address: every "%XX" back to its byte.
std::string Decoded(std::string_view address)
{
    std::string out;
    for (std::size_t i = 0; i < address.size(); ++i) {
        if (address[i] == '%' && i + 2 < address.size()) {
            out += static_cast<char>(std::stoi(std::string(address.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        } else {
            out += address[i];
        }
    }
    return out;
}

// The value of the first attribute="..." on the page.
std::string AttributeOf(const std::string& page, const std::string& attribute)
{
    const std::string start = attribute + "=\"";
    const std::size_t from = page.find(start);
    if (from == std::string::npos)
        return "(none)";
    const std::size_t value = from + start.size();
    return page.substr(value, page.find('"', value) - value);
}

} // namespace

TEST(Address, EncodesWhatBrowsersWouldReadOtherwise)
{
    const struct {
        std::string Name;
        std::string Address;
    } cases[] = {
        {"a\"b#c?d%e", "a%22b%23c%3Fd%25e"},
        {"a\\b:c&copy.jpg", "a%5Cb%3Ac%26copy.jpg"},
        {std::string("t\tl\nz\x01\x1F\x7F", 8), "t%09l%0Az%01%1F%7F"},
        {std::string("nul\0", 4), "nul%00"},
        {"caf\xE9.jpg", "caf%E9.jpg"},                       // Latin-1
        {"\x95\x5C\x83\x5C.jpg", "%95%5C%83%5C.jpg"},        // CP932 bytes of 表ソ
        {"\xE8\xA1\xA8\xE8\xA1.jpg", "\xE8\xA1\xA8%E8%A1.jpg"},  // a cut sequence
        {"\xC0\xAF\xED\xA0\x80", "%C0%AF%ED%A0%80"},         // overlong, surrogate
        {"写真😀.jpg", "写真😀.jpg"},                          // valid text stays
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NameAddress(c.Name), c.Address) << c.Name;
        EXPECT_EQ(Decoded(NameAddress(c.Name)), c.Name);
        EXPECT_EQ(FileAddress("/p/" + c.Name), "file:///p/" + c.Address);
    }
    EXPECT_EQ(NameAddress(" a b "), "%20a b%20");
    // In a file address a space after the scheme is not at the start.
    EXPECT_EQ(FileAddress("/p/ a b "), "file:///p/ a b%20");
    // Windows syntax keeps the drive's colon and the separators.
    EXPECT_EQ(FileAddress("C:\\pics\\a&b.jpg", PathSyntax::Windows), "file://C:/pics/a%26b.jpg");
    EXPECT_EQ(FileAddress("C:\\表\\ソ.jpg", PathSyntax::Windows), "file://C:/表/ソ.jpg");
    EXPECT_EQ(NameAddress("a:b\\c", PathSyntax::Windows), "a:b\\c");
}

TEST(Address, PageNamesTheFileInCopyAndLinkMode)
{
    const std::string names[] = {
        "a\\b.gif", "c:d.gif", "tab\t.gif", "lf\n.gif", "ctl\x01.gif", "del\x7F.gif",
        "&copy.gif", " lead.gif", "trail.gif ", "caf\xE9.gif", "\x95\x5C.gif", "q\"#?%.gif",
    };
    for (const std::string& name : names) {
        ScratchDir dir;
        RecordingHost host;
        WriteFile(dir / name, "GIF89a");
        WriteFile(dir / ("bg " + name), "GIF89a");
        GalleryJob job;
        job.OutputDir = dir / "web";
        job.Entries.push_back({dir / name, ""});
        job.Style.BackgroundImage = dir / ("bg " + name);

        RunGallery(job, host);
        std::string page = ReadFile(job.OutputDir + "/index.htm");
        EXPECT_EQ(Decoded(AttributeOf(page, "HREF")), name);
        EXPECT_EQ(Decoded(AttributeOf(page, "SRC")), name);
        EXPECT_EQ(Decoded(AttributeOf(page, "BACKGROUND")), "bg " + name);
        EXPECT_TRUE(fs::exists(job.OutputDir + "/" + name)) << name;

        job.LinkInPlace = true;
        RunGallery(job, host);
        page = ReadFile(job.OutputDir + "/index.htm");
        EXPECT_EQ(Decoded(AttributeOf(page, "HREF")), "file://" + dir / name);
        EXPECT_EQ(Decoded(AttributeOf(page, "SRC")), "file://" + dir / name);
        EXPECT_EQ(Decoded(AttributeOf(page, "BACKGROUND")), "file://" + dir / ("bg " + name));
    }
}
