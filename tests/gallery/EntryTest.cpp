#include "gallery/Entry.h"
#include "common/Errors.h"
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
