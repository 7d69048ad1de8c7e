// SPDX-License-Identifier: MIT
#include "common/Errors.h"
#include "gallery/Entry.h"
#include "tests/gallery/TestFiles.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace kameola;
using namespace kameola::test;

TEST(Entry, SizeOrOpenError)
{
    ScratchDir dir;
    WriteFile(dir / "empty.gif", "");
    WriteFile(dir / "表ソ.jpg", "12345");
    EXPECT_EQ(OpenEntry(dir / "empty.gif").SizeText, "0");
    GalleryEntry entry = OpenEntry(dir / "表ソ.jpg");
    EXPECT_EQ(entry.Path, dir / "表ソ.jpg");
    EXPECT_EQ(entry.SizeText, "5");

    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    for (const std::string& bad : {dir / "missing.jpg", dir.Path().string(), dir / "pipe"}) {
        try {
            OpenEntry(bad);
            ADD_FAILURE() << bad;
        } catch (const EFOpenError& e) {
            EXPECT_EQ(e.Message(), EFOpenError(bad).Message());
        }
    }
}

namespace {

class FailureHost : public RecordingHost {
public:
    void EntryFailed(const std::string& path, const MessageText& message) override
    {
        Failed.push_back(path + ": " + message.Japanese());
    }
    std::vector<std::string> Failed;
};

} // namespace

TEST(Entry, OpenEntriesStopsOrKeepsGoing)
{
    ScratchDir dir;
    WriteFile(dir / "a.gif", "GIF89a");
    WriteFile(dir / "b.gif", "GIF");
    const std::vector<std::string> paths = {dir / "a.gif", dir / "x.jpg", dir / "b.gif", dir / "y.jpg"};

    FailureHost host;
    try {
        OpenEntries(paths, host, false);
        ADD_FAILURE() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), EFOpenError(paths[1]).Message());
        EXPECT_EQ(e.EntryIndex(), 1);  // the first failing file, by its place in the list
    }
    EXPECT_TRUE(host.Failed.empty());

    const std::vector<GalleryEntry> kept = OpenEntries(paths, host, true);
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].Path, paths[0]);
    EXPECT_EQ(kept[1].SizeText, "3");
    EXPECT_EQ(host.Failed, (std::vector<std::string>{paths[1] + ": " + EFOpenError(paths[1]).Message(),
                                                     paths[3] + ": " + EFOpenError(paths[3]).Message()}));
}
