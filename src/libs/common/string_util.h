// Text helpers used with the data-file reader: numbers from element text (an empty or
// non-numeric value reads as 0) and narrow-to-wide conversion.
#pragma once

#include <string>

#include "platform/win32/win32.h"

namespace common {

int StringToInt(const std::string& text);
double StringToFloat(const std::string& text);

// Converts into a caller buffer of `length` characters; the last character is always 0.
HRESULT ConvertAnsiStringToWide(const char* source, WCHAR* destination, int length);
std::wstring ToWide(const std::string& text);
std::string ToNarrow(const std::wstring& text);

} // namespace common
