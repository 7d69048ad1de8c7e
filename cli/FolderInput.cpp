// SPDX-License-Identifier: MIT
// Turning folders into the pictures in them. A folder is listed whole and closed before
// its subfolders are entered, so a deep tree holds one descriptor at a time.
#include "cli/FolderInput.h"

#include "cli/NaturalOrder.h"
#include "common/FileIo.h"
#include "gallery/Formats.h"
#include "gallery/Naming.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <utility>

namespace kameola {

namespace {

struct Listing {
    std::vector<std::string> Pictures;
    std::vector<std::string> Folders;  // real folders, not links to them
    dev_t Device = 0;
    ino_t Inode = 0;
};

// The kind of one name in an open folder: a picture, a folder to enter, or neither.
enum class Kind { Picture, Folder, Other };

Kind KindOf(int folder, const char* name, bool recursive)
{
    struct stat info {};
    if (::fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) != 0)
        return Kind::Other;  // gone meanwhile
    if (S_ISDIR(info.st_mode))
        return recursive ? Kind::Folder : Kind::Other;
    if (S_ISLNK(info.st_mode) && ::fstatat(folder, name, &info, 0) != 0)
        return Kind::Other;  // a dangling link
    return S_ISREG(info.st_mode) && IsPictureName(name) ? Kind::Picture : Kind::Other;
}

// Lists the folder at path, opened without following a last link when found inside
// another folder. Returns 0, or the errno value that stopped it.
int ListFolder(const std::string& path, bool followLink, bool recursive, Listing& listing)
{
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
    const int fd = RetryInterrupted([&] { return ::open(path.c_str(), flags); });
    if (fd < 0)
        return errno;
    const std::unique_ptr<DIR, int (*)(DIR*)> folder(::fdopendir(fd), ::closedir);
    struct stat info {};
    if (!folder || ::fstat(fd, &info) != 0) {
        const int error = errno;
        if (!folder)
            ::close(fd);
        return error;
    }
    listing.Device = info.st_dev;
    listing.Inode = info.st_ino;
    for (;;) {
        errno = 0;
        const dirent* item = ::readdir(folder.get());
        if (!item)
            return errno;
        if (item->d_name[0] == '.')
            continue;  // hidden, and "." and ".."
        const Kind kind = KindOf(fd, item->d_name, recursive);
        if (kind != Kind::Other)
            (kind == Kind::Picture ? listing.Pictures : listing.Folders).push_back(item->d_name);
    }
}

class Walker {
public:
    Walker(const FolderWalk& walk, FolderInput& input) : m_walk(walk), m_input(input) {}

    // False when the walk stops at a failure.
    bool Walk(const std::string& path, bool followLink)
    {
        Listing listing;
        if (const int error = ListFolder(path, followLink, m_walk.Recursive, listing)) {
            if (error == ELOOP && !followLink)
                return true;  // became a link since it was listed: not entered
            m_input.Failures.push_back({path, error});
            return !m_walk.StopAtFailure;
        }
        // A folder mounted inside itself is not entered again.
        const std::pair<dev_t, ino_t> id(listing.Device, listing.Inode);
        if (std::find(m_open.begin(), m_open.end(), id) != m_open.end())
            return true;
        if (m_walk.NameOrder) {
            std::sort(listing.Pictures.begin(), listing.Pictures.end(), NaturalLess);
            std::sort(listing.Folders.begin(), listing.Folders.end(), NaturalLess);
        }
        for (const std::string& name : listing.Pictures)
            m_input.Files.push_back(JoinOutputPath(path, name));
        m_open.push_back(id);
        bool going = true;
        for (std::size_t i = 0; going && i < listing.Folders.size(); ++i)
            going = Walk(JoinOutputPath(path, listing.Folders[i]), false);
        m_open.pop_back();
        return going;
    }

private:
    const FolderWalk& m_walk;
    FolderInput& m_input;
    std::vector<std::pair<dev_t, ino_t>> m_open;  // the folders being walked, outermost first
};

bool IsFolder(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

FolderInput ExpandFolders(const std::vector<std::string>& paths, const FolderWalk& walk)
{
    FolderInput input;
    Walker walker(walk, input);
    for (const std::string& path : paths) {
        if (!IsFolder(path))
            input.Files.push_back(path);
        else if (!walker.Walk(path, true))
            break;
    }
    return input;
}

} // namespace kameola
