// Copying a file without ever replacing an existing one.
#pragma once

#include <string>

namespace kameola {

// Copies source to target when no file exists at target. Returns false when the target
// exists or the copy fails; a partly written target is removed, an existing one untouched.
bool CopyFileNoReplace(const std::string& source, const std::string& target);

} // namespace kameola
