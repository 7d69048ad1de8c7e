// SPDX-License-Identifier: MIT
// Reading the --files-from list.
#include "cli/FileList.h"

#include "cli/Options.h"
#include "common/Errors.h"

#include <cstdio>
#include <memory>

namespace kameola {

std::vector<std::string> ParseFileList(std::string_view name, std::string_view text)
{
    std::vector<std::string> paths;
    std::size_t number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.find('\0') != std::string_view::npos)
            throw UsageError(texts::NulInList, {std::string(name), std::to_string(number)});
        if (!line.empty())
            paths.emplace_back(line);
    }
    return paths;
}

void ReadFileList(const std::string& path, std::vector<std::string>& files)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> opened(nullptr, std::fclose);
    std::FILE* in = stdin;
    if (path != "-") {
        opened.reset(std::fopen(path.c_str(), "rb"));
        if (!opened)
            throw EFOpenError(path);
        in = opened.get();
    }
    std::string text;
    char buffer[65536];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, in)) > 0;)
        text.append(buffer, got);
    if (std::ferror(in)) {  // such as a folder given as the list
        if (path == "-")
            throw EReadError();
        throw EFOpenError(path);
    }
    const std::vector<std::string> paths = ParseFileList(path, text);
    files.insert(files.end(), paths.begin(), paths.end());
}

} // namespace kameola
