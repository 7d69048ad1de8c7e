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
}

// errno values map onto the table by kind; any other keeps its own number in the message,
// also when that number is a code of the table.
TEST(Errors, InOutErrorFromErrno)
{
    EXPECT_EQ(EInOutError::FromErrno(ENOENT).Message(), "不正なファイル名です");
    EXPECT_EQ(EInOutError::FromErrno(ENOTDIR).Code(), 3);
    EXPECT_EQ(EInOutError::FromErrno(EROFS).Message(), "ファイルへのアクセスが拒否されました");
    EXPECT_EQ(EInOutError::FromErrno(ENFILE).Message(), "オープンしたファイルが多すぎます");
    EXPECT_EQ(EInOutError::FromErrno(EDQUOT).Message(), "ディスクがいっぱいです");
    EXPECT_EQ(EInOutError::FromErrno(EEXIST).Message(), "I/O エラー (17)");

    static_assert(EIO == 5 && EINTR == 4);  // the numbers of two table codes
    EXPECT_EQ(EInOutError::FromErrno(EIO).Message(), "I/O エラー (5)");
    EXPECT_EQ(EInOutError::FromErrno(EIO).Code(), EIO);
    EXPECT_EQ(EInOutError::FromErrno(EINTR).Message(), "I/O エラー (4)");
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
