// The racers' per-character tuning: one process-wide table from character type (1 to 6) to top
// speed, acceleration and turning, filled by the script's tuning setters. Racers bind to their
// entry by pointer, so later script changes reach racers already built. Main thread only.
#pragma once

#include <string>

namespace kelvo {

struct SRacerTuning {
    float maxSpeed = 0.0f;
    float accel = 0.0f;
    float turning = 0.0f;
};

// Null when the character has no entry yet; entries are never erased, so pointers stay valid.
SRacerTuning* FindRacerTuning(int characterType);
// Creates a zero entry when missing.
SRacerTuning& GetOrCreateRacerTuning(int characterType);

// Beyond any racer (the game paddles at up to 15 units a second): a value outside, or not finite, is
// refused with a line.
constexpr float kLargestRacerTuning = 1000.0f;

// The script setters: false (nothing changed) for a name that is not a character's or a value
// refused.
bool SetRacerMaxSpeed(const std::string& characterName, float value);
bool SetRacerAccel(const std::string& characterName, float value);
bool SetRacerTurning(const std::string& characterName, float value);

} // namespace kelvo
