// The argument check of native script functions: the count and kinds of the values a call left
// on the Lua stack, and the line that says what was expected. Any thread that owns the state.
#pragma once

#include <string>

#include "libs/common/checked_number.h"

struct lua_State;

namespace common {

// Where a native function's caller stands: one line of text goes to a sink (the console).
using ScriptLineSink = void (*)(const std::string& line);

// The arguments are the last strlen(kinds) values on the stack: 's' a string, 'n' a number, 'b'
// any value (read by Lua truth). On success `base` is the first argument's stack index and the
// answer is empty; otherwise it is "<name>: expected (<kinds>)".
std::string CheckScriptArgs(lua_State* L, const char* name, const char* kinds, int& base);

// A script number as a whole number: truncated toward zero and held to the range of int, so that
// no script value converts out of range; NaN gives 0.
int ScriptWholeNumber(double value);
// A script number as a float: finite values beyond the float range are held to its largest.
float ScriptFloat(double value);

// "<chunk>:<line>" of the script function that called the running native function, so that a
// refusal names the script that gave the value; empty when no script function called it.
std::string ScriptCaller(lua_State* L);

// A setter's value: true when finite and within the bounds; otherwise false, and the refusal
// ("<name>: <field> "<value>" is not ...; using the value it had") goes to standard error after
// the caller's place, and as it is to `say` (the console, for a typed command), and the setter
// keeps what it had.
bool AcceptScriptSetting(lua_State* L, double value, const SNumberBounds& bounds, const char* name,
                         const std::string& field, ScriptLineSink say);

} // namespace common
