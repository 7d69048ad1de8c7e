#include "common/Errors.h"

#include <cerrno>
#include <gtest/gtest.h>

using namespace kameola;

TEST(Errors, MessagesAreFilledIn)
{
    EXPECT_EQ(EFOpenError("/p/a.jpg").Message(), "ファイル /p/a.jpg は開けません");
    EXPECT_EQ(EFCreateError("").Message(), "ファイル  を作成できません");
    EXPECT_EQ(EJPEG(41).Message(), "JPEG エラー #41");
    EXPECT_EQ(EInvalidOperation(1, 2147483647).Message(), "1 から 2147483647 の間の値でなければなりません");
    EXPECT_EQ(EInvalidOperation(-2147483647, -1).Message(), "-2147483647 から -1 の間の値でなければなりません");
    EXPECT_EQ(EAbort().Message(), "");
}

TEST(Errors, InOutMessagesByCode)
{
    EXPECT_EQ(EInOutError(3).Message(), "不正なファイル名です");
    EXPECT_EQ(EInOutError(5).Message(), "ファイルへのアクセスが拒否されました");
    EXPECT_EQ(EInOutError(101).Message(), "ディスクがいっぱいです");
    EXPECT_EQ(EInOutError(17).Message(), "I/O エラー (17)");
    EXPECT_EQ(EInOutError::CodeForErrno(ENOENT), 3);
    EXPECT_EQ(EInOutError::CodeForErrno(ENOTDIR), 3);
    EXPECT_EQ(EInOutError::CodeForErrno(EROFS), 5);
    EXPECT_EQ(EInOutError::CodeForErrno(ENFILE), 4);
    EXPECT_EQ(EInOutError::CodeForErrno(EDQUOT), 101);
    EXPECT_EQ(EInOutError::CodeForErrno(EEXIST), EEXIST);
}

TEST(Errors, FullStopRule)
{
    EXPECT_EQ(WithFullStop("ファイル a は開けません"), "ファイル a は開けません.");
    EXPECT_EQ(WithFullStop("JPEG エラー #41"), "JPEG エラー #41.");
    EXPECT_EQ(WithFullStop("abc"), "abc.");
    EXPECT_EQ(WithFullStop("TBrowseDialog: ppmem.Alloc Failed."), "TBrowseDialog: ppmem.Alloc Failed.");
    EXPECT_EQ(WithFullStop("I/O エラー (17)"), "I/O エラー (17)");
    EXPECT_EQ(WithFullStop("a/"), "a/.");   // "/" sorts after "."
    EXPECT_EQ(WithFullStop("a-"), "a-");    // "-" sorts before "."
    EXPECT_EQ(WithFullStop(""), "");
}
