// SPDX-License-Identifier: MIT
// The record of the files a run placed.
#include "common/PlacedFiles.h"

#include "common/Errors.h"
#include "common/FileSystemCalls.h"

namespace kameola {

namespace {

std::pair<dev_t, ino_t> KeyOf(const struct stat& file)
{
    return {file.st_dev, file.st_ino};
}

bool SameOutput(const OutputClaim& a, const OutputClaim& b)
{
    return a.Role == b.Role && a.Source == b.Source;
}

// What is at path now; false for nothing.
bool LookAt(const std::string& path, struct stat& info)
{
    return detail::OutputFileCalls().Lstat(path.c_str(), &info) == 0;
}

} // namespace

const PlacedFiles::Record* PlacedFiles::Find(const struct stat& file) const
{
    const auto found = m_files.find(KeyOf(file));
    return found == m_files.end() ? nullptr : &found->second;
}

PlaceVerdict PlacedFiles::Judge(const struct stat* there, const OutputClaim& claim) const
{
    const Record* record = there ? Find(*there) : nullptr;
    if (!record)
        return PlaceVerdict::Free;
    if (claim.Role == OutputRole::Copy)
        return record->Claim.Role == OutputRole::Copy ? PlaceVerdict::Taken : PlaceVerdict::Clash;
    return SameOutput(record->Claim, claim) ? PlaceVerdict::Shared : PlaceVerdict::Clash;
}

void PlacedFiles::Placed(const struct stat& placed, const struct stat* replaced,
                         const OutputClaim& claim)
{
    Record record{claim, 1};
    if (replaced) {
        // The replaced file is gone; its number may come back for another file.
        const auto old = m_files.find(KeyOf(*replaced));
        if (old != m_files.end()) {
            record.Claims += old->second.Claims;
            m_files.erase(old);
        }
    }
    m_files.insert_or_assign(KeyOf(placed), record);
}

bool PlacedFiles::Withdraw(const struct stat& file, const OutputClaim& claim)
{
    const auto found = m_files.find(KeyOf(file));
    if (found == m_files.end() || !SameOutput(found->second.Claim, claim))
        return false;
    if (--found->second.Claims > 0)
        return false;
    m_files.erase(found);
    return true;
}

PlaceVerdict JudgeOutput(const std::string& path, const Placing& placing)
{
    if (!placing.Record)
        return PlaceVerdict::Free;
    const auto lock = placing.Record->Lock();
    struct stat there {};
    return placing.Record->Judge(LookAt(path, there) ? &there : nullptr, placing.Claim);
}

void ClaimExisting(const std::string& path, const Placing& placing)
{
    if (!placing.Record)
        return;
    const auto lock = placing.Record->Lock();
    struct stat there {};
    if (!LookAt(path, there))
        return;
    if (placing.Record->Judge(&there, placing.Claim) == PlaceVerdict::Clash)
        throw EFCreateError(path);
    placing.Record->Placed(there, &there, placing.Claim);
}

void RemovePlaced(const std::string& path, const Placing& placing)
{
    if (!placing.Record)
        return;
    const auto lock = placing.Record->Lock();
    struct stat there {};
    if (LookAt(path, there) && placing.Record->Withdraw(there, placing.Claim))
        detail::OutputFileCalls().Unlink(path.c_str());
}

} // namespace kameola
