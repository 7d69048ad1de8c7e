// SPDX-License-Identifier: MIT
// The --files-from list parser.
#include "cli/FileList.h"
#include "cli/Options.h"

#include <gtest/gtest.h>

using namespace kameola;

TEST(FileListTest, OnePathALine)
{
    using namespace std::string_literals;
    const struct {
        std::string Text;
        std::vector<std::string> Paths;  // or, when Error is set, none
        std::string Error;
    } cases[] = {
        {"", {}, ""},
        {"a.jpg", {"a.jpg"}, ""},
        {"a.jpg\nb c.jpg\n", {"a.jpg", "b c.jpg"}, ""},
        {"\n\na.jpg\n\n", {"a.jpg"}, ""},                      // empty lines name nothing
        {"a.jpg\r\nb.jpg\r\n", {"a.jpg\r", "b.jpg\r"}, ""},    // a CR stays in the name
        {" lead\ttab \n", {" lead\ttab "}, ""},
        {"写真.jpg\n", {"写真.jpg"}, ""},
        {"a.jpg\nb\0c.jpg\n"s, {}, "list.txt:2: NUL byte in a file name"},
        {"\0"s, {}, "list.txt:1: NUL byte in a file name"},
        {"\n\n\nx\0"s, {}, "list.txt:4: NUL byte in a file name"},
    };
    for (const auto& c : cases) {
        if (c.Error.empty()) {
            EXPECT_EQ(ParseFileList("list.txt", c.Text), c.Paths) << c.Text;
            continue;
        }
        try {
            ParseFileList("list.txt", c.Text);
            ADD_FAILURE() << "no error for " << c.Text;
        } catch (const UsageError& e) {
            EXPECT_EQ(std::string(e.what()), c.Error);
        }
    }
}
