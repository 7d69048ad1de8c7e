// SPDX-License-Identifier: MIT
// Every error class's text, byte for byte, once; other tests compare through the classes.
#include "common/Errors.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

using namespace kameola;

TEST(Errors, EveryMessageByteForByte)
{
    struct Case {
        std::string message;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {EFOpenError("/p/a.jpg").Message(), "ファイル /p/a.jpg は開けません"},
        {EFCreateError("").Message(), "ファイル  を作成できません"},
        {EFCreateError("/p/index.htm").Message(), "ファイル /p/index.htm を作成できません"},
        {EReadError().Message(), "ストリームからの読み込みエラー"},
        {EInvalidGraphic().Message(), "ビットマップイメージが不正です"},
        {EInvalidGraphicOperation(MessageId::JpegSizeFixed).Message(), "JPEG イメージのサイズは変更できません"},
        {EJPEG(41).Message(), "JPEG エラー #41"},
        {EPictureError("HEIF", "Invalid input: No 'ftyp' box").Message(),
         "HEIF エラー (Invalid input: No 'ftyp' box)"},
        {EPictureError("TIFF", "Not a TIFF file").Message(), "TIFF エラー (Not a TIFF file)"},
        {EInvalidOperation(1, 2147483647).Message(), "1 から 2147483647 の間の値でなければなりません"},
        {EInvalidOperation(-2147483647, -1).Message(), "-2147483647 から -1 の間の値でなければなりません"},
        {EInvalidOp().Message(), "不正な浮動小数点数演算命令"},
        {EZeroDivide().Message(), "0 による浮動小数点数除算"},
        {EOutOfResources().Message(), "システム リソースが足りません"},
        {EStreamError().Message(), "メモリストリームの拡大中にメモリが足りなくなりました"},
        {EAbort().Message(), ""},
        {TextsOf(MessageId::TargetExists).Japanese, "ファイルが既に存在します"},
        {TextsOf(MessageId::SourceChanged).Japanese, "コピー中にファイルが変更されました"},
        {TextsOf(MessageId::UnknownError).Japanese, "不明なエラーが発生しました"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.message, c.expected);
}

TEST(Errors, InOutMessagesByCode)
{
    EXPECT_EQ(EInOutError(2).Message(), "ファイルが見つかりません");
    EXPECT_EQ(EInOutError(3).Message(), "不正なファイル名です");
    EXPECT_EQ(EInOutError(4).Message(), "オープンしたファイルが多すぎます");
    EXPECT_EQ(EInOutError(5).Message(), "ファイルへのアクセスが拒否されました");
    EXPECT_EQ(EInOutError(100).Message(), "ファイルの末尾以降を読み込みました");
    EXPECT_EQ(EInOutError(101).Message(), "ディスクがいっぱいです");
    EXPECT_EQ(EInOutError(106).Message(), "入力値が数値ではありません");
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
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"ファイル a は開けません", "ファイル a は開けません."},
        {"JPEG エラー #41", "JPEG エラー #41."},
        {"abc", "abc."},
        {"TBrowseDialog: ppmem.Alloc Failed.", "TBrowseDialog: ppmem.Alloc Failed."},
        {"I/O エラー (17)", "I/O エラー (17)"},
        {"a/", "a/."},  // "/" sorts after "."
        {"a-", "a-"},   // "-" sorts before "."
        {"", ""},
    };
    for (const auto& [message, shown] : cases)
        EXPECT_EQ(WithFullStop(message), shown) << message;
}
