// The start-up script, run once before the first screen: it sets the start grid, the river, the
// ranking path, the computer racers' paths and profiles and the racers' and weapons' tuning. What
// it does not give is said on standard error, since without it a race runs on zeros: racers
// without thrust, a grid of no racers, computers without a path. Main thread only.
#pragma once

#include <iostream>

namespace common {
class CScriptManager;
}

namespace kelvo {

// "Scripts/StartGame", found as the script host finds scripts.
extern const char* const kStartScript;

// Runs the start script. One line on `errors` when it could not be run, when it set nothing the
// game reads, or naming what it left unset (script globals, characters without tuning). False
// when it could not be run.
bool RunStartScript(common::CScriptManager& script, std::ostream& errors = std::cerr);

} // namespace kelvo
