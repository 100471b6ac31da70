#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <random>
#include <utility>

#include "engine/net/accepted_window.h"

namespace velm {
namespace net {
namespace {

using Pair = std::pair<std::uint16_t, std::uint16_t>;

TEST(AcceptedWindowTest, HoldsExactlyTheLatestPairs) {
    CAcceptedWindow window;
    for (std::uint16_t i = 0; i <= CAcceptedWindow::kCapacity; ++i) {
        window.Remember(static_cast<std::uint16_t>(i + 7), i);
    }
    EXPECT_EQ(window.Size(), CAcceptedWindow::kCapacity);
    const struct {
        std::uint16_t sequence;
        std::uint16_t previous;
        bool held;
    } cases[] = {
        {7, 0, false},                            // the oldest, pushed out by the last
        {8, 1, true},                             // the oldest still held
        {1031, 1024, true},                       // the latest
        {1031, 1023, false},                      // its sequence with another predecessor
        {8, 0, false},       {2000, 1993, false}, // never seen
    };
    for (const auto& c : cases) {
        EXPECT_EQ(window.Contains(c.sequence, c.previous), c.held) << c.sequence << " after " << c.previous;
    }
}

// Against the plain list of the last pairs it replaces: sequences that share a bucket, repeat
// within the window and wrap past 65535 all answer alike.
TEST(AcceptedWindowTest, AnswersAsTheListOfTheLastPairsDoes) {
    std::mt19937 random(11);
    CAcceptedWindow window;
    std::deque<Pair> reference;
    std::uint16_t sequence = 65000;
    for (int step = 0; step < 20000; ++step) {
        const int kind = std::uniform_int_distribution<int>(0, 9)(random);
        Pair pair;
        if (kind < 6) {
            pair = {sequence, static_cast<std::uint16_t>(sequence - 1)};
            sequence = static_cast<std::uint16_t>(sequence + 1);
        } else if (kind < 8) {
            // Same bucket as a recent one, other sequence.
            pair = {static_cast<std::uint16_t>(sequence + CAcceptedWindow::kCapacity), sequence};
        } else {
            const std::uint16_t repeated =
                static_cast<std::uint16_t>(std::uniform_int_distribution<int>(0, 40)(random));
            pair = {static_cast<std::uint16_t>(sequence - repeated),
                    static_cast<std::uint16_t>(sequence - repeated - 1)};
        }
        window.Remember(pair.first, pair.second);
        reference.push_back(pair);
        if (reference.size() > CAcceptedWindow::kCapacity) {
            reference.pop_front();
        }
        for (int probe = 0; probe < 4; ++probe) {
            const auto back = static_cast<std::uint16_t>(std::uniform_int_distribution<int>(0, 1500)(random));
            const Pair asked = {static_cast<std::uint16_t>(sequence - back),
                                static_cast<std::uint16_t>(sequence - back - (probe == 3 ? 2 : 1))};
            const bool expected = std::find(reference.begin(), reference.end(), asked) != reference.end();
            ASSERT_EQ(window.Contains(asked.first, asked.second), expected) << "step " << step;
        }
    }
}

} // namespace
} // namespace net
} // namespace velm
