// SPDX-License-Identifier: MIT
// Output files written beside their final name and put in place in one step.
//
// The bytes go to an unnamed file (O_TMPFILE) when the file system has them: a killed
// process leaves nothing behind. Elsewhere they go to a named file
// ".kameola-partial-<12 random letters>-<8 hex check>", locked with flock while it exists.
// Every file is completely written and its close checked before it takes its name.
//
// How a later run knows a leftover: a file is removed only when its name has this form
// with a check code that matches its random part (no user picks that by chance), it is a
// regular file of this user with no other name, no writer holds its lock, and it is
// neither a listed entry nor the background picture.
//
// A run's outputs are checked against the files the run placed before (see PlacedFiles):
// looking at the name and putting the file there happen under the record's lock.
#include "common/OutputFile.h"

#include "common/Errors.h"
#include "common/FileIo.h"
#include "common/FileSystemCalls.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <exception>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kameola {

namespace detail {

namespace {

int OpenUnnamedFile(const char* directory, mode_t mode)
{
    return ::open(directory, O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
}

int LinkOpenFile(int fd, const char* to)
{
    // Through /proc works unprivileged on every kernel; AT_EMPTY_PATH needs a privilege
    // on older ones, so it is only the second choice.
    char from[40];
    std::snprintf(from, sizeof from, "/proc/self/fd/%d", fd);
    if (::linkat(AT_FDCWD, from, AT_FDCWD, to, AT_SYMLINK_FOLLOW) == 0)
        return 0;
    if (errno == EEXIST)
        return -1;
    return ::linkat(fd, "", AT_FDCWD, to, AT_EMPTY_PATH);
}

int RenameKeepingTarget(const char* from, const char* to)
{
    return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
}

} // namespace

FileSystemCalls& OutputFileCalls()
{
    static FileSystemCalls calls{OpenUnnamedFile, LinkOpenFile, RenameKeepingTarget, ::link,
                                 ::close,           ::fstat,      ::fdatasync,         ::futimens,
                                 std::rename,       ::lstat,      ::unlink};
    return calls;
}

} // namespace detail

namespace {

// Temporary names do not grow with the final name, which may already be 255 bytes long.
constexpr std::string_view kTempPrefix = ".kameola-partial-";
constexpr std::size_t kTempRandomLength = 12;
constexpr std::size_t kTempCheckLength = 8;  // hex digits after a '-'
constexpr std::size_t kTempNameLength = kTempPrefix.size() + kTempRandomLength + 1 + kTempCheckLength;
constexpr int kNameAttempts = 100;
// Not an errno: the output's name holds another output of this run.
constexpr int kClashed = -1;

// Fills an open output file; false with errno set on failure.
using Fill = std::function<bool(int fd)>;

// The directory part of path with its slash ("" for a bare name).
std::string DirectoryPart(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The check code of a temporary name's random part: FNV-1a, as 8 hex digits.
std::string CheckCode(std::string_view random)
{
    std::uint32_t hash = 2166136261u;
    for (char c : random) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    char code[kTempCheckLength + 1];
    std::snprintf(code, sizeof code, "%08x", static_cast<unsigned>(hash));
    return code;
}

std::string TemporaryName(const std::string& directory)
{
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937_64 engine{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    std::string random;
    for (std::size_t i = 0; i < kTempRandomLength; ++i)
        random += kLetters[pick(engine)];
    return directory + TemporaryFileName(random);
}

void Lock(int fd)
{
    // Where the file system has no locks a leftover simply stays: a sweep removes only
    // files it could lock.
    RetryInterrupted([fd] { return ::flock(fd, LOCK_EX); });
}

// Keeps errno across clean-up calls that may change it.
int Fail(int err)
{
    errno = err;
    return err;
}

// Checks that everything written reached the file before it takes its name: closing a
// duplicate makes file systems that write late (network ones) report a failed write, as
// the last close would, while this descriptor stays open to name the file and keep its lock.
int CheckClosed(int fd)
{
    const int copy = RetryInterrupted([fd] { return ::fcntl(fd, F_DUPFD_CLOEXEC, 0); });
    if (copy < 0)
        return errno;
    return detail::OutputFileCalls().Close(copy) == 0 ? 0 : errno;
}

// Gives the file the modification time, when there is one, keeping its access time. A
// failure only costs a later update run writing the file again, so the write goes on.
void SetModified(int fd, const timespec* modified)
{
    if (!modified)
        return;
    const timespec times[2] = {{0, UTIME_OMIT}, *modified};
    static_cast<void>(detail::OutputFileCalls().SetTimes(fd, times));
}

// Fills the file and checks it is complete and closed, then sets its modification time:
// all before it takes its name, so a placed file never has another time. 0 or the errno
// that stopped it. A file that is to replace another is flushed first, so that a power
// cut leaves the old file or the new one, never an empty one in its place. modified is
// read only after fill, which may set it.
int FillChecked(int fd, const Fill& fill, bool flush, const timespec* modified)
{
    if (!fill(fd))
        return errno;
    if (flush && RetryInterrupted([fd] { return detail::OutputFileCalls().DataSync(fd); }) != 0)
        return errno;
    if (const int err = CheckClosed(fd))
        return err;
    SetModified(fd, modified);
    return 0;
}

// Whether anything (a link too) has this name.
bool NameTaken(const std::string& path)
{
    struct stat st {};
    return detail::OutputFileCalls().Lstat(path.c_str(), &st) == 0;
}

// Puts the written file (open as fd) at path through place, which returns 0 or an errno.
// In a run with a record, a file the run placed for another output is never replaced and
// a copy is never put over a copy; what is placed is recorded. Returns 0, an errno
// (EEXIST for a copy's taken name) or kClashed.
int PlaceChecked(const std::string& path, int fd, const Placing& placing,
                 const std::function<int()>& place)
{
    if (!placing.Record)
        return place();
    const auto lock = placing.Record->Lock();
    struct stat there {};
    const bool found = detail::OutputFileCalls().Lstat(path.c_str(), &there) == 0;
    switch (placing.Record->Judge(found ? &there : nullptr, placing.Claim)) {
    case PlaceVerdict::Clash: return kClashed;
    case PlaceVerdict::Taken: return EEXIST;
    case PlaceVerdict::Free:
    case PlaceVerdict::Shared: break;
    }
    if (const int err = place())
        return err;
    struct stat placed {};
    if (::fstat(fd, &placed) == 0)
        placing.Record->Placed(placed, found ? &there : nullptr, placing.Claim);
    return 0;
}

// Renames, replacing; 0 or errno.
int RenameReplacing(const std::string& from, const std::string& to)
{
    return detail::OutputFileCalls().Rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

// A named temporary file in the directory, created and locked, with its name.
int CreateNamedTemporary(const std::string& directory, FileHandle& file, std::string& name)
{
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        name = TemporaryName(directory);
        FileHandle created(
            ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (!created.Valid()) {
            if (errno == EEXIST)
                continue;
            return errno;
        }
        Lock(created.Get());
        // A sweep of another run may have taken the file between creating and locking.
        struct stat opened {}, named {};
        if (::fstat(created.Get(), &opened) == 0 && ::lstat(name.c_str(), &named) == 0 &&
            SameFile(opened, named)) {
            file = std::move(created);
            return 0;
        }
    }
    return EEXIST;
}

bool NotSupported(int err)
{
    return err == EINVAL || err == ENOSYS || err == EOPNOTSUPP;
}

// Puts the named temporary file in place without replacing anything at path.
int PlaceNoReplace(const std::string& temp, const std::string& path)
{
    const detail::FileSystemCalls& calls = detail::OutputFileCalls();
    if (calls.RenameNoReplace(temp.c_str(), path.c_str()) == 0)
        return 0;
    if (!NotSupported(errno))
        return errno;
    // No RENAME_NOREPLACE (some network file systems): a hard link fails on an existing name.
    if (calls.Link(temp.c_str(), path.c_str()) == 0) {
        ::unlink(temp.c_str());
        return 0;
    }
    if (errno != EPERM && errno != EMLINK && !NotSupported(errno))
        return errno;
    // No hard links either (vfat): look, then rename. Only a writer racing on this very
    // name can slip in between.
    struct stat st {};
    if (calls.Lstat(path.c_str(), &st) == 0)
        return EEXIST;
    if (errno != ENOENT)
        return errno;
    return RenameReplacing(temp, path);
}

int PutNamed(const std::string& path, bool replace, const Fill& fill, const timespec* modified,
             const Placing& placing)
{
    FileHandle file(-1);
    std::string temp;
    if (int err = CreateNamedTemporary(DirectoryPart(path), file, temp))
        return Fail(err);
    int err = FillChecked(file.Get(), fill, replace && NameTaken(path), modified);
    if (err == 0)
        err = PlaceChecked(path, file.Get(), placing, [&] {
            return replace ? RenameReplacing(temp, path) : PlaceNoReplace(temp, path);
        });
    if (err != 0) {
        ::unlink(temp.c_str());
        return err == kClashed ? err : Fail(err);
    }
    // The data was checked before; a late error of the last close leaves the file in
    // place, as taking it away would lose the old file and the new one.
    return 0;
}

// Gives the unnamed file a fresh temporary name in the directory; 0 or errno.
int NameUnnamed(int fd, const std::string& directory, std::string& temp)
{
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        temp = TemporaryName(directory);
        if (detail::OutputFileCalls().LinkDescriptor(fd, temp.c_str()) == 0)
            return 0;
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

// Writes a file through fill and puts it at path, with the modification time when given;
// 0, kClashed or the errno that stopped it.
int PutFile(const std::string& path, bool replace, const Fill& fill, const timespec* modified,
            const Placing& placing)
{
    const std::string directory = DirectoryPart(path);
    FileHandle file(detail::OutputFileCalls().OpenUnnamed(
        directory.empty() ? "." : directory.c_str(), 0666));
    if (!file.Valid())
        return PutNamed(path, replace, fill, modified, placing);
    if (int err = FillChecked(file.Get(), fill, replace && NameTaken(path), modified))
        return Fail(err);
    // Locked before it has a name, so no sweep of another run takes it.
    Lock(file.Get());
    if (replace) {
        // No call links over an existing name: link under a temporary one, then rename.
        std::string temp;
        if (NameUnnamed(file.Get(), directory, temp) == 0) {
            const int err = PlaceChecked(path, file.Get(), placing,
                                         [&] { return RenameReplacing(temp, path); });
            if (err != 0)
                ::unlink(temp.c_str());
            return err == 0 || err == kClashed ? err : Fail(err);
        }
    } else {
        bool unnamed = false;
        const int err = PlaceChecked(path, file.Get(), placing, [&] {
            if (detail::OutputFileCalls().LinkDescriptor(file.Get(), path.c_str()) == 0)
                return 0;
            unnamed = errno != EEXIST;
            return errno;
        });
        if (!unnamed)
            return err;
    }
    // The file system made the file but will not name it: write it again, named.
    file.Close();
    return PutNamed(path, replace, fill, modified, placing);
}

// Copies in pieces of this size, calling between after each, so that a window can handle
// its events while a large file is copied.
constexpr std::size_t kCopyPiece = std::size_t{8} << 20;

// Copies the file in from its first byte; *copied receives the number of bytes copied.
bool CopyBytes(int in, int out, const std::function<void()>& between, std::uint64_t* copied)
{
    // copy_file_range lets the kernel move the data; read and write where it cannot.
    // Offsets are explicit, so a second attempt starts from the beginning again.
    off_t inAt = 0;
    for (;;) {
        const ssize_t n = RetryInterrupted(
            [&] { return ::copy_file_range(in, &inAt, out, nullptr, kCopyPiece, 0); });
        *copied = static_cast<std::uint64_t>(inAt);
        if (n == 0)
            return true;
        if (n > 0) {
            if (between)
                between();
            continue;
        }
        if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP)
            return false;
        break;
    }
    static thread_local std::array<char, 1 << 16> buffer;
    std::size_t sinceBetween = 0;
    for (;;) {
        std::size_t got = 0;
        if (!ReadAt(in, static_cast<std::uint64_t>(inAt), buffer.data(), buffer.size(), &got))
            return false;
        if (got == 0)
            return true;
        if (!WriteAll(out, buffer.data(), got))
            return false;
        inAt += static_cast<off_t>(got);
        *copied = static_cast<std::uint64_t>(inAt);
        sinceBetween += got;
        if (between && sinceBetween >= kCopyPiece) {
            sinceBetween = 0;
            between();
        }
    }
}

} // namespace

void WriteFileReplacing(const std::string& path, const void* data, std::size_t size,
                        const timespec* modified, const Placing& placing)
{
    const Fill fill = [data, size](int fd) { return WriteAll(fd, data, size); };
    if (PutFile(path, true, fill, modified, placing) != 0)
        throw EFCreateError(path);
}

bool CopyFileNoReplace(const std::string& source, const std::string& target, MessageText* reason,
                       const std::function<void()>& between, const Placing& placing)
{
    FileHandle in = OpenRegularFile(source);
    if (!in.Valid()) {
        if (reason)
            *reason = EFOpenError(source).Text();
        return false;
    }
    return CopyFileNoReplace(in.Get(), target, reason, between, nullptr, placing);
}

namespace {

// Whether the copy may go on: its name holds nothing of this run and, unless it replaces,
// nothing at all. Raises EFCreateError naming target when another output of the run is there.
bool CopyMayStart(const std::string& target, bool replace, const Placing& placing)
{
    switch (JudgeOutput(target, placing)) {
    case PlaceVerdict::Clash: throw EFCreateError(target);
    case PlaceVerdict::Taken: return false;
    case PlaceVerdict::Free:
    case PlaceVerdict::Shared: break;
    }
    return replace || !NameTaken(target);
}

// Why a copy was not made: its source changed, its target exists, or the errno.
MessageText CopyFailure(int err, bool changed)
{
    if (changed)
        return MessageText{MessageId::SourceChanged, {}};
    return err == EEXIST ? MessageText{MessageId::TargetExists, {}}
                         : EInOutError::FromErrno(err).Text();
}

bool CopyFromOpen(int sourceFd, const std::string& target, bool replace, MessageText* reason,
                  const std::function<void()>& between, const struct stat* expected,
                  const Placing& placing)
{
    // An existing target is found before anything is written: a large copy would only
    // fill the disk to learn it. Putting the copy in place still never replaces a file
    // that appeared meanwhile.
    if (!CopyMayStart(target, replace, placing)) {
        if (reason)
            *reason = MessageText{MessageId::TargetExists, {}};
        return false;
    }
    // An error raised between pieces (a closed window) stops the copy as a failed write
    // does, leaving nothing under the target's name, and then goes on to the caller.
    std::exception_ptr stopped;
    bool changed = false;
    timespec modified {};
    const Fill fill = [&](int fd) {
        const detail::FileSystemCalls& calls = detail::OutputFileCalls();
        struct stat before {}, after {};
        if (calls.Fstat(sourceFd, &before) != 0)
            return false;
        // A file changed since the caller read it would give a copy of another file.
        if (expected && !SameContentState(*expected, before)) {
            changed = true;
            errno = ESTALE;
            return false;
        }
        modified = before.st_mtim;
        std::uint64_t copied = 0;
        try {
            if (!CopyBytes(sourceFd, fd, between, &copied))
                return false;
        } catch (...) {
            stopped = std::current_exception();
            errno = ECANCELED;
            return false;
        }
        // Only the whole file as it was when the copy began is a copy of it.
        if (calls.Fstat(sourceFd, &after) != 0)
            return false;
        if (!SameContentState(before, after) ||
            copied != static_cast<std::uint64_t>(before.st_size)) {
            changed = true;
            errno = ESTALE;
            return false;
        }
        return true;
    };
    const int err = PutFile(target, replace, fill, &modified, placing);
    if (stopped)
        std::rethrow_exception(stopped);
    if (err == kClashed)
        throw EFCreateError(target);
    if (err != 0 && reason)
        *reason = CopyFailure(err, changed);
    return err == 0;
}

} // namespace

bool CopyFileNoReplace(int sourceFd, const std::string& target, MessageText* reason,
                       const std::function<void()>& between, const struct stat* expected,
                       const Placing& placing)
{
    return CopyFromOpen(sourceFd, target, false, reason, between, expected, placing);
}

bool CopyFileReplacing(int sourceFd, const std::string& target, MessageText* reason,
                       const std::function<void()>& between, const struct stat* expected,
                       const Placing& placing)
{
    return CopyFromOpen(sourceFd, target, true, reason, between, expected, placing);
}

namespace {

// Nanoseconds since the epoch.
std::int64_t Nanoseconds(const timespec& time)
{
    return static_cast<std::int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

// The resolution that turned the probe times into the stored ones: the coarsest step that
// every stored time is a multiple of and that each stored time lies within of its probe.
// The probes' fractions have no zero digit and lie in an odd second, so that truncating or
// rounding them to any step leaves one of them on that step's grid and no coarser one.
TimeResolution ResolutionOf(const timespec (&probes)[2], const timespec (&stored)[2])
{
    static constexpr std::int64_t kSteps[] = {2000000000, 1000000000, 100000000, 10000000,
                                              1000000, 100000, 10000, 1000, 100, 10};
    for (const std::int64_t step : kSteps) {
        bool fits = true;
        for (int i = 0; i < 2; ++i) {
            const std::int64_t time = Nanoseconds(stored[i]);
            const std::int64_t apart = time - Nanoseconds(probes[i]);
            fits = fits && time % step == 0 && apart < step && -apart < step;
        }
        if (fits)
            return TimeResolution(step);
    }
    return TimeResolution(1);
}

// A file to set times on that no one sees under a final name: unnamed, or a locked
// temporary one (a leftover a later sweep removes) whose name goes at once when done.
FileHandle OpenProbe(const std::string& directory, std::string& name)
{
    FileHandle file(detail::OutputFileCalls().OpenUnnamed(
        directory.empty() ? "." : directory.c_str(), 0600));
    if (file.Valid())
        return file;
    const std::string prefix =
        directory.empty() || directory.back() == '/' ? directory : directory + "/";
    if (CreateNamedTemporary(prefix, file, name) != 0)
        return FileHandle(-1);
    return file;
}

} // namespace

TimeResolution OutputTimeResolution(const std::string& directory)
{
    std::string name;
    const FileHandle file = OpenProbe(directory, name);
    if (!file.Valid())
        return TimeResolution(1);
    const timespec probes[2] = {{1000000001, 123456789}, {1000000001, 987654321}};
    timespec stored[2] {};
    bool known = true;
    for (int i = 0; i < 2 && known; ++i) {
        const timespec times[2] = {{0, UTIME_OMIT}, probes[i]};
        struct stat info {};
        known = detail::OutputFileCalls().SetTimes(file.Get(), times) == 0 &&
                ::fstat(file.Get(), &info) == 0;
        stored[i] = info.st_mtim;
    }
    if (!name.empty())
        ::unlink(name.c_str());
    return known ? ResolutionOf(probes, stored) : TimeResolution(1);
}

bool IsTemporaryName(std::string_view name)
{
    if (name.size() != kTempNameLength || name.substr(0, kTempPrefix.size()) != kTempPrefix)
        return false;
    const std::string_view random = name.substr(kTempPrefix.size(), kTempRandomLength);
    for (char c : random) {
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (!letter && !(c >= '0' && c <= '9'))
            return false;
    }
    return name[kTempPrefix.size() + kTempRandomLength] == '-' &&
           name.substr(kTempNameLength - kTempCheckLength) == CheckCode(random);
}

std::string TemporaryFileName(std::string_view random)
{
    return std::string(kTempPrefix) + std::string(random) + "-" + CheckCode(random);
}

void RemoveStaleTemporaries(const std::string& directory, const std::vector<FileId>& keep)
{
    DIR* stream = ::opendir(directory.empty() ? "." : directory.c_str());
    if (!stream)
        return;
    const int dir = ::dirfd(stream);
    while (const dirent* entry = ::readdir(stream)) {
        if (!IsTemporaryName(entry->d_name))
            continue;
        FileHandle file(
            ::openat(dir, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat opened {}, named {};
        if (!file.Valid() || ::fstat(file.Get(), &opened) != 0 || !S_ISREG(opened.st_mode) ||
            opened.st_uid != ::geteuid() || opened.st_nlink != 1)
            continue;
        const auto listed = [&opened](const FileId& id) {
            return id.Found && id.Device == opened.st_dev && id.Inode == opened.st_ino;
        };
        if (std::any_of(keep.begin(), keep.end(), listed))
            continue;
        // A writer holds its file locked until it is in place; a leftover is free.
        if (::flock(file.Get(), LOCK_EX | LOCK_NB) != 0)
            continue;
        // Remove it only when the name still means the file locked here.
        if (::fstatat(dir, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            SameFile(opened, named))
            ::unlinkat(dir, entry->d_name, 0);
    }
    ::closedir(stream);
}

} // namespace kameola
