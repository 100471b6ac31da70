#include "platform/win32/utf8.h"

#include <cwchar>

namespace platform {
namespace {

bool IsHighSurrogate(char32_t code) { return code >= 0xD800 && code <= 0xDBFF; }
bool IsLowSurrogate(char32_t code) { return code >= 0xDC00 && code <= 0xDFFF; }

void Append(std::string& out, char32_t code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

} // namespace

SUtf8Step DecodeUtf8(const char* text, std::size_t available) {
    if (text == nullptr || available == 0) {
        return {};
    }
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80) {
        return {lead, 1, true};
    }
    // The second byte's range excludes overlong forms, surrogates and values above U+10FFFF.
    std::size_t length = 0;
    char32_t code = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0Fu;
        low = lead == 0xE0 ? 0xA0 : low;
        high = lead == 0xED ? 0x9F : high;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07u;
        low = lead == 0xF0 ? 0x90 : low;
        high = lead == 0xF4 ? 0x8F : high;
    } else {
        return {kReplacementCharacter, 1, false};
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (i >= available) {
            return {kReplacementCharacter, i, false};
        }
        const auto next = static_cast<unsigned char>(text[i]);
        if (next < low || next > high) {
            return {kReplacementCharacter, i, false};
        }
        code = (code << 6) | (next & 0x3Fu);
        low = 0x80;
        high = 0xBF;
    }
    return {code, length, true};
}

std::string EscapeForLine(const std::string& text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const SUtf8Step step = DecodeUtf8(text.data() + at, text.size() - at);
        const char32_t code = step.codePoint;
        const bool control = code < 0x20 || (code >= 0x7F && code <= 0x9F);
        if (step.valid && !control) {
            if (code == '\\') {
                out += "\\\\";
            } else {
                out.append(text, at, step.length);
            }
        } else {
            for (std::size_t i = 0; i < step.length; ++i) {
                const auto byte = static_cast<unsigned char>(text[at + i]);
                out += "\\x";
                out.push_back(kHex[byte >> 4]);
                out.push_back(kHex[byte & 0x0F]);
            }
        }
        at += step.length;
    }
    return out;
}

bool IsValidUtf8(const char* text, std::size_t length) {
    for (std::size_t at = 0; at < length;) {
        const SUtf8Step step = DecodeUtf8(text + at, length - at);
        if (!step.valid || step.length == 0) {
            return false;
        }
        at += step.length;
    }
    return true;
}

std::wstring Utf8ToWide(const char* text, std::size_t length) {
    std::wstring out;
    for (std::size_t at = 0; at < length;) {
        const SUtf8Step step = DecodeUtf8(text + at, length - at);
        if (step.length == 0) {
            break;
        }
        out.push_back(static_cast<wchar_t>(step.codePoint));
        at += step.length;
    }
    return out;
}

std::string WideToUtf8(const wchar_t* text, std::size_t length) {
    std::string out;
    for (std::size_t i = 0; i < length; ++i) {
        auto code = static_cast<char32_t>(text[i]);
        if (IsHighSurrogate(code) && i + 1 < length && IsLowSurrogate(static_cast<char32_t>(text[i + 1]))) {
            code = 0x10000 + ((code - 0xD800) << 10) + (static_cast<char32_t>(text[i + 1]) - 0xDC00);
            ++i;
        } else if (code > 0x10FFFF || IsHighSurrogate(code) || IsLowSurrogate(code)) {
            code = kReplacementCharacter;
        }
        Append(out, code);
    }
    return out;
}

std::string WideToUtf8(const wchar_t* text) {
    return text == nullptr ? std::string() : WideToUtf8(text, std::wcslen(text));
}

} // namespace platform
