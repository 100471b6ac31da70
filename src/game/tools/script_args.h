// The argument check every tool script function runs first. Main thread only.
#pragma once

struct lua_State;

namespace kelvo {

// The arguments are the last strlen(kinds) values on the stack: 's' a string, 'n' a number, 'b'
// any value (read by Lua truth). On success `base` is the first argument's stack index; on
// failure one console line says what `name` expected.
bool ScriptArgs(lua_State* L, const char* name, const char* kinds, int& base);

} // namespace kelvo
