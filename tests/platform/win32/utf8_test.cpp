#include <gtest/gtest.h>

#include <string>

#include "platform/win32/utf8.h"

namespace {

struct SDecodeCase {
    const char* name;
    std::string bytes;
    std::wstring wide;
    bool valid;
};

// Each maximal ill-formed part becomes one U+FFFD and decoding goes on after it.
TEST(Utf8Test, BytesDecodeWithOneReplacementPerIllFormedPart) {
    const std::wstring r(1, L'\ufffd');
    const SDecodeCase cases[] = {
        {"ascii", "Kelvo", L"Kelvo", true},
        {"two, three and four bytes", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", L"\u00e9\u20ac\U0001F600", true},
        {"highest code point", "\xF4\x8F\xBF\xBF", L"\U0010FFFF", true},
        {"embedded zero", std::string("a\0b", 3), std::wstring(L"a\0b", 3), true},
        {"stray continuation", "a\x80z", L"a" + r + L"z", false},
        {"byte never used", "\xFF", r, false},
        {"overlong two-byte lead", "\xC0\xAF", r + r, false},
        {"overlong three-byte", "\xE0\x80\xAF", r + r + r, false},
        {"surrogate", "\xED\xA0\x80", r + r + r, false},
        {"above U+10FFFF", "\xF4\x90\x80\x80", r + r + r + r, false},
        {"lead without its tail", "\xE2\x82z", r + L"z", false},
        {"truncated at the end", "ab\xF0\x9F\x98", L"ab" + r, false},
        {"lead then a new lead", "\xC3\xC3\xA9", r + L"\u00e9", false},
    };
    for (const SDecodeCase& c : cases) {
        EXPECT_EQ(platform::Utf8ToWide(c.bytes.data(), c.bytes.size()), c.wide) << c.name;
        EXPECT_EQ(platform::IsValidUtf8(c.bytes.data(), c.bytes.size()), c.valid) << c.name;
    }
}

// A sequence cut by the length given is ill-formed, not read on into the bytes after it.
TEST(Utf8Test, DecodingStopsAtTheLengthGiven) {
    const char text[] = "\xE2\x82\xAC";
    const platform::SUtf8Step cut = platform::DecodeUtf8(text, 2);
    EXPECT_FALSE(cut.valid);
    EXPECT_EQ(cut.length, 2u);
    EXPECT_EQ(cut.codePoint, platform::kReplacementCharacter);
    const platform::SUtf8Step whole = platform::DecodeUtf8(text, 3);
    EXPECT_TRUE(whole.valid);
    EXPECT_EQ(whole.codePoint, U'\u20ac');
    EXPECT_EQ(platform::DecodeUtf8(text, 0).length, 0u);
    EXPECT_EQ(platform::DecodeUtf8(nullptr, 4).length, 0u);
    EXPECT_TRUE(platform::Utf8ToWide(nullptr, 4).empty());
}

TEST(Utf8Test, WideTextEncodesWithInvalidValuesReplaced) {
    const struct {
        const char* name;
        std::wstring wide;
        std::string bytes;
    } cases[] = {
        {"ascii and accents", L"caf\u00e9 \u20ac", "caf\xC3\xA9 \xE2\x82\xAC"},
        {"beyond the basic plane", L"\U0001F600", "\xF0\x9F\x98\x80"},
        {"surrogate pair", std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}, "\xF0\x9F\x98\x80"},
        {"lone high surrogate", std::wstring{wchar_t(0xD83D), L'x'}, "\xEF\xBF\xBDx"},
        {"lone low surrogate", std::wstring{wchar_t(0xDE00)}, "\xEF\xBF\xBD"},
        {"above U+10FFFF", std::wstring{wchar_t(0x110000)}, "\xEF\xBF\xBD"},
        {"negative", std::wstring{wchar_t(-1)}, "\xEF\xBF\xBD"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::WideToUtf8(c.wide.data(), c.wide.size()), c.bytes) << c.name;
    }
    EXPECT_EQ(platform::WideToUtf8(L"Tumbo"), "Tumbo");
    EXPECT_EQ(platform::WideToUtf8(nullptr), "");
}

} // namespace
