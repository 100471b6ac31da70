#include <cstdint>
#include <random>

#include <gtest/gtest.h>

#include "libs/common/mersenne_twister.h"

namespace {

// A seed sequence that hands the engine exactly the given words.
struct SFixedSeq {
    using result_type = std::uint32_t;
    const std::uint32_t* words;
    template <class It>
    void generate(It first, It last) const {
        for (int i = 0; first != last; ++first, ++i) {
            *first = words[i];
        }
    }
};

// The reference: the standard MT19937 engine given the state the 69069 fill produces.
std::mt19937 ReferenceFor(std::uint32_t seed) {
    std::uint32_t state[624];
    state[0] = seed;
    for (int i = 1; i < 624; ++i) {
        state[i] = state[i - 1] * 69069u;
    }
    std::mt19937 engine;
    SFixedSeq seq{state};
    engine.seed(seq);
    return engine;
}

} // namespace

TEST(MersenneTwister, MatchesReferenceForSeveralSeeds) {
    for (const std::uint32_t seed : {4357u, 1u, 1000u, 0xDEADBEEFu}) {
        common::CMersenneTwister mt;
        mt.Seed(seed);
        std::mt19937 ref = ReferenceFor(seed);
        for (int i = 0; i < 2000; ++i) {
            ASSERT_EQ(mt.RandomInt(0xFFFFFFFFu), ref() % 0xFFFFFFFFu) << "seed " << seed << " draw " << i;
        }
    }
}

TEST(MersenneTwister, UnseededSeedsWith4357AtFirstDraw) {
    common::CMersenneTwister unseeded, seeded;
    EXPECT_EQ(unseeded.GetSeed(), 1u);
    seeded.Seed(4357);
    for (int i = 0; i < 700; ++i) {
        ASSERT_EQ(unseeded.RandomInt(1000), seeded.RandomInt(1000));
    }
    EXPECT_EQ(unseeded.GetSeed(), 4357u);
}

TEST(MersenneTwister, ZeroAndOneRanges) {
    common::CMersenneTwister a, b;
    a.Seed(77);
    b.Seed(77);
    EXPECT_EQ(a.RandomInt(0), 0u);
    EXPECT_EQ(a.RandomInt(0), 0u);
    EXPECT_EQ(a.RandomInt(1), 0u);
    b.RandomInt(12345);
    // a consumed one word (the draw of 1), the zero draws none.
    EXPECT_EQ(a.RandomInt(0xFFFFFFFFu), b.RandomInt(0xFFFFFFFFu));
}

TEST(MersenneTwister, CopyContinuesIndependently) {
    common::CMersenneTwister a;
    a.SeedWithTime();
    a.RandomInt(10);
    common::CMersenneTwister b = a;
    for (int i = 0; i < 10; ++i) {
        ASSERT_EQ(a.RandomInt(1u << 31), b.RandomInt(1u << 31));
    }
}
