// SPDX-License-Identifier: MIT
// libFuzzer target: the PNG reader, then a stretch, the whole picture and an encoded small
// image.
#include "fuzz/ReaderFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return kameola::fuzz::FuzzReader(kameola::PngReader(), data, size);
}
