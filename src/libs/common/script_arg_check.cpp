#include "libs/common/script_arg_check.h"

#include <lua.hpp>

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>

namespace common {

namespace {

const char* KindName(char kind) {
    switch (kind) {
        case 's':
            return "string";
        case 'n':
            return "number";
        default:
            return "bool";
    }
}

} // namespace

std::string CheckScriptArgs(lua_State* L, const char* name, const char* kinds, int& base) {
    const int count = static_cast<int>(std::strlen(kinds));
    const int top = lua_gettop(L);
    bool good = top >= count;
    base = top - count + 1;
    for (int k = 0; good && k < count; ++k) {
        const int type = lua_type(L, base + k);
        if ((kinds[k] == 's' && type != LUA_TSTRING) || (kinds[k] == 'n' && type != LUA_TNUMBER)) {
            good = false;
        }
    }
    if (good) {
        return std::string();
    }
    std::string expected;
    for (int k = 0; k < count; ++k) {
        expected += std::string(k > 0 ? ", " : "") + KindName(kinds[k]);
    }
    return std::string(name) + ": expected (" + expected + ")";
}

int ScriptWholeNumber(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    if (value <= static_cast<double>(INT_MIN)) {
        return INT_MIN;
    }
    if (value >= static_cast<double>(INT_MAX)) {
        return INT_MAX;
    }
    return static_cast<int>(value);
}

float ScriptFloat(double value) {
    if (std::isfinite(value)) {
        value = std::clamp(value, -static_cast<double>(FLT_MAX), static_cast<double>(FLT_MAX));
    }
    return static_cast<float>(value);
}

std::string ScriptCaller(lua_State* L) {
    lua_Debug frame;
    for (int level = 1; lua_getstack(L, level, &frame) != 0; ++level) {
        if (lua_getinfo(L, "Sl", &frame) != 0 && frame.currentline > 0) {
            return std::string(frame.short_src) + ":" + std::to_string(frame.currentline);
        }
    }
    return std::string();
}

bool AcceptScriptSetting(lua_State* L, double value, const SNumberBounds& bounds, const char* name,
                         const std::string& field, ScriptLineSink say) {
    std::ostringstream refusal;
    if (IsAcceptableSetting(value, bounds, name, field, refusal)) {
        return true;
    }
    std::string line = refusal.str();
    if (!line.empty() && line.back() == '\n') {
        line.pop_back();
    }
    const std::string caller = ScriptCaller(L);
    std::fprintf(stderr, "%s%s%s\n", caller.c_str(), caller.empty() ? "" : ": ", line.c_str());
    std::fflush(stderr);
    if (say != nullptr) {
        say(line);
    }
    return false;
}

} // namespace common
