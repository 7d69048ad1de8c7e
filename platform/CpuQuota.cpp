// SPDX-License-Identifier: MIT
// Reading cgroup CPU quotas.
#include "platform/CpuQuota.h"

#include <charconv>
#include <fstream>
#include <sstream>
#include <vector>

namespace kameola {

namespace {

std::vector<std::string_view> Split(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos)
            return parts;
        text.remove_prefix(at + 1);
    }
}

bool HasItem(std::string_view list, std::string_view item)
{
    for (std::string_view part : Split(list, ','))
        if (part == item)
            return true;
    return false;
}

std::optional<long long> ParseCount(std::string_view text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.remove_suffix(1);
    long long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// mountinfo writes space, tab, newline and backslash as three octal digits.
std::string Unescape(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size()) {
            int value = 0;
            bool octal = true;
            for (std::size_t k = 1; k <= 3; ++k) {
                const char c = text[i + k];
                octal = octal && c >= '0' && c <= '7';
                value = value * 8 + (c - '0');
            }
            if (octal) {
                out += static_cast<char>(value);
                i += 3;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

struct Mount {
    std::string Root;   // the hierarchy's folder shown at the mount point
    std::string Point;  // where it is mounted
};

// The mount of the cgroup2 hierarchy (v1 empty) or of the v1 hierarchy with the cpu controller.
std::optional<Mount> FindMount(std::string_view mountInfo, bool v1)
{
    for (std::string_view line : Split(mountInfo, '\n')) {
        const std::vector<std::string_view> fields = Split(line, ' ');
        std::size_t dash = 6;
        while (dash < fields.size() && fields[dash] != "-")
            ++dash;
        if (dash + 3 >= fields.size())
            continue;
        const std::string_view type = fields[dash + 1];
        const bool match = v1 ? type == "cgroup" && HasItem(fields[dash + 3], "cpu") : type == "cgroup2";
        if (match)
            return Mount{Unescape(fields[3]), Unescape(fields[4])};
    }
    return std::nullopt;
}

// The CPUs one cgroup folder's quota allows; nullopt when it sets none.
std::optional<long long> FolderLimit(const std::string& folder, bool v1, const TextFileReader& read)
{
    long long quota = 0;
    long long period = 0;
    if (v1) {
        const auto quotaText = read(folder + "/cpu.cfs_quota_us");
        const auto periodText = read(folder + "/cpu.cfs_period_us");
        if (!quotaText || !periodText)
            return std::nullopt;
        quota = ParseCount(*quotaText).value_or(-1);
        period = ParseCount(*periodText).value_or(0);
    } else {
        const auto text = read(folder + "/cpu.max");  // "max 100000" or "200000 100000"
        if (!text)
            return std::nullopt;
        const std::vector<std::string_view> parts = Split(*text, ' ');
        if (parts.size() != 2)
            return std::nullopt;
        quota = ParseCount(parts[0]).value_or(-1);
        period = ParseCount(parts[1]).value_or(0);
    }
    if (quota <= 0 || period <= 0)
        return std::nullopt;
    const long long cpus = (quota + period - 1) / period;
    return cpus > 0 ? cpus : 1;
}

// The smallest quota from the cgroup's own folder up to its hierarchy's mount point.
std::optional<long long> HierarchyLimit(const Mount& mount, std::string_view cgroup, bool v1,
                                        const TextFileReader& read)
{
    // The part of the cgroup's path below the mounted root; when the root is not above
    // it (another namespace), only the mount point's own folder is known.
    std::string below;
    const std::string_view root = mount.Root == "/" ? std::string_view() : std::string_view(mount.Root);
    if (cgroup.substr(0, root.size()) == root &&
        (cgroup.size() == root.size() || cgroup[root.size()] == '/'))
        below = std::string(cgroup.substr(root.size()));
    while (!below.empty() && below.back() == '/')
        below.pop_back();

    std::optional<long long> smallest;
    for (;;) {
        const std::optional<long long> limit = FolderLimit(mount.Point + below, v1, read);
        if (limit && (!smallest || *limit < *smallest))
            smallest = limit;
        if (below.empty())
            return smallest;
        below.erase(below.rfind('/'));
    }
}

std::optional<std::string> ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad())
        return std::nullopt;
    return text.str();
}

} // namespace

std::optional<int> CgroupCpuLimit(std::string_view procCgroup, std::string_view mountInfo,
                                  const TextFileReader& read)
{
    std::optional<long long> smallest;
    for (std::string_view line : Split(procCgroup, '\n')) {
        // "ID:CONTROLLERS:PATH"; the path may itself hold colons.
        const std::size_t first = line.find(':');
        const std::size_t second = first == std::string_view::npos ? first : line.find(':', first + 1);
        if (second == std::string_view::npos)
            continue;
        const std::string_view controllers = line.substr(first + 1, second - first - 1);
        const std::string_view path = line.substr(second + 1);
        const bool v2 = line.substr(0, first) == "0" && controllers.empty();
        const bool v1 = !v2 && HasItem(controllers, "cpu");
        if (!v1 && !v2)
            continue;
        const std::optional<Mount> mount = FindMount(mountInfo, v1);
        if (!mount)
            continue;
        const std::optional<long long> limit = HierarchyLimit(*mount, path, v1, read);
        if (limit && (!smallest || *limit < *smallest))
            smallest = limit;
    }
    if (!smallest)
        return std::nullopt;
    return *smallest > 1 << 20 ? 1 << 20 : static_cast<int>(*smallest);
}

std::optional<int> CgroupCpuLimit()
{
    const std::optional<std::string> cgroup = ReadWholeFile("/proc/self/cgroup");
    const std::optional<std::string> mounts = ReadWholeFile("/proc/self/mountinfo");
    if (!cgroup || !mounts)
        return std::nullopt;
    return CgroupCpuLimit(*cgroup, *mounts, ReadWholeFile);
}

} // namespace kameola
