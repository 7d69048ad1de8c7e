// SPDX-License-Identifier: MIT
// Preparing one entry: everything of it that does not touch the output folder. Runs on a
// worker thread, so the result holds only plain sizes and encoded bytes, no pictures.
#pragma once

#include "common/FileHandle.h"
#include "common/FileState.h"
#include "gallery/Plan.h"
#include "platform/MemoryBudget.h"

#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace kameola {

struct PreparedEntry {
    int Width = 0;   // the thumbnail's size on the page
    int Height = 0;
    // The encoded small image, when the plan names one.
    std::optional<std::vector<std::uint8_t>> SmallImage;
    // True when the entry's small image and conversion were up to date in the output
    // folder (an update run): neither is made and the picture was not decoded.
    bool OutputsKept = false;
    // The full-size JPEG conversion, when the plan names one (copy mode).
    std::optional<std::vector<std::uint8_t>> Conversion;
    // Why the conversion could not be made. Raised only after the small image has been
    // written and the cell added, where a one-at-a-time run would have met it.
    std::exception_ptr ConversionError;
    // The file as opened to read it, kept when the entry is copied: the copy reads from
    // it, so copy and small image come from the same file even if the name is replaced.
    // Invalid when the entry is not copied, or when a file that is not read failed to open.
    FileHandle Source{-1};
    // The file's state when it was opened: outputs get its modification time, and a copy
    // is made only of the file in this state.
    struct stat SourceState {};
    // The picture's memory, held until the conversion made from it is committed.
    MemoryBudget::Reservation Memory;
};

// round(thumbWidth × h ÷ w) with halves to even: the product in 32-bit integer arithmetic
// (wrapping as such arithmetic does), the quotient in floating point. Division by zero
// raises EInvalidOp (0 ÷ 0) or EZeroDivide instead of giving NaN or infinity.
int ThumbHeight(int thumbWidth, int h, int w);

// The budget of every run in this process: the single-picture storage limit.
MemoryBudget& PictureMemoryBudget();

// Reads, decodes, stretches and encodes one entry: the small image and the conversion when
// the plan names them. Raises what reading or decoding the entry raises (open, read,
// codec and height errors). Before a picture is allocated its bytes are reserved in
// PictureMemoryBudget(), so entries prepared at once share it; so are a JPEG stream and
// the codec's coefficients of a multi-scan one, which beyond the storage limit raise
// EOutOfResources.
//
// With update (the output folder's time resolution), an entry whose small image and
// conversion are there and up to date (see UpToDate: the pixel size and, for a small
// image, the progressive or baseline form that would be written) is sized from its
// headers only and gets OutputsKept.
PreparedEntry PrepareEntry(const PlannedEntry& plan, int thumbWidth,
                           std::optional<TimeResolution> update = std::nullopt);

} // namespace kameola
