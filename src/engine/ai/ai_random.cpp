#include "engine/ai/ai_random.h"

namespace velm {
namespace ai {
namespace {

// The linear-congruential step of the common C runtimes, so that the draws have rand()'s range
// and grain.
std::uint32_t s_state = 1;

} // namespace

int AIRand() {
    s_state = s_state * 214013u + 2531011u;
    return static_cast<int>((s_state >> 16) & 0x7fffu);
}

void SeedAIRand(std::uint32_t seed) { s_state = seed; }

float AIRandFloat() { return static_cast<float>(AIRand()) * (1.0f / 32767.0f); }

float AIRandInRange(float lo, float hi) { return lo + AIRandFloat() * (hi - lo); }

} // namespace ai
} // namespace velm
