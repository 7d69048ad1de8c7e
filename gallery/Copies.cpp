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

void CopyByRule(const CopySource& source, const std::string& target, RunHost& host,
                RunStats& stats, const Placing& placing)
{
    MessageText reason;
    const auto between = [&host] { host.KeepResponsive(); };
    if (!(source.Opened.Valid() ? CopyFileNoReplace(source.Opened.Get(), target, &reason,
                                                    between, source.Prepared, placing)
                                : CopyFileNoReplace(source.Path, target, &reason, between,
                                                    placing)))
        ReportSkipped(source.Path, target, reason, host, stats);
}

void CopyUpdating(const CopySource& source, const std::string& target, RunHost& host,
                  RunStats& stats, const std::vector<FileId>& listed, TimeResolution resolution,
                  const Placing& placing)
{
    const FileHandle reopened =
        source.Opened.Valid() ? FileHandle(-1) : OpenRegularFile(source.Path);
    const FileHandle& file = source.Opened.Valid() ? source.Opened : reopened;
    const CopySource opened{source.Path, file, source.Prepared};
    // Judged against the state the entry was prepared from: the copy that is kept or made
    // then matches the small image made from that state.
    struct stat sourceInfo {};
    // A file this run placed is never up to date for another output, whatever its time.
    if (JudgeOutput(target, placing) != PlaceVerdict::Free)
        return CopyByRule(opened, target, host, stats, placing);
    if (source.Prepared)
        sourceInfo = *source.Prepared;
    else if (!file.Valid() || ::fstat(file.Get(), &sourceInfo) != 0)
        return CopyByRule(opened, target, host, stats, placing);
    switch (CopyStateOf(target, sourceInfo, resolution)) {
    case CopyState::Missing: return CopyByRule(opened, target, host, stats, placing);
    case CopyState::Current: return;
    case CopyState::Stale: break;
    }
    if (IsListed(target, listed))
        return ReportSkipped(source.Path, target, MessageText{MessageId::TargetListed, {}}, host,
                             stats);
    MessageText reason;
    if (!CopyFileReplacing(file.Get(), target, &reason, [&host] { host.KeepResponsive(); },
                           &sourceInfo, placing))
        ReportSkipped(source.Path, target, reason, host, stats);
}

} // namespace kameola
