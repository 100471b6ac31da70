#include "libs/common/string_util.h"

#include <cstdlib>
#include <vector>

namespace common {

int StringToInt(const std::string& text) { return std::atoi(text.c_str()); }

double StringToFloat(const std::string& text) { return std::atof(text.c_str()); }

HRESULT ConvertAnsiStringToWide(const char* source, WCHAR* destination, int length) {
    if (source == nullptr || destination == nullptr || length < 1) {
        return E_INVALIDARG;
    }
    const int needed = MultiByteToWideChar(CP_ACP, 0, source, -1, nullptr, 0);
    HRESULT result = S_OK;
    if (needed <= 0) {
        result = E_FAIL;
    } else if (needed <= length) {
        if (MultiByteToWideChar(CP_ACP, 0, source, -1, destination, length) == 0) {
            result = E_FAIL;
        }
    } else {
        // Too long for the buffer: keep what fits, as a truncating copy.
        std::vector<WCHAR> all(static_cast<std::size_t>(needed));
        MultiByteToWideChar(CP_ACP, 0, source, -1, all.data(), needed);
        for (int i = 0; i < length; ++i) {
            destination[i] = all[static_cast<std::size_t>(i)];
        }
    }
    destination[length - 1] = 0;
    return result;
}

std::wstring ToWide(const std::string& text) {
    const int needed = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(needed), L'\0');
    if (needed > 0) {
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), needed);
    }
    return out;
}

std::string ToNarrow(const std::wstring& text) {
    const int needed =
        WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(needed), '\0');
    if (needed > 0) {
        WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), needed, nullptr,
                            nullptr);
    }
    return out;
}

} // namespace common
