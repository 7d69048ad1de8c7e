// SPDX-License-Identifier: MIT
// libFuzzer target: the TIFF reader (libtiff with its allocations bounded and its messages
// caught per handle, all eight orientations, alpha over white), then a stretch and an
// encoded small image.
// Seeds: files the tests make (tests/support/Tiff.h: 8, 12 and 16 bits, grey, alpha,
// CMYK, tiles, pages, orientations, ICC) and tiffcp -c lzw / -c zip / -c jpeg copies.
// Run: fuzz_tiff -jobs=1 -max_len=65536 -rss_limit_mb=2048 CORPUS SEEDS
#include "fuzz/ReaderFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return kameola::fuzz::FuzzReader(kameola::TiffReader(), data, size);
}
