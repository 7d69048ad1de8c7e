// SPDX-License-Identifier: MIT
// Output files' times as a coarse file system keeps them.
#include "tests/support/OutputTimes.h"

#include <cerrno>
#include <cstdint>
#include <sys/stat.h>

namespace kameola::test {

namespace {

std::int64_t g_step = 1;
TimeKeeping g_keeping = TimeKeeping::Truncating;

// The time as the file system stores it.
timespec Kept(const timespec& time)
{
    constexpr std::int64_t kBillion = 1000000000;
    const std::int64_t ns = static_cast<std::int64_t>(time.tv_sec) * kBillion + time.tv_nsec;
    const std::int64_t base = g_keeping == TimeKeeping::Rounding ? ns + g_step / 2 : ns;
    const std::int64_t kept = base - base % g_step;
    return {static_cast<time_t>(kept / kBillion), static_cast<long>(kept % kBillion)};
}

int CoarseSetTimes(int fd, const timespec times[2])
{
    if (g_keeping == TimeKeeping::Failing) {
        errno = EPERM;
        return -1;
    }
    const timespec kept[2] = {times[0], times[1].tv_nsec == UTIME_OMIT ? times[1] : Kept(times[1])};
    return ::futimens(fd, kept);
}

} // namespace

CoarseOutputTimes::CoarseOutputTimes(TimeResolution step, TimeKeeping keeping)
    : m_saved(detail::OutputFileCalls())
{
    g_step = step.count() > 0 ? step.count() : 1;
    g_keeping = keeping;
    detail::OutputFileCalls().SetTimes = CoarseSetTimes;
}

CoarseOutputTimes::~CoarseOutputTimes()
{
    detail::OutputFileCalls() = m_saved;
}

} // namespace kameola::test
