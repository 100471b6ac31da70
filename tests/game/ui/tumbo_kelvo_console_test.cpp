#include "game/ui/tumbo_kelvo_console.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <lua.hpp>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/input/input_event.h"
#include "libs/common/script_manager.h"

namespace {

using kelvo::TumboKelvoConsole;
using velm::input::SInputEvent;

constexpr std::uint32_t kBackspace = 14;
constexpr std::uint32_t kLeftShift = 42;

SInputEvent Record(std::uint32_t code, std::uint32_t value) {
    SInputEvent event;
    event.m_code = code;
    event.m_value = value;
    return event;
}

// The scan code of a letter, digit or blank on the US layout.
std::uint32_t CodeOf(char c) {
    const std::string rows[] = {"1234567890", "qwertyuiop", "asdfghjkl", "zxcvbnm"};
    const std::uint32_t firsts[] = {2, 16, 30, 44};
    if (c == ' ') {
        return 57;
    }
    for (int r = 0; r < 4; ++r) {
        const std::size_t at = rows[r].find(c);
        if (at != std::string::npos) {
            return firsts[r] + static_cast<std::uint32_t>(at);
        }
    }
    ADD_FAILURE() << "no key for " << c;
    return 0;
}

std::vector<std::string>& Parsed() {
    static std::vector<std::string> lines;
    return lines;
}

// The console the game's ConsoleWrite prints to, while a test runs.
TumboKelvoConsole*& PrintTarget() {
    static TumboKelvoConsole* console = nullptr;
    return console;
}

// Stands in for the game's ConsoleWrite, which prints to the console overlay.
int WriteThroughSeam(lua_State* L) {
    if (TumboKelvoConsole* console = PrintTarget()) {
        console->Print(lua_tostring(L, 1));
    }
    return 0;
}

class ConsoleTest : public ::testing::Test {
protected:
    void SetUp() override {
        Parsed().clear();
        PrintTarget() = &m_console;
    }
    void TearDown() override { PrintTarget() = nullptr; }

    bool Press(std::uint32_t code) { return m_console.HandleInput(Record(code, 0)); }
    bool Release(std::uint32_t code) { return m_console.HandleInput(Record(code, 1)); }
    void Key(std::uint32_t code) {
        Press(code);
        Release(code);
    }
    void Open() {
        Key(TumboKelvoConsole::kGraveKey);
        ASSERT_TRUE(m_console.IsOpen());
    }
    void Type(const std::string& text) {
        for (char c : text) {
            Key(CodeOf(c));
        }
    }
    void Enter(const std::string& text) {
        Type(text);
        Key(TumboKelvoConsole::kEnterKey);
    }
    void Renders(int count) {
        for (int i = 0; i < count; ++i) {
            m_console.Render(0.0, 0.016f);
        }
    }
    std::wstring Front() const { return m_console.GetScrollback().empty() ? L"" : m_console.GetScrollback().front(); }

    TumboKelvoConsole m_console;
};

TEST_F(ConsoleTest, ClosedItTakesOnlyTheGraveKeyAndOpenItTakesEveryPressAndReleaseButNotMovement) {
    EXPECT_FALSE(Press(CodeOf('a')));
    EXPECT_FALSE(Release(CodeOf('a')));
    EXPECT_TRUE(Press(TumboKelvoConsole::kGraveKey));
    EXPECT_FALSE(m_console.IsOpen()) << "it opens on the release";
    EXPECT_TRUE(Release(TumboKelvoConsole::kGraveKey));
    EXPECT_TRUE(m_console.IsOpen());
    EXPECT_TRUE(Press(CodeOf('a')));
    EXPECT_TRUE(Release(TumboKelvoConsole::kUpKey));
    // Insert, Delete, the Windows keys and the menu key share their codes with the mouse's
    // buttons and axes: every press and release stays in the open console.
    for (std::uint32_t code : {210u, 211u, 219u, 220u, 221u, velm::input::MOUSE_AXIS_X, 252u}) {
        EXPECT_TRUE(Press(code)) << code;
        EXPECT_TRUE(Release(code)) << code;
    }
    // Movement, any value but 0 and 1, passes on to the game.
    for (const SInputEvent& mouse :
         {Record(velm::input::MOUSE_AXIS_X, 0xFFFFFFFFu), Record(velm::input::MOUSE_AXIS_Y, 7),
          Record(velm::input::MOUSE_AXIS_WHEEL, 120)}) {
        EXPECT_FALSE(m_console.HandleInput(mouse)) << mouse.m_code << " " << mouse.m_value;
    }
    EXPECT_EQ(m_console.GetInputLine(), L"a|") << "those keys typed nothing";
    Key(TumboKelvoConsole::kGraveKey);
    EXPECT_FALSE(m_console.IsOpen());
    EXPECT_EQ(m_console.GetInputLine(), L"a|") << "closing keeps the line";
}

TEST_F(ConsoleTest, TypedLettersStandBeforeTheBarWhichBlinksEvery250Renders) {
    Open();
    Press(kLeftShift);
    Type("ab");
    EXPECT_EQ(m_console.GetInputLine(), L"ab|") << "shift changes nothing";
    Renders(249);
    EXPECT_EQ(m_console.GetInputLine(), L"ab|");
    Renders(1);
    EXPECT_EQ(m_console.GetInputLine(), L"ab");
    Renders(250);
    EXPECT_EQ(m_console.GetInputLine(), L"ab|");
    Key(kBackspace);
    EXPECT_EQ(m_console.GetInputLine(), L"a") << "the bar goes with the letter until the next blink";
    Key(kBackspace);
    Key(kBackspace);
    EXPECT_EQ(m_console.GetInputLine(), L"");
    EXPECT_EQ(m_console.GetCursor(), 0u);
}

TEST_F(ConsoleTest, TypingStopsWhereBackspaceStillWorks) {
    Open();
    Type(std::string(70, 'x'));
    EXPECT_EQ(m_console.GetInputLine(), std::wstring(TumboKelvoConsole::kMostTypedChars, L'x') + L"|");
    Key(kBackspace);
    EXPECT_EQ(m_console.GetInputLine(), std::wstring(TumboKelvoConsole::kMostTypedChars - 1, L'x'));
}

TEST_F(ConsoleTest, HistoryRecallsNewestFirstWithTheCursorAtTheEnd) {
    ASSERT_TRUE(common::CScriptManager::GetInstance()->RunString(
        "console_lines = {} function ParseConsole(line) console_lines[#console_lines + 1] = line end"));
    Open();
    Enter("one");
    Enter("two");
    Enter("three");
    EXPECT_EQ(Front(), L">three");
    EXPECT_EQ(m_console.GetInputLine(), L"");
    EXPECT_TRUE(common::CScriptManager::GetInstance()->RunString(
        "assert(#console_lines == 3 and console_lines[1] == 'one' and console_lines[3] == 'three')"));
    Key(TumboKelvoConsole::kUpKey);
    EXPECT_EQ(m_console.GetInputLine(), L"three");
    EXPECT_EQ(m_console.GetCursor(), 5u);
    // A key in the same batch as the recall lands at the end of the recalled line.
    Type("x");
    EXPECT_EQ(m_console.GetInputLine(), L"threex|");
    Key(TumboKelvoConsole::kUpKey);
    Key(TumboKelvoConsole::kUpKey);
    EXPECT_EQ(m_console.GetInputLine(), L"one");
    Key(TumboKelvoConsole::kUpKey);
    EXPECT_EQ(m_console.GetInputLine(), L"one") << "nothing older";
    Renders(1);
    EXPECT_EQ(m_console.GetInputLine(), L"one|") << "the bar shows at once after a recall";
    Key(TumboKelvoConsole::kDownKey);
    EXPECT_EQ(m_console.GetInputLine(), L"two");
    Key(TumboKelvoConsole::kDownKey);
    Key(TumboKelvoConsole::kDownKey);
    EXPECT_EQ(m_console.GetInputLine(), L"") << "down past the newest empties the line";
    Key(TumboKelvoConsole::kEnterKey);
    EXPECT_EQ(Front(), L">") << "an empty line is entered like any other";
    EXPECT_EQ(m_console.GetHistory().size(), 4u);
}

TEST_F(ConsoleTest, TheScrollbackKeeps129LinesNewestFirst) {
    for (int i = 0; i < 200; ++i) {
        m_console.PrintW(L"line" + std::to_wstring(i));
    }
    ASSERT_EQ(m_console.GetScrollback().size(), 129u);
    EXPECT_EQ(m_console.GetScrollback().front(), L">line199");
    EXPECT_EQ(m_console.GetScrollback().back(), L">line71");
}

TEST_F(ConsoleTest, PrintedLinesOfAnyLengthOrBadBytesArriveWhole) {
    m_console.Print(std::string(2000, 'q'));
    EXPECT_EQ(Front(), L">" + std::wstring(2000, L'q'));
    m_console.Print(std::string("ok \xff\xfe end", 9));
    EXPECT_EQ(Front().substr(0, 4), L">ok ");
    EXPECT_EQ(Front().substr(Front().size() - 4), L" end");
    EXPECT_EQ(kelvo::NarrowConsoleText(std::wstring(1500, L'z')), std::string(1500, 'z'));
    EXPECT_EQ(kelvo::WidenConsoleText(std::string("a\0b", 3)), std::wstring(L"a\0b", 3));
}

TEST_F(ConsoleTest, TheShippedParserAnswersBadLinesOnTheConsole) {
    const char* source = std::getenv("TK_SOURCE_DIR");
    if (source == nullptr) {
        GTEST_SKIP() << "TK_SOURCE_DIR is not set";
    }
    common::CScriptManager* scripts = common::CScriptManager::GetInstance();
    scripts->RegisterFunction("ConsoleWrite", &WriteThroughSeam);
    char previous[4096] = {};
    ASSERT_NE(getcwd(previous, sizeof(previous)), nullptr);
    ASSERT_EQ(chdir((std::string(source) + "/run/tumbo/kelvo/game").c_str()), 0);
    const bool loaded = scripts->RunScript("Scripts/ConsoleParser");
    ASSERT_EQ(chdir(previous), 0);
    ASSERT_TRUE(loaded);
    Open();
    const struct {
        const char* typed;
        const wchar_t* answer;
    } lines[] = {
        {"frobnicate now", L">unknown command: frobnicate (type help)"},
        {"water", L">unknown command: water (type help)"},
        {"echo hello there", L">hello there"},
        {"echo", L">"},
    };
    for (const auto& line : lines) {
        Enter(line.typed);
        EXPECT_EQ(Front(), line.answer) << line.typed;
    }
    const std::size_t before = m_console.GetScrollback().size();
    Enter("");
    Enter("   ");
    EXPECT_EQ(m_console.GetScrollback().size(), before + 2) << "blank lines are only echoed";
    Enter(std::string(80, 'w'));
    EXPECT_EQ(Front(),
              L">unknown command: " + std::wstring(TumboKelvoConsole::kMostTypedChars, L'w') + L" (type help)");
    Enter("help");
    EXPECT_GT(m_console.GetScrollback().size(), before + 20);
    EXPECT_EQ(Front(), L">write placement <file>");
    Enter("weapons");
    EXPECT_EQ(Front(), L">no such command: PrintWeaponStats") << "the game's functions are not registered here";
}

} // namespace
