// UTF-8 helpers for the framework: SDL speaks UTF-8, the game's strings are wide.
// Pure functions, safe from any thread.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// Decodes the sequence at `text` (at most `available` bytes); returns its length, or 0 when it
// is malformed, truncated, overlong or a surrogate.
std::size_t DecodeUtf8(const char* text, std::size_t available, char32_t& codePoint);

// UTF-8 of a wide string (UTF-32 on this system); invalid code points become U+FFFD.
std::string WideToUtf8(const wchar_t* text);

} // namespace platform
