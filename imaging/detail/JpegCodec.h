// RAII owners of libjpeg's decompression and compression state over in-memory streams.
#pragma once

#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
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

// Runs step and returns true, or returns false when libjpeg raised a fatal error inside it.
// step must consist of plain libjpeg calls and arithmetic: nothing with a destructor may
// live in it, and nothing in it may throw.
template <class Step>
[[gnu::noinline]] bool Guarded(ErrorManager& err, Step& step) noexcept
{
    if (setjmp(err.jump))
        return false;
    step();
    return true;
}

// Raises the error held by err after Guarded returned false: EStreamError when the output
// stream ran out of memory, otherwise EJPEG with the codec's message code.
[[noreturn]] void RaiseCodecError(const ErrorManager& err);

// Decompression over bytes owned by the caller, which must outlive this object.
class Decompressor {
public:
    Decompressor(const std::uint8_t* data, std::size_t size);
    ~Decompressor();
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;

    jpeg_decompress_struct& Info() { return m_info; }

    // Runs step under the error manager; a fatal codec error becomes an exception.
    template <class Step>
    void Run(Step step)
    {
        if (!Guarded(m_err, step))
            RaiseCodecError(m_err);
    }

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

    ErrorManager m_err;
    jpeg_decompress_struct m_info;
    Source m_source;
    bool m_created = false;
};

// Compression appending to a byte vector owned by the caller.
class Compressor {
public:
    explicit Compressor(std::vector<std::uint8_t>& out);
    ~Compressor();
    Compressor(const Compressor&) = delete;
    Compressor& operator=(const Compressor&) = delete;

    jpeg_compress_struct& Info() { return m_info; }

    template <class Step>
    void Run(Step step)
    {
        if (!Guarded(m_err, step))
            RaiseCodecError(m_err);
    }

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

    ErrorManager m_err;
    jpeg_compress_struct m_info;
    Destination m_dest;
    bool m_created = false;
};

} // namespace kameola::jpeg
