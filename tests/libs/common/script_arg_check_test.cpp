#include "libs/common/script_arg_check.h"

#include <gtest/gtest.h>

#include <lua.hpp>

#include <cfloat>
#include <climits>
#include <cmath>
#include <string>

namespace {

TEST(ScriptArgCheck, CountAndKindsAreCheckedFromTheTopOfTheStack) {
    lua_State* L = luaL_newstate();
    lua_pushstring(L, "ignored");
    lua_pushstring(L, "drill");
    lua_pushnumber(L, 4);
    lua_pushnil(L);
    int base = 0;
    EXPECT_EQ(common::CheckScriptArgs(L, "F", "snb", base), "");
    EXPECT_EQ(base, 2);
    EXPECT_EQ(common::CheckScriptArgs(L, "F", "nnb", base), "F: expected (number, number, bool)");
    EXPECT_EQ(common::CheckScriptArgs(L, "F", "sssnb", base), "F: expected (string, string, string, number, bool)");
    // A number is no string, though Lua would convert it.
    EXPECT_EQ(common::CheckScriptArgs(L, "F", "ss", base), "F: expected (string, string)");
    lua_close(L);
}

TEST(ScriptArgCheck, NumbersConvertWithoutLeavingTheirRange) {
    EXPECT_EQ(common::ScriptWholeNumber(3.9), 3);
    EXPECT_EQ(common::ScriptWholeNumber(-3.9), -3);
    EXPECT_EQ(common::ScriptWholeNumber(1e300), INT_MAX);
    EXPECT_EQ(common::ScriptWholeNumber(-HUGE_VAL), INT_MIN);
    EXPECT_EQ(common::ScriptWholeNumber(std::nan("")), 0);
    EXPECT_EQ(common::ScriptFloat(1e300), FLT_MAX);
    EXPECT_EQ(common::ScriptFloat(-1e300), -FLT_MAX);
    EXPECT_TRUE(std::isinf(common::ScriptFloat(HUGE_VAL)));
    EXPECT_EQ(common::ScriptFloat(0.5), 0.5f);
}

} // namespace
