// SPDX-License-Identifier: MIT
// Messages of the error classes.
#include "common/Errors.h"

#include <cerrno>

namespace kameola {

EFOpenError::EFOpenError(const std::string& path) : Exception({MessageId::FileOpen, {path}}) {}

EFCreateError::EFCreateError(const std::string& path) : Exception({MessageId::FileCreate, {path}}) {}

EInOutError::EInOutError(int code) : Exception(TextFor(code)), m_code(code) {}

MessageText EInOutError::TextFor(int code)
{
    switch (code) {
    case 2: return {MessageId::FileNotFound, {}};
    case 3: return {MessageId::InvalidFileName, {}};
    case 4: return {MessageId::TooManyOpenFiles, {}};
    case 5: return {MessageId::AccessDenied, {}};
    case 100: return {MessageId::ReadPastEnd, {}};
    case 101: return {MessageId::DiskFull, {}};
    case 106: return {MessageId::NotANumber, {}};
    default: return {MessageId::IoError, {std::to_string(code)}};
    }
}

EInOutError::EInOutError(int code, MessageText text) : Exception(std::move(text)), m_code(code) {}

EInOutError EInOutError::FromErrno(int err)
{
    switch (err) {
    case ENOENT: case ENOTDIR: case ENAMETOOLONG: case ELOOP: return EInOutError(3);
    case EACCES: case EPERM: case EROFS: return EInOutError(5);
    case EMFILE: case ENFILE: return EInOutError(4);
    case ENOSPC: case EDQUOT: return EInOutError(101);
    default: return EInOutError(err, {MessageId::IoError, {std::to_string(err)}});
    }
}

EReadError::EReadError() : Exception({MessageId::StreamRead, {}}) {}

EInvalidGraphic::EInvalidGraphic() : Exception({MessageId::InvalidBitmap, {}}) {}

EInvalidGraphicOperation::EInvalidGraphicOperation(MessageId id) : Exception({id, {}}) {}

EJPEG::EJPEG(int code) : Exception({MessageId::JpegError, {std::to_string(code)}}), m_code(code) {}

EPictureError::EPictureError(const std::string& format, const std::string& reason)
    : Exception({MessageId::PictureError, {format, reason}}) {}

EInvalidOperation::EInvalidOperation(int low, int high)
    : Exception({MessageId::ValueRange, {std::to_string(low), std::to_string(high)}}) {}

EInvalidOp::EInvalidOp() : Exception({MessageId::InvalidFloat, {}}) {}

EZeroDivide::EZeroDivide() : Exception({MessageId::ZeroDivide, {}}) {}

EOutOfResources::EOutOfResources() : Exception({MessageId::OutOfResources, {}}) {}

EStreamError::EStreamError() : Exception({MessageId::StreamGrow, {}}) {}

std::string WithFullStop(const std::string& message)
{
    // Compare the last byte: every byte of a multi-byte UTF-8 character is above ".".
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.')
        return message + ".";
    return message;
}

} // namespace kameola
