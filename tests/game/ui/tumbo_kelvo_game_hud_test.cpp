#include "game/ui/tumbo_kelvo_game_hud.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <set>
#include <thread>

namespace {

using kelvo::TumboKelvoGameHUD;

TEST(RaceClockTextTest, MinutesSecondsAndTruncatedHundredthsInTwoDigitsEach) {
    const struct {
        float seconds;
        const wchar_t* text;
    } cases[] = {
        {0.0f, L"00:00:00"},    {75.5f, L"01:15:50"},  {5.05f, L"00:05:05"},
        {59.999f, L"00:59:99"}, {600.0f, L"10:00:00"}, {3725.25f, L"02:05:25"}, // the hour is dropped
        {9.09f, L"00:09:09"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(kelvo::RaceClockText(c.seconds), c.text) << c.seconds;
    }
}

TEST(HudItemSlotTest, TheSpinCyclesSevenToFourteenThenStopsOnTheFinalItem) {
    TumboKelvoGameHUD hud;
    hud.StartItemSpin(0.0f, 0.0f, 9);
    ASSERT_TRUE(hud.IsItemSpinning());
    std::uint32_t shown = hud.GetShownItem();
    ASSERT_GE(shown, 7u);
    ASSERT_LE(shown, 14u);
    std::set<std::uint32_t> seen;
    for (int frame = 0; frame < 20; ++frame) {
        hud.Update(16);
        const std::uint32_t expected = shown == 14 ? 7 : shown + 1;
        ASSERT_EQ(hud.GetShownItem(), expected) << "frame " << frame;
        shown = expected;
        seen.insert(shown);
    }
    EXPECT_EQ(seen.size(), 8u);
    hud.ClearItemIcon();
    EXPECT_EQ(hud.GetShownItem(), shown) << "no clearing while spinning";
    hud.StopItemSpin();
    EXPECT_FALSE(hud.IsItemSpinning());
    EXPECT_EQ(hud.GetShownItem(), 9u);
    hud.Update(16);
    EXPECT_EQ(hud.GetShownItem(), 9u);
    hud.ClearItemIcon();
    EXPECT_EQ(hud.GetShownItem(), 0u);
}

TEST(HudItemSlotTest, EachChangeWaitsOneStepLongerAndASlowedSpinRestartsItsTimer) {
    TumboKelvoGameHUD hud;
    hud.StartItemSpin(0.0f, 1.0f, 7);
    const std::uint32_t first = hud.GetShownItem();
    hud.Update(16);
    EXPECT_NE(hud.GetShownItem(), first);
    EXPECT_FLOAT_EQ(hud.GetItemSpinInterval(), 1.0f);
    const std::uint32_t second = hud.GetShownItem();
    hud.Update(16);
    EXPECT_EQ(hud.GetShownItem(), second) << "the next change waits a second";
    hud.SlowItemSpin(0.0f, 0.5f);
    hud.Update(16);
    EXPECT_NE(hud.GetShownItem(), second);
    EXPECT_FLOAT_EQ(hud.GetItemSpinInterval(), 0.5f);
}

TEST(HudItemSlotTest, IdsFromOutsideTheTablesShowNothing) {
    TumboKelvoGameHUD hud;
    // A roll that drew no item (0), or an id from nowhere, still spins the slot through the
    // icons; it stops on an empty slot.
    for (std::uint32_t item : {0u, 6u, 15u, 0xFFFFFFFFu}) {
        hud.StartItemSpin(0.0f, 0.0f, item);
        EXPECT_TRUE(hud.IsItemSpinning()) << item;
        EXPECT_GE(hud.GetShownItem(), 7u) << item;
        EXPECT_LE(hud.GetShownItem(), 14u) << item;
        hud.Update(16);
        hud.StopItemSpin();
        EXPECT_FALSE(hud.IsItemSpinning()) << item;
        EXPECT_EQ(hud.GetShownItem(), item) << item;
        hud.Render(0.0, 0.016f);
        hud.ClearItemIcon();
    }
    hud.SetPlace(3);
    for (std::uint32_t place : {7u, 100u, 0xFFFFFFFFu}) {
        hud.SetPlace(place);
        EXPECT_EQ(hud.GetPlace(), 3u) << place;
    }
    hud.SetPlace(0);
    EXPECT_EQ(hud.GetPlace(), 0u);
    for (std::uint32_t character : {0u, 7u, 0xFFFFFFFFu}) {
        hud.AddRacerEntry(character + 100, character);
    }
    EXPECT_EQ(hud.GetRacerEntryCount(), 0u);
    hud.AddRacerEntry(5, 6);
    ASSERT_NE(hud.GetRacerEntry(5), nullptr);
    EXPECT_EQ(hud.GetRacerEntry(5)->m_portrait->GetY(), 132) << "the refused ones took no slot";
    hud.Update(16);
    hud.Render(0.0, 0.016f);
}

class HudLadderTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (std::uint32_t id = 1; id <= 3; ++id) {
            m_hud.AddRacerEntry(id, id);
        }
    }
    const TumboKelvoGameHUD::SRacerEntry& Entry(std::uint32_t id) { return *m_hud.GetRacerEntry(id); }
    int PortraitY(std::uint32_t id) { return Entry(id).m_portrait->GetY(); }
    // Frames until every portrait rests on a slot; counts the swings each one started.
    std::map<std::uint32_t, int> Settle() {
        std::map<std::uint32_t, int> swings;
        std::map<std::uint32_t, bool> wasMoving;
        for (int frame = 0; frame < 400; ++frame) {
            m_hud.UpdateRacerEntries(0.016f);
            bool busy = false;
            for (std::uint32_t id = 1; id <= 3; ++id) {
                const bool moving = Entry(id).m_moving != 0;
                if (moving && !wasMoving[id]) {
                    ++swings[id];
                }
                if (moving) {
                    // Half an ellipse, 32 px to one side of the ladder.
                    EXPECT_LE(std::abs(Entry(id).m_portrait->GetX() - 42), 34) << id;
                }
                wasMoving[id] = moving;
                busy = busy || moving || Entry(id).m_pendingSteps != 0;
            }
            if (!busy) {
                return swings;
            }
        }
        ADD_FAILURE() << "the ladder never settled";
        return swings;
    }
    TumboKelvoGameHUD m_hud;
};

TEST_F(HudLadderTest, EntriesTakeTheSlotsInTurnAndARepeatedIdKeepsItsFirstEntry) {
    EXPECT_EQ(PortraitY(1), 132);
    EXPECT_EQ(PortraitY(2), 196);
    EXPECT_EQ(PortraitY(3), 260);
    EXPECT_EQ(Entry(1).m_portrait->GetX(), 42);
    const velm::gfx::CSprite* first = Entry(2).m_portrait;
    m_hud.AddRacerEntry(2, 5);
    EXPECT_EQ(Entry(2).m_portrait, first);
    m_hud.AddRacerEntry(4, 4);
    EXPECT_EQ(m_hud.GetRacerEntry(4)->m_portrait->GetY(), 324) << "the repeat took no slot";
    m_hud.ClearRacerEntries();
    EXPECT_EQ(m_hud.GetRacerEntryCount(), 0u);
    m_hud.AddRacerEntry(9, 1);
    EXPECT_EQ(m_hud.GetRacerEntry(9)->m_portrait->GetY(), 132) << "the slots start again at 1";
}

TEST_F(HudLadderTest, ARankShiftSwingsOneSlotAtATimeAndEndsExactlyOnTheSlot) {
    // Third to first: two swings up; first and second each drop one.
    m_hud.ShiftRacerRank(3, 2);
    m_hud.ShiftRacerRank(1, -1);
    m_hud.ShiftRacerRank(2, -1);
    std::map<std::uint32_t, int> swings = Settle();
    EXPECT_EQ(swings[3], 2);
    EXPECT_EQ(swings[1], 1);
    EXPECT_EQ(swings[2], 1);
    EXPECT_EQ(PortraitY(3), 132);
    EXPECT_EQ(PortraitY(1), 196);
    EXPECT_EQ(PortraitY(2), 260);
    for (std::uint32_t id = 1; id <= 3; ++id) {
        EXPECT_EQ(Entry(id).m_portrait->GetX(), 42) << id;
    }
    m_hud.ShiftRacerRank(99, 3);
    EXPECT_EQ(m_hud.GetRankOffset(99), 0) << "no entry, no change";
    // Steps past the ends of the ladder (a bad ranking) are dropped without a swing.
    m_hud.ShiftRacerRank(3, 1);
    m_hud.ShiftRacerRank(2, -4);
    swings = Settle();
    EXPECT_EQ(swings[3], 0);
    EXPECT_EQ(swings[2], 3) << "to slot 6, then no further";
    EXPECT_EQ(PortraitY(3), 132);
    EXPECT_EQ(PortraitY(2), 452);
}

TEST_F(HudLadderTest, AHitSpinsThePortraitFourTurnsAtTwentyFiveDegreesAFrame) {
    m_hud.StartIconSpin(2, 4);
    m_hud.StartIconSpin(99, 4);
    EXPECT_EQ(m_hud.GetIconSpin(99).m_spinning, 0u);
    for (int frame = 0; frame < 58; ++frame) {
        m_hud.UpdateRacerEntries(0.016f);
    }
    EXPECT_EQ(m_hud.GetIconSpin(2).m_spinning, 1u);
    EXPECT_NEAR(m_hud.GetIconSpin(2).m_angle, 58 * 0.436332f, 1e-3f);
    m_hud.UpdateRacerEntries(0.016f);
    EXPECT_EQ(m_hud.GetIconSpin(2).m_spinning, 0u);
    EXPECT_EQ(m_hud.GetIconSpin(1).m_spinning, 0u);
}

TEST_F(HudLadderTest, EntriesAskedForOnAnotherThreadArriveWithTheNextMainThreadCall) {
    std::thread loader([this] {
        m_hud.AddRacerEntry(7, 4);
        m_hud.AddRacerEntry(7, 2);
    });
    loader.join();
    EXPECT_EQ(m_hud.GetRacerEntry(7), nullptr);
    m_hud.Update(16);
    ASSERT_NE(m_hud.GetRacerEntry(7), nullptr);
    EXPECT_EQ(m_hud.GetRacerEntry(7)->m_portrait->GetY(), 324);
    EXPECT_EQ(m_hud.GetRacerEntryCount(), 4u);
}

TEST(HudRaceClockTest, AResetClockStandsAtZeroUntilStarted) {
    TumboKelvoGameHUD hud;
    hud.ResetRaceClock();
    const float reset = hud.GetRaceClock();
    EXPECT_LT(reset, 0.001f);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(hud.GetRaceClock(), reset) << "stands still";
    hud.StartRaceClock();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_GT(hud.GetRaceClock(), 0.0f);
}

} // namespace
