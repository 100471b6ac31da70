// The one way the game opens a file for reading. Any name in the data tree may turn out to be
// missing, a directory, a device, a pipe, unreadable or far too large: these refuse all of them
// before a byte is read, so no reader hangs on a device or fills memory from an endless file. The
// reason comes back as a short phrase for the caller to put after the file's name ("is a
// directory"), with what the game does instead. Thread-safe (no state); names are not resolved.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The most any art file (model, texture, effect, sound, grid) may have: far above the largest the
// game ships, far below what would exhaust memory.
constexpr std::uint64_t kMostArtFileBytes = 256u << 20;

// True when `path` is a regular file of at most `maxBytes` that this process can open; else false
// with the reason in `error`. For libraries that open the file themselves after the check.
bool CheckReadableFile(const std::string& path, std::uint64_t maxBytes, std::string& error);

// The whole file in `contents` after the same checks, every read checked; false with the reason
// in `error` (and `contents` empty) when any of them fails.
bool ReadWholeFile(const std::string& path, std::uint64_t maxBytes, std::string& contents, std::string& error);

} // namespace platform
