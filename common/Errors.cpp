// SPDX-License-Identifier: MIT
// Messages of the error classes.
#include "common/Errors.h"

#include <cerrno>

namespace kameola {

EFOpenError::EFOpenError(const std::string& path)
    : Exception("ファイル " + path + " は開けません") {}

EFCreateError::EFCreateError(const std::string& path)
    : Exception("ファイル " + path + " を作成できません") {}

EInOutError::EInOutError(int code) : Exception(MessageFor(code)), m_code(code) {}

std::string EInOutError::MessageFor(int code)
{
    switch (code) {
    case 2: return "ファイルが見つかりません";
    case 3: return "不正なファイル名です";
    case 4: return "オープンしたファイルが多すぎます";
    case 5: return "ファイルへのアクセスが拒否されました";
    case 100: return "ファイルの末尾以降を読み込みました";
    case 101: return "ディスクがいっぱいです";
    case 106: return "入力値が数値ではありません";
    default: return "I/O エラー (" + std::to_string(code) + ")";
    }
}

EInOutError::EInOutError(int code, std::string message)
    : Exception(std::move(message)), m_code(code) {}

EInOutError EInOutError::FromErrno(int err)
{
    switch (err) {
    case ENOENT: case ENOTDIR: case ENAMETOOLONG: case ELOOP: return EInOutError(3);
    case EACCES: case EPERM: case EROFS: return EInOutError(5);
    case EMFILE: case ENFILE: return EInOutError(4);
    case ENOSPC: case EDQUOT: return EInOutError(101);
    default: return EInOutError(err, "I/O エラー (" + std::to_string(err) + ")");
    }
}

EReadError::EReadError() : Exception("ストリームからの読み込みエラー") {}

EInvalidGraphic::EInvalidGraphic() : Exception("ビットマップイメージが不正です") {}

EInvalidGraphicOperation::EInvalidGraphicOperation(std::string message)
    : Exception(std::move(message)) {}

EJPEG::EJPEG(int code) : Exception("JPEG エラー #" + std::to_string(code)), m_code(code) {}

EPictureError::EPictureError(const std::string& format, const std::string& reason)
    : Exception(format + " エラー (" + reason + ")")
{
}

EInvalidOperation::EInvalidOperation(int low, int high)
    : Exception(std::to_string(low) + " から " + std::to_string(high) + " の間の値でなければなりません") {}

EInvalidOp::EInvalidOp() : Exception("不正な浮動小数点数演算命令") {}

EZeroDivide::EZeroDivide() : Exception("0 による浮動小数点数除算") {}

EOutOfResources::EOutOfResources() : Exception("システム リソースが足りません") {}

EStreamError::EStreamError() : Exception("メモリストリームの拡大中にメモリが足りなくなりました") {}

std::string WithFullStop(const std::string& message)
{
    // Compare the last byte: every byte of a multi-byte UTF-8 character is above ".".
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.')
        return message + ".";
    return message;
}

} // namespace kameola
