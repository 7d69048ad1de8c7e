// SPDX-License-Identifier: MIT
// Version order of names, against fixed cases and against the order `ls -v` lists.
#include "cli/NaturalOrder.h"
#include "tests/support/Files.h"

#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <memory>
#include <random>

using namespace kameola;
using namespace kameola::test;

TEST(NaturalOrderTest, FixedCases)
{
    // Each row: names in the order they must take.
    const std::vector<std::vector<std::string>> rows = {
        {"IMG_2.jpg", "IMG_10.jpg", "IMG_100.jpg"},
        {"A", "a", "b"},  // case-sensitive: capitals first, as bytes
        {"", ".", "..", ".a", "0", "a"},
        {"a~", "a", "a0", "a.b"},
        {"img01.JPG", "img1.jpg~", "img1.jpg"},
        {"x9.tar.gz", "x10.tar.gz"},
        {"file.jpg", "file1.jpg"},
        {"a1b2", "a1b10", "a2"},
        {"写真2.jpg", "写真10.jpg", "写真１.jpg", "日記.jpg"},  // full-width digits are no number
        {"a.jpg", "a-1.jpg", "a_1.jpg"},
        {".~a", ".Z", ".a", ".~ 1"},  // a hidden name's suffix may be all of it
    };
    for (const std::vector<std::string>& row : rows) {
        for (std::size_t i = 0; i + 1 < row.size(); ++i) {
            EXPECT_TRUE(NaturalLess(row[i], row[i + 1])) << row[i] << " < " << row[i + 1];
            EXPECT_FALSE(NaturalLess(row[i + 1], row[i])) << row[i + 1] << " !< " << row[i];
        }
    }
    EXPECT_EQ(FileVersionCompare("a01", "a1"), 0);
    EXPECT_TRUE(NaturalLess("a01", "a1"));  // the bytes settle it
    EXPECT_FALSE(NaturalLess("same", "same"));
}

namespace {

// Random names over bytes that drive the order: digits, zeros, letters of both cases,
// dots, tildes, dashes and bytes of multi-byte characters.
std::vector<std::string> RandomNames(std::size_t count)
{
    static const std::string alphabet = "0019aAbZz.~-_ \x80\xe3\xff";
    std::mt19937 random(20261209);
    std::vector<std::string> names;
    while (names.size() < count) {
        std::string name;
        const std::size_t length = 1 + random() % 8;
        for (std::size_t i = 0; i < length; ++i)
            name += alphabet[random() % alphabet.size()];
        if (name != "." && name != ".." && std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    }
    return names;
}

} // namespace

TEST(NaturalOrderTest, ListsAsLsDoes)
{
    ScratchDir dir;
    std::vector<std::string> names = RandomNames(400);
    for (const char* extra : {"IMG_2.jpg", "IMG_10.jpg", "a.tar.gz", "a1.tar.gz", ".x1", ".x01"})
        names.push_back(extra);
    for (const std::string& name : names)
        WriteFile(dir / name, "");
    const std::string command = "LC_ALL=C ls -A -v --zero '" + dir.Path().string() + "'";
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> ls(::popen(command.c_str(), "r"), ::pclose);
    ASSERT_TRUE(ls);
    std::vector<std::string> listed(1);
    for (int c; (c = std::fgetc(ls.get())) != EOF;) {
        if (c == '\0')
            listed.emplace_back();
        else
            listed.back() += static_cast<char>(c);
    }
    listed.pop_back();
    std::sort(names.begin(), names.end(), NaturalLess);
    ASSERT_EQ(listed.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i)
        ASSERT_EQ(names[i], listed[i]) << "at " << i;
}
