// SPDX-License-Identifier: MIT
// The options of kameola-cli, one row each: the parser, the usage lines and --help all
// come from this table.
#pragma once

#include "cli/Options.h"

#include <string>
#include <vector>

namespace kameola {

// What the parser keeps while it applies options.
struct OptionContext {
    CliOptions& Options;
    std::string Name;                // "--jobs": how messages name the option being applied
    bool OutputGiven = false;
    bool FaceGiven = false;          // --font given: the page's face is not looked up
    std::vector<std::string> Lists;  // --files-from, in order
};

// Where an option shows in the usage lines.
enum class UsageForm {
    Required,  // "-o DIR" on the first line
    Optional,  // "[--page NAME]"
    Alone,     // on a line of its own: "kameola-cli --help | --version"
    Hidden,    // only in --help
};

struct CliOption {
    const char* Long;      // the name after "--"; empty for "--" itself
    char Short;            // the one-letter form, or 0
    const char* Argument;  // the name of its value in the help, or nullptr for none
    // The help sentence in both languages, its "%s" filled with what Defaults gives.
    CliText Help;
    std::vector<std::string> (*Defaults)();  // nullptr: nothing to fill in
    void (*Apply)(OptionContext& context, const std::string& value);  // nullptr for "--"
    UsageForm Usage;
};

// Every option in the order --help lists them.
const std::vector<CliOption>& CliOptionTable();

} // namespace kameola
