// SPDX-License-Identifier: MIT
// RAII owners of libjpeg's decompression and compression state over in-memory streams.
#pragma once

#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <type_traits>
#include <vector>
#include <jpeglib.h>

namespace kameola::jpeg {

// Bytes the in-memory source and destination move per call.
inline constexpr std::size_t kBlockSize = 4096;

// The error manager: fatal errors longjmp back to Guarded, warnings and traces do nothing.
// Plain data only, because a longjmp skips every destructor between the two points.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    bool streamOutOfMemory;  // the growing output stream could not be enlarged
};

// Runs step(args) and returns true, or returns false when libjpeg raised a fatal error
// inside it. A longjmp skips every destructor between the two points, so the step is a
// named function of plain libjpeg calls and arithmetic over plain-data arguments: nothing
// in it may own a resource or throw.
template <class Args>
[[gnu::noinline]] bool Guarded(ErrorManager& err, void (*step)(Args&), Args& args) noexcept
{
    static_assert(std::is_trivially_destructible_v<Args>,
                  "a guarded step's arguments must be plain data");
    if (setjmp(err.jump))
        return false;
    step(args);
    return true;
}

// Raises the error held by err after Guarded returned false: EStreamError when the output
// stream ran out of memory, otherwise EJPEG with the codec's message code.
[[noreturn]] void RaiseCodecError(const ErrorManager& err);

// The codec state of one stream (jpeg_decompress_struct or jpeg_compress_struct) with its
// error manager: created in the constructor, destroyed with the object.
template <class State>
class CodecState {
public:
    CodecState(const CodecState&) = delete;
    CodecState& operator=(const CodecState&) = delete;

    State& Info() { return m_info; }

    // Runs step(args) under the error manager; a fatal codec error becomes an exception.
    template <class Args>
    void Run(void (*step)(Args&), Args& args)
    {
        if (!Guarded(m_err, step, args))
            RaiseCodecError(m_err);
    }

protected:
    // create is jpeg_create_decompress or jpeg_create_compress with the memory limit.
    explicit CodecState(void (*create)(State&));
    ~CodecState();

    ErrorManager m_err;
    State m_info;

private:
    bool m_created = false;
};

// Decompression over bytes owned by the caller, which must outlive this object.
class Decompressor : public CodecState<jpeg_decompress_struct> {
public:
    Decompressor(const std::uint8_t* data, std::size_t size);

private:
    struct Source {
        jpeg_source_mgr pub;
        const JOCTET* data;
        std::size_t size;
        std::size_t next;  // offset of the first byte not yet handed to the codec
        JOCTET eoi[2];
    };

    static void InitSource(j_decompress_ptr info);
    static boolean FillInputBuffer(j_decompress_ptr info);
    static void SkipInputData(j_decompress_ptr info, long count);
    static void TermSource(j_decompress_ptr info);

    Source m_source;
};

// Compression appending to a byte vector owned by the caller.
class Compressor : public CodecState<jpeg_compress_struct> {
public:
    explicit Compressor(std::vector<std::uint8_t>& out);

private:
    struct Destination {
        jpeg_destination_mgr pub;
        std::vector<std::uint8_t>* out;
        ErrorManager* err;
        JOCTET block[kBlockSize];
    };

    static void InitDestination(j_compress_ptr info);
    static boolean EmptyOutputBuffer(j_compress_ptr info);
    static void TermDestination(j_compress_ptr info);
    static bool Append(Destination& dest, std::size_t count) noexcept;

    Destination m_dest;
};

} // namespace kameola::jpeg
