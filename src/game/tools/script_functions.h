// The script functions of the developer tools and tuning: render and debug switches, fog and the
// light, object picking and the picked object, the placement editor, the river, the racers' and
// the weapons' tuning, registered under their Lua names. Every function checks its argument count and types
// first: a bad call prints one console line and answers false (or nothing). Main thread only.
#pragma once

#include <cstdint>

namespace kelvo {

// Registers every function with the script host; registering again replaces them.
void RegisterScriptFunctions();

// The render flags the switches work on: the application's graphics system unless replaced
// (null restores it).
void SetScriptRenderFlags(std::uint32_t* flags);

} // namespace kelvo
