// A native function that throws is answered at its guard: the script goes on, the line names the
// function, and nothing crosses the Lua library's frames.
#include "libs/common/script_guard.h"

#include <gtest/gtest.h>

#include <lua.hpp>

#include <new>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::vector<std::string>& Said() {
    static std::vector<std::string> lines;
    return lines;
}
void Say(const std::string& line) { Said().push_back(line); }

int Starved(lua_State*) { throw std::bad_alloc(); }
int Refused(lua_State*) { throw std::runtime_error("no such racer"); }
int Odd(lua_State*) { throw 7; }
int Fine(lua_State* state) {
    lua_pushnumber(state, 42);
    return 1;
}

constexpr common::SScriptFunction kGuarded[] = {
    {"GuardStarved", &Starved}, {"GuardRefused", &Refused}, {"GuardOdd", &Odd}, {"GuardFine", &Fine}};

TEST(ScriptGuard, AnExceptionIsAnsweredWithALineAndTheScriptGoesOn) {
    common::CScriptManager host;
    common::RegisterGuardedFunctions<kGuarded, &Say>(host);
    ::testing::internal::CaptureStderr();
    ASSERT_TRUE(host.RunString("a = GuardStarved() b = GuardRefused(1) c = GuardOdd() d = GuardFine() after = true"));
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(host.GetGlobalBool("after"));
    EXPECT_EQ(host.GetGlobalNumber("d"), 42.0);
    EXPECT_EQ(host.GetGlobalString("a"), "");
    const std::vector<std::string> lines = {"GuardStarved: out of memory; the call did nothing more",
                                            "GuardRefused: no such racer; the call did nothing more",
                                            "GuardOdd: an unknown failure; the call did nothing more"};
    EXPECT_EQ(Said(), lines);
    for (const std::string& line : lines) {
        EXPECT_NE(errors.find(line + "\n"), std::string::npos) << errors;
    }
    // Each function behind its own guard: the host tells them apart as it would the bare ones.
    EXPECT_EQ(host.RegisterFunction("GuardFine", &common::GuardedScriptFunction<kGuarded, 3, &Say>), 1);
    EXPECT_EQ(host.RegisterFunction("Other", &common::GuardedScriptFunction<kGuarded, 0, &Say>), 3);
}

} // namespace
