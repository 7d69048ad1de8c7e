// SPDX-License-Identifier: MIT
// The libjpeg error manager, in-memory source and destination, and the codec state owners.
#include "imaging/detail/JpegCodec.h"

#include "common/Errors.h"
#include "imaging/Bitmap.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <jerror.h>

namespace kameola::jpeg {
namespace {

void JumpOut(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

// Warnings (a stream ending early, corrupt data) and traces never interrupt or report.
void IgnoreMessage(j_common_ptr, int) {}
void IgnoreOutput(j_common_ptr) {}

void InitErrorManager(ErrorManager& err)
{
    std::memset(&err, 0, sizeof err);
    jpeg_std_error(&err.pub);
    err.pub.error_exit = JumpOut;
    err.pub.emit_message = IgnoreMessage;
    err.pub.output_message = IgnoreOutput;
}

// The encoder's own large buffers stay within the bound set for pictures; beyond it the
// codec fails cleanly. The decoder is not bound: its one large buffer, the coefficients
// of a multi-scan stream, is checked against the bound before decoding starts.
void LimitCodecMemory(j_common_ptr info)
{
    const std::size_t limit = PictureStorageLimit();
    info->mem->max_memory_to_use =
        static_cast<long>(std::min<std::size_t>(limit, static_cast<std::size_t>(LONG_MAX)));
}

void CreateDecompress(jpeg_decompress_struct& info)
{
    jpeg_create_decompress(&info);
}

void CreateCompress(jpeg_compress_struct& info)
{
    jpeg_create_compress(&info);
    LimitCodecMemory(reinterpret_cast<j_common_ptr>(&info));
}

} // namespace

void RaiseCodecError(const ErrorManager& err)
{
    if (err.streamOutOfMemory)
        throw EStreamError();
    throw EJPEG(err.pub.msg_code);
}

// ---- Codec state ----

template <class State>
CodecState<State>::CodecState(void (*create)(State&))
{
    InitErrorManager(m_err);
    std::memset(&m_info, 0, sizeof m_info);
    m_info.err = &m_err.pub;
    if (!Guarded(m_err, create, m_info)) {
        jpeg_destroy(reinterpret_cast<j_common_ptr>(&m_info));  // safe on a half-made state
        RaiseCodecError(m_err);
    }
    m_created = true;
}

template <class State>
CodecState<State>::~CodecState()
{
    if (m_created)
        jpeg_destroy(reinterpret_cast<j_common_ptr>(&m_info));
}

template class CodecState<jpeg_decompress_struct>;
template class CodecState<jpeg_compress_struct>;

// ---- Decompression ----

Decompressor::Decompressor(const std::uint8_t* data, std::size_t size)
    : CodecState(CreateDecompress)
{
    std::memset(&m_source, 0, sizeof m_source);
    m_source.data = data;
    m_source.size = size;
    m_source.pub.init_source = InitSource;
    m_source.pub.fill_input_buffer = FillInputBuffer;
    m_source.pub.skip_input_data = SkipInputData;
    m_source.pub.resync_to_restart = jpeg_resync_to_restart;
    m_source.pub.term_source = TermSource;
    m_info.src = &m_source.pub;
}

void Decompressor::InitSource(j_decompress_ptr) {}
void Decompressor::TermSource(j_decompress_ptr) {}

// Hands the codec the next block of up to 4096 bytes; past the end, an end-of-image marker.
boolean Decompressor::FillInputBuffer(j_decompress_ptr info)
{
    auto* src = reinterpret_cast<Source*>(info->src);
    if (src->next >= src->size) {
        if (src->size == 0)
            ERREXIT(info, JERR_INPUT_EMPTY);
        WARNMS(info, JWRN_JPEG_EOF);
        src->eoi[0] = 0xFF;
        src->eoi[1] = JPEG_EOI;
        src->pub.next_input_byte = src->eoi;
        src->pub.bytes_in_buffer = 2;
        return TRUE;
    }
    const std::size_t count = std::min(kBlockSize, src->size - src->next);
    src->pub.next_input_byte = src->data + src->next;
    src->pub.bytes_in_buffer = count;
    src->next += count;
    return TRUE;
}

void Decompressor::SkipInputData(j_decompress_ptr info, long count)
{
    if (count <= 0)
        return;
    auto* src = reinterpret_cast<Source*>(info->src);
    auto left = static_cast<std::size_t>(count);
    while (left > src->pub.bytes_in_buffer) {
        left -= src->pub.bytes_in_buffer;
        FillInputBuffer(info);
    }
    src->pub.next_input_byte += left;
    src->pub.bytes_in_buffer -= left;
}

// ---- Compression ----

Compressor::Compressor(std::vector<std::uint8_t>& out) : CodecState(CreateCompress)
{
    std::memset(&m_dest, 0, sizeof m_dest);
    m_dest.out = &out;
    m_dest.err = &m_err;
    m_dest.pub.init_destination = InitDestination;
    m_dest.pub.empty_output_buffer = EmptyOutputBuffer;
    m_dest.pub.term_destination = TermDestination;
    m_info.dest = &m_dest.pub;
}

bool Compressor::Append(Destination& dest, std::size_t count) noexcept
{
    try {
        dest.out->insert(dest.out->end(), dest.block, dest.block + count);
        return true;
    } catch (...) {
        return false;
    }
}

void Compressor::InitDestination(j_compress_ptr info)
{
    auto* dest = reinterpret_cast<Destination*>(info->dest);
    dest->pub.next_output_byte = dest->block;
    dest->pub.free_in_buffer = kBlockSize;
}

boolean Compressor::EmptyOutputBuffer(j_compress_ptr info)
{
    auto* dest = reinterpret_cast<Destination*>(info->dest);
    if (!Append(*dest, kBlockSize)) {
        dest->err->streamOutOfMemory = true;
        ERREXIT(info, JERR_OUT_OF_MEMORY);
    }
    dest->pub.next_output_byte = dest->block;
    dest->pub.free_in_buffer = kBlockSize;
    return TRUE;
}

void Compressor::TermDestination(j_compress_ptr info)
{
    auto* dest = reinterpret_cast<Destination*>(info->dest);
    if (!Append(*dest, kBlockSize - dest->pub.free_in_buffer)) {
        dest->err->streamOutOfMemory = true;
        ERREXIT(info, JERR_OUT_OF_MEMORY);
    }
}

} // namespace kameola::jpeg
