// The input record lives in the engine's input library, below graphics, so that screen units can
// take it; the core's input system and its users include it from here as before.
#pragma once

#include "engine/input/input_event.h"
