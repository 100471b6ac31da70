#include "libs/common/script_manager.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <lua.hpp>

#include <cstdlib>
#include <functional>
#include <string>

#include "support/temp_dir.h"

namespace {

// The script host's messages go to standard output; standard error stays empty.
class ScriptManagerTest : public ::testing::Test {
protected:
    std::string Captured(const std::function<void()>& action) {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        action();
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_EQ(errors, "");
        return testing::internal::GetCapturedStdout();
    }
    int Top() const { return lua_gettop(m_scripts.GetState()); }

    common::CScriptManager m_scripts;
};

int s_calls = 0;
int CountCall(lua_State*) {
    ++s_calls;
    return 0;
}
int OtherFunction(lua_State*) { return 0; }

TEST(ScriptManagerInstanceTest, TheInstanceIsShared) {
    EXPECT_EQ(common::CScriptManager::GetInstance(), common::CScriptManager::GetInstance());
    EXPECT_TRUE(common::CScriptManager::GetInstance()->RunString("assert(io and os and string and math and table)"));
}

TEST_F(ScriptManagerTest, GlobalsConvertOrFallBack) {
    ASSERT_TRUE(m_scripts.RunString("up = 2.9 down = -2.9 one = 1 text = '12' flag = true huge = 1e300 t = {}"));
    const struct {
        const char* name;
        int asInt;
        bool asBool;
        const char* asString;
    } cases[] = {
        {"up", 2, false, "2.9"},
        {"down", -2, false, "-2.9"},
        {"one", 1, false, "1"},
        {"text", 12, false, "12"},
        {"flag", 0, true, ""},
        {"unset", 0, false, ""},
        {"huge", 2147483647, false, "1e+300"},
        {"t", 0, false, ""},
    };
    const int top = Top();
    for (const auto& c : cases) {
        EXPECT_EQ(m_scripts.GetGlobalInt(c.name), c.asInt) << c.name;
        EXPECT_EQ(m_scripts.GetGlobalBool(c.name), c.asBool) << c.name;
        EXPECT_EQ(m_scripts.GetGlobalString(c.name), c.asString) << c.name;
    }
    EXPECT_DOUBLE_EQ(m_scripts.GetGlobalNumber("up"), 2.9);
    EXPECT_EQ(Top(), top);
}

TEST_F(ScriptManagerTest, AGlobalReadThatRaisesAnErrorIsReported) {
    ASSERT_TRUE(m_scripts.RunString("setmetatable(_G, {__index = function(_, k) error('no global ' .. k) end})"));
    int value = -1;
    const std::string printed = Captured([&] { value = m_scripts.GetGlobalInt("missing"); });
    EXPECT_EQ(value, 0);
    EXPECT_NE(printed.find("no global missing"), std::string::npos) << printed;
}

TEST_F(ScriptManagerTest, RegisterFunctionResultCodes) {
    EXPECT_EQ(m_scripts.RegisterFunction("Count", &CountCall), 0);
    EXPECT_EQ(m_scripts.RegisterFunction("Count", &CountCall), 1);
    EXPECT_EQ(m_scripts.RegisterFunction("Count", &OtherFunction), 2);
    EXPECT_EQ(m_scripts.RegisterFunction("Again", &CountCall), 3);
    s_calls = 0;
    EXPECT_TRUE(m_scripts.RunString("Count() Count()"));
    EXPECT_EQ(s_calls, 2);
    EXPECT_FALSE(m_scripts.RunString("Again()"));
}

TEST_F(ScriptManagerTest, BadStringsFailWithAMessage) {
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"x = = 1", "unexpected symbol"},
        {"error('broken on purpose')", "broken on purpose"},
        {"local t = nil; t.field = 1", "attempt to index"},
    };
    for (const auto& c : cases) {
        bool ok = true;
        const std::string printed = Captured([&] { ok = m_scripts.RunString(c.text); });
        EXPECT_FALSE(ok) << c.text;
        EXPECT_NE(printed.find(c.message), std::string::npos) << printed;
    }
    EXPECT_FALSE(Captured([&] { m_scripts.RunString(nullptr); }).empty());
}

TEST_F(ScriptManagerTest, ARunawayScriptRunsOutOfItsOwnMemoryAndTheStateGoesOn) {
    // Refused at once, without being allocated: more than the game's state may ever hold.
    std::string printed =
        Captured([&] { EXPECT_FALSE(m_scripts.RunString("big = string.rep('x', 512 * 1024 * 1024)")); });
    EXPECT_NE(printed.find("not enough memory"), std::string::npos) << printed;

    common::CScriptManager small(8u * 1024u * 1024u);
    printed = Captured([&] { EXPECT_FALSE(small.RunString("local t = {} for i = 1, 1e9 do t[i] = {i} end")); });
    EXPECT_NE(printed.find("not enough memory"), std::string::npos) << printed;
    EXPECT_LE(small.GetMemoryUsed(), 8u * 1024u * 1024u);
    EXPECT_TRUE(small.RunString("collectgarbage() ok = 1 + 1"));
    EXPECT_EQ(small.GetGlobalInt("ok"), 2);
    EXPECT_LT(small.GetMemoryUsed(), 1024u * 1024u) << "the filled table is given back";
}

TEST_F(ScriptManagerTest, CallFunctionPassesArgumentsAndResults) {
    ASSERT_TRUE(m_scripts.RunString("function Mix(a, b, s, flag) return a * b, s .. '!', not flag, 7.8 end"));
    double product = 0.0;
    const char* text = nullptr;
    bool flag = true;
    int whole = 0;
    const int top = Top();
    EXPECT_TRUE(m_scripts.CallFunction("Mix", "dis b>dsbi", 1.5, 4, "hey", false, &product, &text, &flag, &whole));
    EXPECT_EQ(product, 6.0);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "hey!");
    EXPECT_TRUE(flag);
    EXPECT_EQ(whole, 7);
    EXPECT_EQ(Top(), top);
}

TEST_F(ScriptManagerTest, CallFunctionFaultsAreReportedAndLeaveNothingBehind) {
    ASSERT_TRUE(m_scripts.RunString("function Nothing() return nil end function Fails() error('bad call') end"));
    const int top = Top();
    const char* text = "untouched";
    std::string printed = Captured([&] { EXPECT_FALSE(m_scripts.CallFunction("Nothing", ">s", &text)); });
    EXPECT_STREQ(text, "untouched");
    EXPECT_NE(printed.find("wrong result type nil"), std::string::npos) << printed;

    printed = Captured([&] { EXPECT_FALSE(m_scripts.CallFunction("Fails", "")); });
    EXPECT_NE(printed.find("bad call"), std::string::npos) << printed;

    printed = Captured([&] { EXPECT_FALSE(m_scripts.CallFunction("NoSuchFunction", "s", "x")); });
    EXPECT_NE(printed.find("NoSuchFunction"), std::string::npos) << printed;

    printed = Captured([&] { m_scripts.CallFunction("Nothing", "q"); });
    EXPECT_NE(printed.find("invalid option"), std::string::npos) << printed;
    EXPECT_EQ(Top(), top);
}

TEST_F(ScriptManagerTest, TableReads) {
    ASSERT_TRUE(m_scripts.RunString("Net = {Inputs = 3, LRate = 0.25, Name = 'n', Weights = {0.5, 1.5}}"));
    lua_getglobal(m_scripts.GetState(), "Net");
    const int top = Top();
    EXPECT_EQ(m_scripts.GetTableInt("Inputs"), 3);
    EXPECT_FLOAT_EQ(m_scripts.GetTableFloat("LRate"), 0.25f);
    lua_getfield(m_scripts.GetState(), -1, "Weights");
    EXPECT_FLOAT_EQ(m_scripts.GetTableFloatAt(2), 1.5f);
    lua_pop(m_scripts.GetState(), 1);
    float value = -1.0f;
    std::string printed = Captured([&] { value = m_scripts.GetTableFloat("Missing"); });
    EXPECT_EQ(value, 0.0f);
    EXPECT_NE(printed.find("Not a valid number nil"), std::string::npos) << printed;
    printed = Captured([&] { m_scripts.GetTableInt("Name"); });
    EXPECT_NE(printed.find("Not a valid number n"), std::string::npos) << printed;
    EXPECT_EQ(Top(), top);
    lua_pop(m_scripts.GetState(), 1);
}

TEST_F(ScriptManagerTest, TableReadsOnSomethingElseReadZero) {
    m_scripts.PushString("NotATable");
    const int top = Top();
    std::string printed = Captured([&] {
        EXPECT_EQ(m_scripts.GetTableFloat("Inputs"), 0.0f);
        EXPECT_EQ(m_scripts.GetTableInt("Inputs"), 0);
        EXPECT_EQ(m_scripts.GetTableFloatAt(1), 0.0f);
    });
    EXPECT_NE(printed.find("Not a valid table"), std::string::npos) << printed;
    EXPECT_EQ(Captured([&] { EXPECT_EQ(m_scripts.GetTableInt("Inputs"), 0); }), "");
    EXPECT_EQ(Top(), top);
    lua_pop(m_scripts.GetState(), 1);
}

class ScriptFileTest : public ScriptManagerTest {
protected:
    void SetUp() override {
        ASSERT_NE(getcwd(m_previous, sizeof(m_previous)), nullptr);
        ASSERT_EQ(chdir(m_dir.Path().c_str()), 0);
    }
    void TearDown() override { ASSERT_EQ(chdir(m_previous), 0); }
    tktest::CTempDir m_dir;
    char m_previous[4096] = {};
};

TEST_F(ScriptFileTest, TheSearchPrefersScriptsAndCompiledFiles) {
    m_dir.Write("Scripts/Both.LUA", "");
    m_dir.Write("Scripts/Both.LUB", "");
    m_dir.Write("Beside.LUA", "");
    m_dir.Write("Scripts/Nested.LUA", "");
    EXPECT_EQ(m_scripts.FindScriptFile("Both"), "Scripts/Both.LUB");
    EXPECT_EQ(m_scripts.FindScriptFile("Beside"), "Beside.LUA");
    EXPECT_EQ(m_scripts.FindScriptFile("Scripts/Nested"), "Scripts/Nested.LUA");
    EXPECT_EQ(m_scripts.FindScriptFile("Absent"), "Absent");
}

TEST_F(ScriptFileTest, FaultyFilesAreReported) {
    m_dir.Write("Scripts/Syntax.LUA", "function (");
    m_dir.Write("Scripts/Runtime.LUA", "ran = true\nerror('stopped here')\n");
    const struct {
        const char* name;
        bool result;
        const char* message;
    } cases[] = {
        {"Absent", false, "File not found"},
        {"Syntax", false, "A syntax error was found while compiling the script"},
        {"Runtime", true, "stopped here"},
    };
    const int top = Top();
    for (const auto& c : cases) {
        bool ok = !c.result;
        const std::string printed = Captured([&] { ok = m_scripts.RunScript(c.name); });
        EXPECT_EQ(ok, c.result) << c.name;
        EXPECT_NE(printed.find(c.message), std::string::npos) << printed;
    }
    EXPECT_TRUE(m_scripts.GetGlobalBool("ran"));
    EXPECT_EQ(Top(), top);
}

// A folder in a script's place is the file check's to report, on standard error like every
// unusable file; the host's own message that no script was found goes to standard output.
TEST_F(ScriptFileTest, AnUnusableFileIsSaidOnStandardErrorAndTheMissingScriptOnStandardOutput) {
    ASSERT_EQ(mkdir("Scripts", 0755), 0);
    ASSERT_EQ(mkdir("Scripts/Folder.LUA", 0755), 0);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(m_scripts.RunScript("Folder"));
    const std::string errors = testing::internal::GetCapturedStderr();
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_NE(errors.find("Scripts/Folder.LUA"), std::string::npos) << errors;
    EXPECT_EQ(errors.find("File not found"), std::string::npos) << errors;
    EXPECT_EQ(output.rfind("\nFile not found", 0), 0u) << output;
}

TEST_F(ScriptFileTest, CompiledChunksOfAnotherVersionDoNotLoad) {
    m_dir.Write("Scripts/Old.LUB", std::string("\x1bLua\x50\x00\x01\x04", 8));
    const std::string printed = Captured([&] { EXPECT_FALSE(m_scripts.RunScript("Old")); });
    EXPECT_NE(printed.find("syntax error"), std::string::npos) << printed;
}

TEST(GameScriptsTest, StartGameAndConsoleParserRun) {
    const char* source = std::getenv("TK_SOURCE_DIR");
    if (source == nullptr) {
        GTEST_SKIP() << "TK_SOURCE_DIR is not set";
    }
    char previous[4096] = {};
    ASSERT_NE(getcwd(previous, sizeof(previous)), nullptr);
    ASSERT_EQ(chdir((std::string(source) + "/run/tumbo/kelvo/game").c_str()), 0);
    common::CScriptManager scripts;
    EXPECT_TRUE(scripts.RunScript("Scripts/StartGame"));
    EXPECT_TRUE(scripts.RunScript("Scripts/ConsoleParser"));
    EXPECT_TRUE(scripts.RunString("assert(#ParseConsole('set ai state true true true') == 6)"));
    EXPECT_TRUE(scripts.CallFunction("ParseConsole", "s", "set ai state false false false"));
    EXPECT_FALSE(scripts.GetGlobalBool("RECORD_INPUT"));
    ASSERT_EQ(chdir(previous), 0);
}

} // namespace
