// SPDX-License-Identifier: MIT
// libFuzzer target: the PNG reader, then the small image's turn and stretch.
#include "fuzz/FuzzPicture.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    kameola::fuzz::LimitPictures();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return kameola::fuzz::DecodeOne(kameola::DecodePng, data, size);
}
