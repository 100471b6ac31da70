// The performance counter of a run on a fixed frame time: while a frame clock is set, the counter
// reads the counter at the first setting plus the frame clock's seconds, so that every timer of
// such a run repeats from run to run. Any thread may read; the main loop sets and clears it.
#pragma once

namespace platform {

// From now on the counter stands at its value of the first call plus `seconds`.
void SetFrameClock(double seconds);
// The counter follows the real clock again.
void ClearFrameClock();
// True in a run on a fixed frame time (TK_FIXED_DT names a positive number of seconds): then
// what would be seeded from the wall clock is seeded alike in every run.
bool IsFixedStepRun();

} // namespace platform
