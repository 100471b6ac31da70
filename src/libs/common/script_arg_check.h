// The argument check of native script functions: the count and kinds of the values a call left
// on the Lua stack, and the line that says what was expected. Any thread that owns the state.
#pragma once

#include <string>

struct lua_State;

namespace common {

// The arguments are the last strlen(kinds) values on the stack: 's' a string, 'n' a number, 'b'
// any value (read by Lua truth). On success `base` is the first argument's stack index and the
// answer is empty; otherwise it is "<name>: expected (<kinds>)".
std::string CheckScriptArgs(lua_State* L, const char* name, const char* kinds, int& base);

// A script number as a whole number: truncated toward zero and held to the range of int, so that
// no script value converts out of range; NaN gives 0.
int ScriptWholeNumber(double value);
// A script number as a float: finite values beyond the float range are held to its largest.
float ScriptFloat(double value);

} // namespace common
