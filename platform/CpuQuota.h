// SPDX-License-Identifier: MIT
// The number of CPUs a cgroup CPU quota leaves this process.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kameola {

// Reads a whole file; nullopt when it cannot be read.
using TextFileReader = std::function<std::optional<std::string>(const std::string& path)>;

// The smallest CPU quota of the process's own cgroups and their ancestors, as quota over
// period rounded up and at least 1; nullopt when no quota is set. Both hierarchies count:
// cpu.max in cgroup v2, cpu.cfs_quota_us and cpu.cfs_period_us in a v1 hierarchy with
// the cpu controller. procCgroup and mountInfo are the texts of /proc/self/cgroup and
// /proc/self/mountinfo; the cgroup files are read through read.
std::optional<int> CgroupCpuLimit(std::string_view procCgroup, std::string_view mountInfo,
                                  const TextFileReader& read);

// The same for this process, from /proc and the mounted cgroup file systems.
std::optional<int> CgroupCpuLimit();

} // namespace kameola
