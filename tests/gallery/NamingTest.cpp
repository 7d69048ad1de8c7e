// SPDX-License-Identifier: MIT
#include "imaging/PictureReader.h"
#include "gallery/Color.h"
#include "gallery/Formats.h"
#include "gallery/Naming.h"

#include <gtest/gtest.h>

using namespace kameola;

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
    for (const char* name : {"IMG_1.HEIC", "a.heif", "x.Hif", "scan.TIF", "scan.tiff"})
        EXPECT_EQ(ClassifyExtension(name), FileClass::Converted) << name;
    for (const char* name : {"x.avif", "a.PNG", "a.webp"})
        EXPECT_EQ(ClassifyExtension(name), FileClass::Other) << name;
}

// The extension that gives the class also gives the reader, in the same comparison.
TEST(Naming, ReaderFollowsTheExtension)
{
    EXPECT_EQ(ReaderOf("X.Jpeg"), &JpegReader());
    EXPECT_EQ(ReaderOf("pict.BmP"), &BmpReader());
    EXPECT_EQ(ReaderOf("IMG_1.HEIC"), &HeifReader());
    EXPECT_EQ(ReaderOf("a.Tiff"), &TiffReader());
    // Browser-shown pictures stay in class Other with a reader for their small images.
    EXPECT_EQ(ReaderOf("/p/a.PNG"), &PngReader());
    EXPECT_EQ(ReaderOf("a.WebP"), &WebpReader());
    EXPECT_EQ(ReaderOf("x.gif"), &GifReader());
    EXPECT_EQ(ReaderOf("a.avif"), &AvifReader());
    EXPECT_EQ(ReaderOf("/a.png/x"), nullptr);
    EXPECT_EQ(ReaderOf("apng"), nullptr);
    EXPECT_EQ(ReaderOf("x.jpe"), nullptr);
    EXPECT_EQ(ReaderOf("/a.jpg/x"), nullptr);
}

// The folder search takes the table's extensions: each is a picture name in any case, and
// each but .jpe has a reader.
TEST(Naming, PictureExtensionsAreTheTables)
{
    ASSERT_EQ(PictureExtensions().size(), 13u);
    for (std::string_view extension : PictureExtensions()) {
        const std::string name = "a" + std::string(extension);
        EXPECT_NE(name, UpperAscii(name)) << "small letters";
        EXPECT_TRUE(IsPictureName(name)) << name;
        EXPECT_TRUE(IsPictureName("/p/" + UpperAscii(name))) << name;
        EXPECT_EQ(ReaderOf(name) != nullptr, extension != ".jpe") << name;
    }
    for (const char* name : {"a.txt", "/a.jpg/x", "jpg", "a.jpg.", "a.pn"})
        EXPECT_FALSE(IsPictureName(name)) << name;
}

TEST(Naming, ReplaceAndSmallNames)
{
    EXPECT_EQ(SmallImageName("IMG.JPG", FileClass::Jpeg), "IMGs.jpG");
    EXPECT_EQ(SmallImageName("photo.Jpeg", FileClass::Jpeg), "photos.jpeg");
    EXPECT_EQ(SmallImageName("a.jpg.jpg", FileClass::Jpeg), "as.jpgs.jpg");
    EXPECT_EQ(SmallImageName("pict.BMP", FileClass::Bmp), "picts.jpg");
    EXPECT_EQ(SmallImageName("IMG_1.HEIC", FileClass::Converted), "IMG_1s.jpg");
    EXPECT_EQ(SmallImageName("a.heic.tif", FileClass::Converted), "a.heics.jpg");
    EXPECT_EQ(SmallImageName("写真.JPG", FileClass::Jpeg), "写真s.jpG");
    EXPECT_EQ(SmallImageName("表.jpg", FileClass::Jpeg), "表s.jpg");
    EXPECT_EQ(ReplaceAllNoCase("", ".jp", "s.jp"), "");
    EXPECT_EQ(ReplaceAllNoCase("nomatch.gif", ".jp", "s.jp"), "nomatch.gif");
    EXPECT_EQ(ReplaceAllNoCase("aaaa", "aa", "b"), "bb");        // no overlapping matches
    EXPECT_EQ(ReplaceAllNoCase("x.JPx.jp", ".jp", "s.jp"), "xs.jpxs.jp");
    EXPECT_EQ(UpperAscii("ソ表abcäz"), "ソ表ABCäZ");
}

TEST(Naming, BrowserShownSmallImages)
{
    // "s" before the extension, ".jpg" after: never the name of a JPEG's small image.
    EXPECT_EQ(WebSmallImageName("a.png"), "as.png.jpg");
    EXPECT_EQ(WebSmallImageName("写真.WebP"), "写真s.WebP.jpg");
    EXPECT_EQ(WebSmallImageName("a.b.gif"), "a.bs.gif.jpg");
    EXPECT_NE(WebSmallImageName("a.png"), SmallImageName("a.jpg", FileClass::Jpeg));
}

TEST(Naming, MultiByteCharactersStayWhole)
{
    // In CP932 the second byte of ソ and 表 is 0x5C ("\"); here they must never split a path.
    EXPECT_EQ(BaseName("C:\\写真\\表ソ.jpg", Win), "表ソ.jpg");
    EXPECT_EQ(BaseName("/写真/ソ表.jpg"), "ソ表.jpg");
    EXPECT_EQ(JoinOutputPath("C:\\写真\\表", "a.jpg", Win), "C:\\写真\\表\\a.jpg");
}

TEST(Naming, Colors)
{
    EXPECT_EQ(ColorToHex(0xFFFFFF), "ffffff");
    EXPECT_EQ(ColorToHex(0x000080), "800000");
    EXPECT_EQ(ColorToHex(0xFF8000), "0080ff");
    EXPECT_EQ(ColorToHex(0x800000), "000080");
    EXPECT_EQ(ColorToHex(0xAB123456), "563412");  // bits above 24 ignored
}
