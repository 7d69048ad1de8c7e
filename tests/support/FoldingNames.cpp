// SPDX-License-Identifier: MIT
#include "tests/support/FoldingNames.h"

#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

namespace kameola::test {

namespace {

// The folder whose names fold; set before the calls are replaced, read by every thread.
std::string g_folder;
detail::FileSystemCalls g_real;

std::string Folded(const char* path)
{
    const std::string whole(path);
    const std::size_t slash = whole.rfind('/');
    if (slash == std::string::npos || whole.substr(0, slash) != g_folder)
        return whole;
    const std::string name = whole.substr(slash + 1);
    DIR* folder = ::opendir(g_folder.c_str());
    if (!folder)
        return whole;
    std::string found = whole;
    while (const dirent* entry = ::readdir(folder)) {
        if (::strcasecmp(entry->d_name, name.c_str()) == 0) {
            found = g_folder + "/" + entry->d_name;
            break;
        }
    }
    ::closedir(folder);
    return found;
}

int FoldingLinkDescriptor(int fd, const char* to)
{
    return g_real.LinkDescriptor(fd, Folded(to).c_str());
}

int FoldingRenameNoReplace(const char* from, const char* to)
{
    return g_real.RenameNoReplace(from, Folded(to).c_str());
}

int FoldingLink(const char* from, const char* to)
{
    return g_real.Link(from, Folded(to).c_str());
}

int FoldingRename(const char* from, const char* to)
{
    return g_real.Rename(from, Folded(to).c_str());
}

int FoldingLstat(const char* path, struct stat* info)
{
    return g_real.Lstat(Folded(path).c_str(), info);
}

int FoldingUnlink(const char* path)
{
    return g_real.Unlink(Folded(path).c_str());
}

} // namespace

FoldingNames::FoldingNames(const std::string& folder) : m_saved(detail::OutputFileCalls())
{
    g_folder = folder;
    g_real = m_saved;
    detail::FileSystemCalls& calls = detail::OutputFileCalls();
    calls.LinkDescriptor = FoldingLinkDescriptor;
    calls.RenameNoReplace = FoldingRenameNoReplace;
    calls.Link = FoldingLink;
    calls.Rename = FoldingRename;
    calls.Lstat = FoldingLstat;
    calls.Unlink = FoldingUnlink;
}

FoldingNames::~FoldingNames()
{
    detail::OutputFileCalls() = m_saved;
}

std::string FoldedPath(const std::string& path)
{
    return Folded(path.c_str());
}

} // namespace kameola::test
