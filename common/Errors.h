// SPDX-License-Identifier: MIT
// The error classes that reach the user, each with its fixed message.
#pragma once

#include <exception>
#include <string>

namespace kameola {

// Base of every error the program raises; carries the message as UTF-8.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : m_message(std::move(message)) {}
    const char* what() const noexcept override { return m_message.c_str(); }
    const std::string& Message() const noexcept { return m_message; }

    // The index in the job of the entry the error came from; kNoEntry when it came from
    // none (the output folder, the page, the background picture).
    static constexpr int kNoEntry = -1;
    int EntryIndex() const noexcept { return m_entry; }
    void SetEntryIndex(int index) noexcept { m_entry = index; }

private:
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
    static std::string MessageFor(int code);
    // The error for a failed system call: errno values of the table's kinds take its codes
    // (ENOENT 3, EACCES 5, ...); any other errno gives "I/O エラー (%d)" with its own number,
    // also when that number equals a code of the table (EIO is 5).
    static EInOutError FromErrno(int err);

private:
    EInOutError(int code, std::string message);
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
    explicit EInvalidGraphicOperation(std::string message);
};

// A fatal error of the JPEG codec, with the codec's message code.
class EJPEG : public Exception {
public:
    explicit EJPEG(int code);
    int Code() const noexcept { return m_code; }

private:
    int m_code;
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

class EStreamError : public Exception {
public:
    EStreamError();
};

// Stops a command silently: never shown.
class EAbort : public Exception {
public:
    EAbort() : Exception("") {}
};

// Messages that go with a general class rather than one of their own.
// EInvalidGraphicOperation from a JPEG picture's size setters.
inline constexpr const char* kJpegSizeFixed = "JPEG イメージのサイズは変更できません";
// The reasons a copy gives when its target exists, and when its source changed while it
// was copied.
inline constexpr const char* kTargetExists = "ファイルが既に存在します";
inline constexpr const char* kSourceChanged = "コピー中にファイルが変更されました";
// Why --update does not replace a copy target: it is one of the files the job lists.
inline constexpr const char* kTargetListed = "コピー先はリストにあるファイルです";
// What an error box says for a failure that carries no message.
inline constexpr const char* kUnknownError = "不明なエラーが発生しました";

// The text an error box shows: the message plus "." when it is not empty and its last
// character sorts after "." byte by byte.
std::string WithFullStop(const std::string& message);

} // namespace kameola
