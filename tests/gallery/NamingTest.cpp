#include "common/Errors.h"
#include "gallery/Color.h"
#include "gallery/Naming.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kameola;
namespace fs = std::filesystem;

namespace {
constexpr PathSyntax Win = PathSyntax::Windows;
}

TEST(Naming, WindowsSyntaxWorkedExamples)
{
    EXPECT_EQ(ExtensionOf("C:\\dir.old\\readme", Win), "");
    EXPECT_EQ(ExtensionOf("a.", Win), ".");
    EXPECT_EQ(BaseName("D:photo.jpg", Win), "photo.jpg");
    EXPECT_EQ(BaseName("C:\\pics\\a.jpg", Win), "a.jpg");
    EXPECT_EQ(BaseName("C:\\pics\\", Win), "");
    EXPECT_EQ(JoinOutputPath("C:\\out", "a.jpg", Win), "C:\\out\\a.jpg");
    EXPECT_EQ(JoinOutputPath("C:\\out\\", "a.jpg", Win), "C:\\out\\a.jpg");
    EXPECT_EQ(JoinOutputPath("", "a.jpg", Win), "a.jpg");
    EXPECT_EQ(FileUrl("C:\\pics\\a.jpg", Win), "file://C:/pics/a.jpg");
    EXPECT_EQ(ChangeExtension("C:\\dir.old\\readme", ".jpg", Win), "C:\\dir.old\\readme.jpg");
    EXPECT_EQ(ClassifyExtension("C:\\x.jpg\\file", Win), FileClass::Other);
}

TEST(Naming, NativeSyntax)
{
    EXPECT_EQ(BaseName("/pics/a.jpg"), "a.jpg");
    EXPECT_EQ(BaseName("a.jpg"), "a.jpg");
    EXPECT_EQ(BaseName("/pics/"), "");
    EXPECT_EQ(BaseName("C:\\pics\\a.jpg"), "C:\\pics\\a.jpg");  // "\" and ":" are ordinary here
    EXPECT_EQ(ExtensionOf("/dir.old/readme"), "");
    EXPECT_EQ(ExtensionOf("/dir/.hidden"), ".hidden");
    EXPECT_EQ(ExtensionOf(""), "");
    EXPECT_EQ(ChangeExtension("scan.bmp", ".jpg"), "scan.jpg");
    EXPECT_EQ(ChangeExtension("scan", ".jpg"), "scan.jpg");
    EXPECT_EQ(ChangeExtension("a.b.bmp", ".jpg"), "a.b.jpg");
    EXPECT_EQ(JoinOutputPath("/out", "a.jpg"), "/out/a.jpg");
    EXPECT_EQ(JoinOutputPath("/out/", "a.jpg"), "/out/a.jpg");
    EXPECT_EQ(JoinOutputPath("/", "a.jpg"), "/a.jpg");
    EXPECT_EQ(JoinOutputPath("/out", ""), "/out/");
    EXPECT_EQ(FileUrl("/pics/a.jpg"), "file:///pics/a.jpg");
    EXPECT_EQ(FileUrl("/p/a\\b.jpg"), "file:///p/a\\b.jpg");
}

TEST(Naming, Classify)
{
    EXPECT_EQ(ClassifyExtension("X.Jpeg"), FileClass::Jpeg);
    EXPECT_EQ(ClassifyExtension("/p/IMG.JPG"), FileClass::Jpeg);
    EXPECT_EQ(ClassifyExtension("pict.BmP"), FileClass::Bmp);
    EXPECT_EQ(ClassifyExtension("x.jpe"), FileClass::Other);
    EXPECT_EQ(ClassifyExtension("x"), FileClass::Other);
    EXPECT_EQ(ClassifyExtension("x.gif"), FileClass::Other);
    EXPECT_EQ(ClassifyExtension("/a.jpg/x"), FileClass::Other);
}

TEST(Naming, ReplaceAndSmallNames)
{
    EXPECT_EQ(SmallImageName("IMG.JPG", FileClass::Jpeg), "IMGs.jpG");
    EXPECT_EQ(SmallImageName("photo.Jpeg", FileClass::Jpeg), "photos.jpeg");
    EXPECT_EQ(SmallImageName("a.jpg.jpg", FileClass::Jpeg), "as.jpgs.jpg");
    EXPECT_EQ(SmallImageName("pict.BMP", FileClass::Bmp), "picts.jpg");
    EXPECT_EQ(SmallImageName("写真.JPG", FileClass::Jpeg), "写真s.jpG");
    EXPECT_EQ(SmallImageName("表.jpg", FileClass::Jpeg), "表s.jpg");
    EXPECT_EQ(ReplaceAllNoCase("", ".jp", "s.jp"), "");
    EXPECT_EQ(ReplaceAllNoCase("nomatch.gif", ".jp", "s.jp"), "nomatch.gif");
    EXPECT_EQ(ReplaceAllNoCase("aaaa", "aa", "b"), "bb");        // no overlapping matches
    EXPECT_EQ(ReplaceAllNoCase("x.JPx.jp", ".jp", "s.jp"), "xs.jpxs.jp");
    EXPECT_EQ(UpperAscii("ソ表abcäz"), "ソ表ABCäZ");
}

TEST(Naming, MultiByteCharactersStayWhole)
{
    // In CP932 the second byte of ソ and 表 is 0x5C ("\"); here they must never split a path.
    EXPECT_EQ(BaseName("C:\\写真\\表ソ.jpg", Win), "表ソ.jpg");
    EXPECT_EQ(BaseName("/写真/ソ表.jpg"), "ソ表.jpg");
    EXPECT_EQ(FileUrl("C:\\表\\ソ.jpg", Win), "file://C:/表/ソ.jpg");
    EXPECT_EQ(JoinOutputPath("C:\\写真\\表", "a.jpg", Win), "C:\\写真\\表\\a.jpg");
}

TEST(Naming, ColorsAndNumbers)
{
    EXPECT_EQ(ColorToHex(0xFFFFFF), "ffffff");
    EXPECT_EQ(ColorToHex(0x000080), "800000");
    EXPECT_EQ(ColorToHex(0xFF8000), "0080ff");
    EXPECT_EQ(ColorToHex(0x800000), "000080");
    EXPECT_EQ(ColorToHex(0xAB123456), "563412");  // bits above 24 ignored
    EXPECT_EQ(DecimalText(0), "0");
    EXPECT_EQ(DecimalText(-12), "-12");
    EXPECT_EQ(DecimalText(2147483647), "2147483647");
}

class DirectoryChain : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_root = fs::temp_directory_path() / ("kameola-chain-" + std::to_string(::getpid()));
        fs::remove_all(m_root);
        fs::create_directories(m_root);
    }
    void TearDown() override
    {
        fs::permissions(m_root, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(m_root);
    }
    fs::path m_root;
};

TEST_F(DirectoryChain, CreatesEveryLevel)
{
    std::string dir = (m_root / "new" / "写真" / "deeper").string();
    CreateDirectoryChain(dir);
    EXPECT_TRUE(fs::is_directory(dir));
    CreateDirectoryChain(dir + "/");  // existing levels are left alone
    CreateDirectoryChain((m_root / "a.old" / "b").string() + "/");
    EXPECT_TRUE(fs::is_directory(m_root / "a.old" / "b"));
}

TEST_F(DirectoryChain, FailureKeepsEarlierLevels)
{
    std::ofstream(m_root / "file") << "x";
    try {
        CreateDirectoryChain((m_root / "made" / std::string(300, 'x') / "y").string());
        ADD_FAILURE() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Message(), EInOutError(3).Message());  // ENAMETOOLONG
    }
    EXPECT_TRUE(fs::is_directory(m_root / "made"));

    try {
        CreateDirectoryChain((m_root / "file" / "x").string());
        ADD_FAILURE() << "no error";
    } catch (const EInOutError& e) {
        // A file stands where a level should be (EEXIST).
        EXPECT_EQ(e.Message(), EInOutError::FromErrno(EEXIST).Message());
    }

    if (::geteuid() != 0) {
        fs::permissions(m_root, fs::perms::owner_write, fs::perm_options::remove);
        try {
            CreateDirectoryChain((m_root / "denied").string());
            ADD_FAILURE() << "no error";
        } catch (const EInOutError& e) {
            EXPECT_EQ(e.Message(), EInOutError(5).Message());
        }
    }
}

TEST(NamingTest, AbsolutePathJoinsTheWorkingFolderByText)
{
    const std::string cwd = fs::current_path().string();
    EXPECT_EQ(AbsolutePath("pics/a.jpg"), cwd + "/pics/a.jpg");
    EXPECT_EQ(AbsolutePath("./pics//./a.jpg"), cwd + "/pics/a.jpg");
    EXPECT_EQ(AbsolutePath("../a.jpg"), cwd + "/../a.jpg");  // ".." is kept, not folded
    EXPECT_EQ(AbsolutePath("/x/./y/"), "/x/y/");
    EXPECT_EQ(AbsolutePath("/"), "/");
    EXPECT_EQ(AbsolutePath(""), "");
}
