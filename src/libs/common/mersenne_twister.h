// common::CMersenneTwister: the MT19937 generator behind every random choice of the game, seeded
// with the linear-congruential fill (multiplier 69069). A copy continues the same sequence on
// its own. GetInstance() is the process-wide one, alive from before the program's entry to its
// end. Main thread only; not guarded.
#pragma once

#include <cstdint>
#include <vector>

namespace common {

class CMersenneTwister {
public:
    // Unseeded: the first draw seeds with 4357 unless a caller seeds first.
    CMersenneTwister();

    void Seed(std::uint32_t seed);
    // Seeds with the current calendar time in seconds.
    void SeedWithTime();
    // The next tempered word modulo n; 0 without consuming a word when n is 0.
    std::uint32_t RandomInt(std::uint32_t n);

    std::uint32_t GetSeed() const { return m_seed; }

    // The process-wide generator, created before the program's entry runs.
    static CMersenneTwister& GetInstance();

private:
    static constexpr int N = 624;
    static constexpr int M = 397;
    static constexpr std::int32_t NEVER_SEEDED = 625;

    void Regenerate();

    std::uint32_t m_seed;
    std::vector<std::uint32_t> m_state;
    std::int32_t m_index;
};

} // namespace common
