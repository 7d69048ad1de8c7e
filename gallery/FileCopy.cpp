// Copying a file without ever replacing an existing one.
#include "gallery/FileCopy.h"

#include "common/FileHandle.h"

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
        for (ssize_t done = 0; done < n;) {
            ssize_t w = ::write(out, buffer + done, static_cast<std::size_t>(n - done));
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            done += w;
        }
    }
}

} // namespace

bool CopyFileNoReplace(const std::string& source, const std::string& target)
{
    // Only regular files are copied; O_NONBLOCK keeps a named pipe from hanging the run.
    FileHandle in(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (in.Get() < 0)
        return false;
    struct stat st {};
    if (::fstat(in.Get(), &st) != 0 || !S_ISREG(st.st_mode))
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
