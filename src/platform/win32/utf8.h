// The one UTF-8 codec of the platform layer: SDL, file names and the ANSI code page speak UTF-8,
// the game's strings are wide (UTF-32 on this system). One rule for bad input everywhere: each
// maximal ill-formed part of a byte sequence, and each surrogate or out-of-range wide value,
// becomes U+FFFD; nothing is read past the length given. Pure functions, safe from any thread.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

constexpr char32_t kReplacementCharacter = 0xFFFD;

struct SUtf8Step {
    // The code point, or U+FFFD when the sequence is ill-formed.
    char32_t codePoint = 0;
    // Bytes used: at least 1 while any byte is available, 0 at the end.
    std::size_t length = 0;
    bool valid = false;
};

// Decodes the sequence at `text`, looking at no more than `available` bytes.
SUtf8Step DecodeUtf8(const char* text, std::size_t available);

// True when all `length` bytes are well-formed UTF-8.
bool IsValidUtf8(const char* text, std::size_t length);

std::wstring Utf8ToWide(const char* text, std::size_t length);

// `text` as it may be shown on one line of a terminal or a log: every byte of a control
// character (C0, DEL and the C1 range, which terminals obey) and of an ill-formed sequence
// becomes "\xNN", a backslash "\\"; other characters stay as they are.
std::string EscapeForLine(const std::string& text);

// A high and low surrogate in a row (UTF-16 that reached a wide string) make one character.
std::string WideToUtf8(const wchar_t* text, std::size_t length);
// The same up to the terminating 0; a null pointer gives an empty string.
std::string WideToUtf8(const wchar_t* text);

} // namespace platform
