// SPDX-License-Identifier: MIT
// The files one run has put in place, by device and inode, so that a later output of the
// run never takes the place of an earlier one, also where the file system gives two names
// one file (letter case, Unicode forms or short names folded together).
#pragma once

#include "common/FileState.h"

#include <map>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <utility>

namespace kameola {

// What an output is to the run.
enum class OutputRole {
    Copy,     // a listed file's copy: never replaces anything
    Picture,  // a small image or a conversion: replaces a file of an earlier run
    Page,
};

// One output: its role and the listed file it is made from.
struct OutputClaim {
    OutputRole Role = OutputRole::Copy;
    FileId Source;
};

// What an output may do with the file found under its name.
enum class PlaceVerdict {
    Free,    // nothing this run placed is there
    Shared,  // the same output of the same file, placed earlier: it is written again
    Taken,   // a copy this run placed: a copy is skipped, as on any existing file
    Clash,   // another output this run placed: this one is not written
};

// The record of one run. Every call is safe from several threads at once; checking a name
// and putting a file there happen under Lock(), so two writers never both find it free.
class PlacedFiles {
public:
    std::unique_lock<std::mutex> Lock() { return std::unique_lock<std::mutex>(m_mutex); }

    // With the lock held: the verdict for the output when its name holds there (nullptr
    // for nothing).
    PlaceVerdict Judge(const struct stat* there, const OutputClaim& claim) const;
    // With the lock held: the output now is the file placed; replaced is what its name
    // held before (nullptr for nothing), whose claims pass to it.
    void Placed(const struct stat& placed, const struct stat* replaced, const OutputClaim& claim);
    // With the lock held: takes back one claim of the output on the file; true when that was
    // its last, so that the file goes.
    bool Withdraw(const struct stat& file, const OutputClaim& claim);

private:
    struct Record {
        OutputClaim Claim;
        int Claims = 1;  // outputs it stands for: the same file listed more than once
    };
    const Record* Find(const struct stat& file) const;

    std::mutex m_mutex;
    std::map<std::pair<dev_t, ino_t>, Record> m_files;
};

// An output of a run that records what it places; without a record nothing is checked.
struct Placing {
    PlacedFiles* Record = nullptr;
    OutputClaim Claim;
};

// The verdict for an output whose name is path, as things are now.
PlaceVerdict JudgeOutput(const std::string& path, const Placing& placing);

// Makes the file already at path (kept up to date from an earlier run) the output, as if
// placed now. Raises EFCreateError naming path when it is another output of this run.
void ClaimExisting(const std::string& path, const Placing& placing);

// Takes back an output the run placed at path: the file goes unless it is no longer the
// one placed or also stands for another listing of the same file.
void RemovePlaced(const std::string& path, const Placing& placing);

} // namespace kameola
