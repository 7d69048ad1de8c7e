// SPDX-License-Identifier: MIT
// The cgroup CPU quota read from given /proc texts and cgroup files.
#include "platform/CpuQuota.h"

#include <gtest/gtest.h>
#include <map>

using namespace kameola;

namespace {

const char* const kMountInfoV2 =
    "24 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
    "30 24 0:26 / /sys/fs/cgroup rw,nosuid shared:9 - cgroup2 cgroup2 rw,nsdelegate\n";

const char* const kMountInfoV1 =
    "24 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
    "33 30 0:29 / /sys/fs/cgroup/memory rw shared:11 - cgroup cgroup rw,memory\n"
    "34 30 0:30 /docker/abc /sys/fs/cgroup/cpu\\054cpuacct rw shared:12 - cgroup cgroup rw,cpu,cpuacct\n";

std::optional<int> Limit(const char* cgroup, const std::string& mounts, std::map<std::string, std::string> files)
{
    return CgroupCpuLimit(cgroup, mounts, [&files](const std::string& path) -> std::optional<std::string> {
        const auto found = files.find(path);
        if (found == files.end())
            return std::nullopt;
        return found->second;
    });
}

} // namespace

TEST(CpuQuota, SmallestQuotaOfTheCgroupAndItsAncestorsRoundedUp)
{
    struct Case {
        const char* Name;
        const char* Cgroup;
        std::string Mounts;
        std::map<std::string, std::string> Files;
        std::optional<int> Expected;
    };
    const std::string v2 = "/sys/fs/cgroup";
    const std::string v1 = "/sys/fs/cgroup/cpu,cpuacct";
    const Case cases[] = {
        {"v2 no quota anywhere", "0::/a/b\n", kMountInfoV2,
         {{v2 + "/a/b/cpu.max", "max 100000\n"}, {v2 + "/a/cpu.max", "max 100000\n"}}, std::nullopt},
        {"v2 own quota", "0::/a/b\n", kMountInfoV2, {{v2 + "/a/b/cpu.max", "200000 100000\n"}}, 2},
        {"v2 fraction rounds up", "0::/a\n", kMountInfoV2, {{v2 + "/a/cpu.max", "150000 100000\n"}}, 2},
        {"v2 below one CPU is one", "0::/a\n", kMountInfoV2, {{v2 + "/a/cpu.max", "10000 100000\n"}}, 1},
        {"v2 ancestor smaller", "0::/a/b/c\n", kMountInfoV2,
         {{v2 + "/a/b/c/cpu.max", "800000 100000\n"}, {v2 + "/a/cpu.max", "300000 100000\n"},
          {v2 + "/a/b/cpu.max", "max 100000\n"}}, 3},
        {"v2 in a namespace", "0::/\n", kMountInfoV2, {{v2 + "/cpu.max", "200000 100000\n"}}, 2},
        {"v2 malformed is ignored", "0::/a\n", kMountInfoV2, {{v2 + "/a/cpu.max", "lots\n"}}, std::nullopt},
        {"v1 quota below the mounted root", "12:cpu,cpuacct:/docker/abc/x\n4:memory:/docker/abc\n",
         kMountInfoV1,
         {{v1 + "/x/cpu.cfs_quota_us", "400000\n"}, {v1 + "/x/cpu.cfs_period_us", "100000\n"},
          {v1 + "/cpu.cfs_quota_us", "250000\n"}, {v1 + "/cpu.cfs_period_us", "100000\n"}}, 3},
        {"v1 unlimited", "12:cpu,cpuacct:/docker/abc\n", kMountInfoV1,
         {{v1 + "/cpu.cfs_quota_us", "-1\n"}, {v1 + "/cpu.cfs_period_us", "100000\n"}}, std::nullopt},
        {"hybrid takes both", "12:cpu,cpuacct:/docker/abc\n0::/a\n",
         std::string(kMountInfoV1) + "35 30 0:31 / /sys/fs/cgroup/unified rw - cgroup2 cgroup2 rw\n",
         {{v1 + "/cpu.cfs_quota_us", "600000\n"}, {v1 + "/cpu.cfs_period_us", "100000\n"},
          {"/sys/fs/cgroup/unified/a/cpu.max", "400000 100000\n"}}, 4},
        {"no cgroup file system", "0::/a\n", "24 1 8:1 / / rw - ext4 /dev/sda1 rw\n",
         {{v2 + "/a/cpu.max", "100000 100000\n"}}, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Limit(c.Cgroup, c.Mounts, c.Files), c.Expected) << c.Name;
}

TEST(CpuQuota, ThisProcessGetsAtLeastOne)
{
    const std::optional<int> limit = CgroupCpuLimit();
    EXPECT_GE(limit.value_or(1), 1);
}
