// SPDX-License-Identifier: MIT
// System calls that fail as where what they need is missing.
#include "tests/support/MissingCalls.h"

#include <cerrno>

namespace kameola::test {

int NoUnnamed(const char*, mode_t)
{
    errno = EOPNOTSUPP;
    return -1;
}

int NoProcToLink(int, const char*)
{
    errno = ENOENT;
    return -1;
}

} // namespace kameola::test
