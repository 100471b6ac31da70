// The file layer under every data-file open: Windows names ("Scripts\X.LUA", "../../data/A.png")
// become Linux paths, and a name that is not found is matched case-insensitively, component by
// component, so data written on a case-blind system still loads. Thread-safe (no state).
#pragma once

#include <string>

namespace platform {

// The path to open for a Windows-style name: separators turned to '/', and each component
// that does not exist replaced by the one directory entry that matches it ignoring case.
// Returns the separator-converted name when nothing matches.
std::string ResolvePath(const std::string& name);

bool FileExists(const std::string& name);

} // namespace platform
