// Copying a file without ever replacing an existing one.
#include "gallery/FileCopy.h"

#include "common/FileIo.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kameola {

namespace {

bool CopyBytes(int in, int out)
{
    // copy_file_range lets the kernel move the data; fall back to read and write where it
    // is not supported between these two files.
    for (;;) {
        ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
        if (n == 0)
            return true;
        if (n > 0)
            continue;
        if (errno == EINTR)
            continue;
        if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP)
            return false;
        break;
    }
    static thread_local char buffer[1 << 16];
    for (;;) {
        ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n == 0)
            return true;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (!WriteAll(out, buffer, static_cast<std::size_t>(n)))
            return false;
    }
}

} // namespace

bool CopyFileNoReplace(const std::string& source, const std::string& target)
{
    FileHandle in = OpenRegularFile(source);
    if (!in.Valid())
        return false;
    FileHandle out(::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (out.Get() < 0)
        return false;
    bool ok = CopyBytes(in.Get(), out.Get());
    ok = out.Close() && ok;
    if (!ok)
        ::unlink(target.c_str());
    return ok;
}

} // namespace kameola
