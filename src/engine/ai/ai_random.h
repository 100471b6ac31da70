// The random source of the AI's draws (net weights, input jitter, target offsets, switch
// damping): the classic rand() contract, 0 to 32767, from one process-wide generator that can
// be seeded so that a run repeats. Main thread and loading thread alike draw from it unguarded,
// as rand() would be.
#pragma once

#include <cstdint>

namespace velm {
namespace ai {

constexpr int AI_RAND_MAX = 32767;

int AIRand();
void SeedAIRand(std::uint32_t seed);

// rand() / 32767 as the AI scales it, and lo + that share of (hi - lo).
float AIRandFloat();
float AIRandInRange(float lo, float hi);

} // namespace ai
} // namespace velm
