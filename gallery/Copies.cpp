// SPDX-License-Identifier: MIT
// The run's copies of listed files.
#include "gallery/Copies.h"

#include "common/Errors.h"
#include "common/FileIo.h"
#include "common/FileState.h"
#include "common/OutputFile.h"

#include <sys/stat.h>

namespace kameola {

namespace {

// Counts a copy that was not made and tells the host why.
void ReportSkipped(const std::string& source, const std::string& target,
                   const MessageText& reason, RunHost& host, RunStats& stats)
{
    ++stats.SkippedCopies;
    host.CopySkipped(source, target, reason);
}

// Whether the target is a listed file, or a link that is itself one.
bool IsListed(const std::string& target, const std::vector<FileId>& listed)
{
    struct stat link {};
    const FileId named = IdentifyFile(target);
    const bool linked = ::lstat(target.c_str(), &link) == 0;
    for (const FileId& id : listed) {
        if (id.Found && ((named.Found && named == id) ||
                         (linked && id.Device == link.st_dev && id.Inode == link.st_ino)))
            return true;
    }
    return false;
}

} // namespace

void CopyByRule(const std::string& source, const std::string& target, RunHost& host,
                RunStats& stats, const FileHandle& opened, const Placing& placing)
{
    MessageText reason;
    const auto between = [&host] { host.KeepResponsive(); };
    if (!(opened.Valid() ? CopyFileNoReplace(opened.Get(), target, &reason, between, placing)
                         : CopyFileNoReplace(source, target, &reason, between, placing)))
        ReportSkipped(source, target, reason, host, stats);
}

void CopyUpdating(const std::string& source, const std::string& target, RunHost& host,
                  RunStats& stats, const std::vector<FileId>& listed, const FileHandle& opened,
                  const Placing& placing)
{
    const FileHandle reopened = opened.Valid() ? FileHandle(-1) : OpenRegularFile(source);
    const FileHandle& file = opened.Valid() ? opened : reopened;
    struct stat sourceInfo {};
    // A file this run placed is never up to date for another output, whatever its time.
    if (!file.Valid() || ::fstat(file.Get(), &sourceInfo) != 0 ||
        JudgeOutput(target, placing) != PlaceVerdict::Free)
        return CopyByRule(source, target, host, stats, file, placing);
    switch (CopyStateOf(target, sourceInfo)) {
    case CopyState::Missing: return CopyByRule(source, target, host, stats, file, placing);
    case CopyState::Current: return;
    case CopyState::Stale: break;
    }
    if (IsListed(target, listed))
        return ReportSkipped(source, target, MessageText{MessageId::TargetListed, {}}, host, stats);
    MessageText reason;
    if (!CopyFileReplacing(file.Get(), target, &reason, [&host] { host.KeepResponsive(); },
                           placing))
        ReportSkipped(source, target, reason, host, stats);
}

} // namespace kameola
