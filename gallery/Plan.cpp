// SPDX-License-Identifier: MIT
// The run's plan: output names, addresses and clashes, worked out before anything is written.
#include "gallery/Plan.h"

#include "common/Errors.h"
#include "common/OutputFile.h"

#include <map>
#include <set>
#include <sys/stat.h>
#include <utility>

namespace kameola {

namespace {

enum class OutputKind { Copy, SmallImage, Conversion, Page };

struct Output {
    const std::string* Name;
    OutputKind Kind;
};

// The outputs claimed so far, by path, and the files the job lists.
class Claims {
public:
    // The listed files are the entries and the background picture, identified once.
    explicit Claims(const std::vector<FileId>& listed)
    {
        for (const FileId& id : listed) {
            if (id.Found)
                m_listed.insert({id.Device, id.Inode});
        }
    }

    // The output's path when it clashes with an output claimed earlier or would replace a
    // listed file; else empty. The same file gives the same output twice without a clash;
    // of two copies under one name the first is kept.
    std::string ClashOf(const Output& output, const FileId& source) const
    {
        const std::string& path = *output.Name;
        // A later run would take a file so named for a leftover and remove it.
        if (IsTemporaryName(BaseName(path)))
            return path;
        const auto claimed = m_claims.find(*output.Name);
        if (claimed != m_claims.end()) {
            const bool bothCopies =
                output.Kind == OutputKind::Copy && claimed->second.second == OutputKind::Copy;
            const bool sameOutput =
                output.Kind == claimed->second.second && source == claimed->second.first;
            if (!bothCopies && !sameOutput)
                return path;
        }
        // A copy never replaces anything; every other output would.
        if (output.Kind != OutputKind::Copy) {
            const FileId there = IdentifyFile(path);
            if (there.Found && m_listed.count({there.Device, there.Inode}) != 0)
                return path;
        }
        return {};
    }

    void Claim(const Output& output, const FileId& source)
    {
        m_claims.emplace(*output.Name, std::make_pair(source, output.Kind));
    }

private:
    std::set<std::pair<dev_t, ino_t>> m_listed;
    std::map<std::string, std::pair<FileId, OutputKind>> m_claims;
};

// A browser-shown picture with its small image: the cell shows that and links the file.
void NameWebEntry(PlannedEntry& entry, const GalleryJob& job)
{
    const std::string smallName = WebSmallImageName(entry.BaseName);
    entry.SmallImage = JoinOutputPath(job.OutputDir, smallName);
    entry.Picture = NameAddress(smallName);
    if (job.LinkInPlace) {
        entry.Link = FileAddress(entry.Source);
    } else {
        entry.CopyTarget = JoinOutputPath(job.OutputDir, entry.BaseName);
        entry.Link = NameAddress(entry.BaseName);
    }
}

// The entry's paths and addresses, before any clash is looked for.
PlannedEntry NameEntry(const std::string& path, const GalleryJob& job)
{
    PlannedEntry entry;
    entry.Source = path;
    entry.Class = ClassifyExtension(path);
    entry.BaseName = BaseName(path);
    const ClassRules& rules = RulesOf(entry.Class);
    const bool smallOnRequest = job.SmallWebImages && !rules.Decoded;
    if (rules.Decoded || smallOnRequest)
        entry.Reader = ReaderOf(path);
    if (smallOnRequest && entry.Reader) {
        NameWebEntry(entry, job);
        return entry;
    }
    const auto output = [&job](const std::string& name) {
        return JoinOutputPath(job.OutputDir, name);
    };
    const bool small = (job.MakeSmallImages || rules.SmallAlways) && rules.SmallImageName;
    const std::string smallName = small ? rules.SmallImageName(entry.BaseName) : "";
    if (small)
        entry.SmallImage = output(smallName);
    if (job.LinkInPlace) {
        entry.Link = FileAddress(path);
        entry.Picture = small ? NameAddress(smallName) : entry.Link;
        return entry;
    }
    if (rules.Converted) {
        // The full-size conversion stands in for the file; no copy is made.
        const std::string conversion = ChangeExtension(entry.BaseName, ".jpg");
        entry.Conversion = output(conversion);
        entry.Link = NameAddress(conversion);
    } else {
        entry.CopyTarget = output(entry.BaseName);
        entry.Link = NameAddress(entry.BaseName);
    }
    // A BMP cell shows its conversion even beside a small image; a converted picture's
    // cell shows its small image and links the conversion.
    entry.Picture = small && rules.CellShowsSmall ? NameAddress(smallName) : entry.Link;
    return entry;
}

} // namespace

RunPlan PlanRun(const GalleryJob& job, bool keepGoing)
{
    RunPlan plan;
    // Each listed file is looked up once: the last one is the background picture.
    std::vector<FileId>& listed = plan.Listed;
    listed.reserve(job.Entries.size() + 1);
    for (const GalleryEntry& entry : job.Entries)
        listed.push_back(IdentifyFile(entry.Path));
    listed.push_back(IdentifyFile(job.Style.BackgroundImage));
    Claims claims(listed);
    const std::string& image = job.Style.BackgroundImage;
    plan.Background = image;
    if (!image.empty()) {
        if (job.LinkInPlace) {
            plan.BackgroundAddress = FileAddress(image);
        } else {
            const std::string name = BaseName(image);
            plan.BackgroundCopy = JoinOutputPath(job.OutputDir, name);
            if (IsTemporaryName(name))
                throw EFCreateError(plan.BackgroundCopy);
            plan.BackgroundAddress = NameAddress(name);
            claims.Claim({&plan.BackgroundCopy, OutputKind::Copy}, listed.back());
        }
    }
    // An empty page name is refused only when the page is written, at the end.
    plan.PagePath = JoinOutputPath(job.OutputDir, job.PageName);
    if (!job.PageName.empty()) {
        const Output page{&plan.PagePath, OutputKind::Page};
        const FileId pageId{false, 0, 0, "\n page"};  // no source file has this path
        const std::string clash = claims.ClashOf(page, pageId);
        if (!clash.empty())
            throw EFCreateError(clash);
        claims.Claim(page, pageId);
    }

    plan.Entries.reserve(job.Entries.size());
    for (std::size_t i = 0; i < job.Entries.size(); ++i) {
        const std::string& path = job.Entries[i].Path;
        PlannedEntry entry = NameEntry(path, job);
        entry.File = listed[i];
        const FileId& source = entry.File;
        const Output outputs[] = {{&entry.SmallImage, OutputKind::SmallImage},
                                  {&entry.Conversion, OutputKind::Conversion},
                                  {&entry.CopyTarget, OutputKind::Copy}};
        for (const Output& output : outputs) {
            if (!output.Name->empty() && entry.Clash.empty())
                entry.Clash = claims.ClashOf(output, source);
        }
        if (entry.Clash.empty()) {
            for (const Output& output : outputs) {
                if (!output.Name->empty())
                    claims.Claim(output, source);
            }
        } else if (!keepGoing) {
            EFCreateError error(entry.Clash);
            error.SetEntryIndex(static_cast<int>(i));
            throw error;
        }
        plan.Entries.push_back(std::move(entry));
    }
    return plan;
}

} // namespace kameola
