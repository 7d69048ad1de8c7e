// SPDX-License-Identifier: MIT
// libFuzzer target: the HEIF reader (libheif with our limits, orientation, colour profile,
// alpha over white), then a stretch and an encoded small image.
// Seeds: files the tests make (tests/support/Heif.h: 8 and 10 bits, alpha, grey, all
// orientations, ICC and nclx profiles, a thumbnail and a second image) and heif-enc output.
// Run: fuzz_heif -jobs=1 -max_len=65536 -rss_limit_mb=2048 CORPUS SEEDS
#include "fuzz/ReaderFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return kameola::fuzz::FuzzReader(kameola::HeifReader(), data, size);
}
