// A check of text .x files before the mesh library reads them: the library trusts declared counts
// and indices (it allocates by them, indexes by them and leaks what it built when it gives up), so
// a file is read here first, token for token as the library will read it, and refused unless
// every count is followed by that many entries and every index stays inside its list. Binary and
// compressed .x files are refused. Pure text work, no state: any thread.
#pragma once

#include <cstddef>
#include <string>

namespace platform {
namespace d3d9 {

// True when the mesh library may be given the file; otherwise false and the reason (with the
// line it was found on) in `reason`.
bool ScanXFile(const char* data, std::size_t size, std::string* reason);

} // namespace d3d9
} // namespace platform
