// The files a run was given, by device and inode.
#include "gallery/ListedFiles.h"

#include "common/Errors.h"

#include <sys/stat.h>

namespace kameola {

namespace {

bool Identify(const std::string& path, std::pair<dev_t, ino_t>& id)
{
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0)
        return false;
    id = {st.st_dev, st.st_ino};
    return true;
}

} // namespace

ListedFiles::ListedFiles(const GalleryJob& job)
{
    std::pair<dev_t, ino_t> id;
    for (const GalleryEntry& entry : job.Entries) {
        if (Identify(entry.Path, id))
            m_files.insert(id);
    }
    if (Identify(job.Style.BackgroundImage, id))
        m_files.insert(id);
}

void ListedFiles::RefuseListed(const std::string& path) const
{
    std::pair<dev_t, ino_t> id;
    if (Identify(path, id) && m_files.count(id) != 0)
        throw EFCreateError(path);
}

} // namespace kameola
