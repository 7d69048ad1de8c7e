// SPDX-License-Identifier: MIT
// Modification times of output files kept as a file system with coarse times keeps them
// (FAT: 2 s), through the output files' system-call table, for the life of one object.
#pragma once

#include "common/FileState.h"
#include "common/FileSystemCalls.h"

namespace kameola::test {

enum class TimeKeeping {
    Truncating,  // down to a multiple of the step, as FAT and exFAT do
    Rounding,    // to the nearest multiple
    Failing,     // setting a time fails (EPERM)
};

class CoarseOutputTimes {
public:
    explicit CoarseOutputTimes(TimeResolution step, TimeKeeping keeping = TimeKeeping::Truncating);
    ~CoarseOutputTimes();
    CoarseOutputTimes(const CoarseOutputTimes&) = delete;
    CoarseOutputTimes& operator=(const CoarseOutputTimes&) = delete;

private:
    detail::FileSystemCalls m_saved;
};

} // namespace kameola::test
