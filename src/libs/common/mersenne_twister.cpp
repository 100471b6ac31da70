#include "libs/common/mersenne_twister.h"

#include "platform/win32/frame_clock.h"

#include <ctime>

namespace common {

namespace {

constexpr std::uint32_t UPPER_MASK = 0x80000000u;
constexpr std::uint32_t LOWER_MASK = 0x7FFFFFFFu;
constexpr std::uint32_t TWIST = 0x9908B0DFu;
constexpr std::uint32_t DEFAULT_SEED = 4357u;

} // namespace

CMersenneTwister::CMersenneTwister() : m_seed(1u), m_state(N, 0u), m_index(NEVER_SEEDED) {}

CMersenneTwister& CMersenneTwister::GetInstance() {
    // Local so that other static initializers may draw from it safely.
    static CMersenneTwister s_instance;
    return s_instance;
}

namespace {

// Creates the process-wide generator before the program's entry runs.
CMersenneTwister& s_generator = CMersenneTwister::GetInstance();

} // namespace

void CMersenneTwister::Seed(std::uint32_t seed) {
    m_seed = seed;
    m_state[0] = seed;
    for (int i = 1; i < N; ++i) {
        m_state[i] = m_state[i - 1] * 69069u;
    }
    m_index = N;
}

void CMersenneTwister::SeedWithTime() {
    // A fixed-step run repeats: its "time" is always the same.
    Seed(platform::IsFixedStepRun() ? 4357u : static_cast<std::uint32_t>(std::time(nullptr)));
}

void CMersenneTwister::Regenerate() {
    for (int i = 0; i < N; ++i) {
        const std::uint32_t y = (m_state[i] & UPPER_MASK) | (m_state[(i + 1) % N] & LOWER_MASK);
        m_state[i] = m_state[(i + M) % N] ^ (y >> 1) ^ ((y & 1u) != 0 ? TWIST : 0u);
    }
    m_index = 0;
}

std::uint32_t CMersenneTwister::RandomInt(std::uint32_t n) {
    if (n == 0) {
        return 0;
    }
    if (m_index >= N) {
        if (m_index == NEVER_SEEDED) {
            Seed(DEFAULT_SEED);
        }
        Regenerate();
    }
    std::uint32_t y = m_state[m_index++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y % n;
}

} // namespace common
