// SPDX-License-Identifier: MIT
// A function run in a child process with a file size limit.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace kameola::test {

// What a function did in a child process: how the child ended and the message of the
// exception that left the function, if any.
struct ChildResult {
    bool Exited = false;  // else killed by Signal
    int Signal = 0;
    std::string Error;
};

// Runs body in a child process whose files may not grow past limit bytes. With
// ignoreLimitSignal a write past the limit fails with EFBIG; without, SIGXFSZ kills the
// child in the middle of the write.
ChildResult RunWithFileSizeLimit(std::size_t limit, bool ignoreLimitSignal,
                                 const std::function<void()>& body);

} // namespace kameola::test
