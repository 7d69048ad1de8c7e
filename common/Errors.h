// SPDX-License-Identifier: MIT
// The error classes that reach the user, each with its fixed message.
#pragma once

#include "common/Messages.h"

#include <exception>
#include <new>
#include <string>

namespace kameola {

// Base of every error the program raises; carries its message id and arguments, and the
// message as the windows show it (UTF-8).
class Exception : public std::exception {
public:
    explicit Exception(MessageText text) : m_text(std::move(text)), m_message(m_text.Japanese()) {}
    const char* what() const noexcept override { return m_message.c_str(); }
    const std::string& Message() const noexcept { return m_message; }
    const MessageText& Text() const noexcept { return m_text; }

    // The index in the job of the entry the error came from; kNoEntry when it came from
    // none (the output folder, the page, the background picture).
    static constexpr int kNoEntry = -1;
    int EntryIndex() const noexcept { return m_entry; }
    void SetEntryIndex(int index) noexcept { m_entry = index; }

private:
    MessageText m_text;
    std::string m_message;
    int m_entry = kNoEntry;
};

// "ファイル %s は開けません"
class EFOpenError : public Exception {
public:
    explicit EFOpenError(const std::string& path);
};

// "ファイル %s を作成できません"
class EFCreateError : public Exception {
public:
    explicit EFCreateError(const std::string& path);
};

// A failed file-system call (creating the output folder, copying a file); the message
// depends on the error code.
class EInOutError : public Exception {
public:
    explicit EInOutError(int code);
    int Code() const noexcept { return m_code; }
    static MessageText TextFor(int code);
    // The error for a failed system call: errno values of the table's kinds take its codes
    // (ENOENT 3, EACCES 5, ...); any other errno gives "I/O エラー (%d)" with its own number,
    // also when that number equals a code of the table (EIO is 5).
    static EInOutError FromErrno(int err);

private:
    EInOutError(int code, MessageText text);
    int m_code;
};

class EReadError : public Exception {
public:
    EReadError();
};

class EInvalidGraphic : public Exception {
public:
    EInvalidGraphic();
};

class EInvalidGraphicOperation : public Exception {
public:
    explicit EInvalidGraphicOperation(MessageId id);
};

// A fatal error of the JPEG codec, with the codec's message code.
class EJPEG : public Exception {
public:
    explicit EJPEG(int code);
    int Code() const noexcept { return m_code; }

private:
    int m_code;
};

// "%s エラー (%s)": a picture decoder refused a file; the format's name ("HEIF", "TIFF")
// and the decoder's own reason.
class EPictureError : public Exception {
public:
    EPictureError(const std::string& format, const std::string& reason);
};

// "%d から %d の間の値でなければなりません"
class EInvalidOperation : public Exception {
public:
    EInvalidOperation(int low, int high);
};

class EInvalidOp : public Exception {
public:
    EInvalidOp();
};

class EZeroDivide : public Exception {
public:
    EZeroDivide();
};

class EOutOfResources : public Exception {
public:
    EOutOfResources();
};

// Runs body; an allocation failure that has no error of its own comes out as lacking
// resources, never with the text of a C++ exception. The one place it is translated.
template <class Body>
auto TranslatingAllocationFailure(Body body) -> decltype(body())
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        throw EOutOfResources();
    }
}

class EStreamError : public Exception {
public:
    EStreamError();
};

// Stops a command silently: never shown.
class EAbort : public Exception {
public:
    EAbort() : Exception(MessageText{MessageId::Verbatim, {""}}) {}
};

// The text an error box shows: the message plus "." when it is not empty and its last
// character sorts after "." byte by byte.
std::string WithFullStop(const std::string& message);

} // namespace kameola
