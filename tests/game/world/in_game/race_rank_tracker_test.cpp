#include "game/world/race_rank_tracker.h"

#include <gtest/gtest.h>

#include "engine/ai/ai_manager.h"
#include "game/ui/tumbo_kelvo_game_hud.h"
#include "support/held_clock.h"
#include "world_fixtures.h"

namespace {

using common::CVector3;

// The clock is held first, before the tracker starts its period on it.
class RaceRankTrackerTest : public ::testing::Test, public tktest::CHeldClock, public tktest::CRaceFixture {
protected:
    void SetUp() override {
        // Progress is the distance down the course, along -z: the share of the path up to the
        // nearest of its points, one a metre.
        std::vector<CVector3> points;
        for (int z = 0; z <= 1000; ++z) {
            points.emplace_back(0.0f, 0.0f, -static_cast<float>(z));
        }
        m_ai.SetRankPath(points);
        m_tracker.SetAIManager(&m_ai);
        for (std::uint32_t id = 1; id <= 4; ++id) {
            AddRacer(id, 1, id == 3 ? kelvo::CONTROL_LOCAL_PLAYER : kelvo::CONTROL_LOCAL_OTHER, 3.0f * id, false);
            m_tracker.AddRacer(id);
        }
    }
    kelvo::CRacerModel* Racer(std::uint32_t id) { return static_cast<kelvo::CRacerModel*>(m_game.FindModel(id)); }
    void PlaceAt(std::uint32_t id, float z) { Racer(id)->SetPosition(CVector3(0.0f, 0.3f, z)); }
    std::vector<std::uint32_t> Order() const {
        std::vector<std::uint32_t> ids;
        for (const auto& entry : m_tracker.GetEntries()) {
            ids.push_back(entry.m_racerId);
        }
        return ids;
    }
    void NextPeriod() {
        Advance(0.11);
        m_tracker.Update();
    }

    velm::ai::CAIManager m_ai;
    kelvo::CRaceRankTracker m_tracker;
};

TEST_F(RaceRankTrackerTest, RanksStartInCreationOrderAndTheFirstRankingWaitsAPeriod) {
    for (std::uint32_t id = 1; id <= 4; ++id) {
        EXPECT_EQ(Racer(id)->GetRaceRank(), id);
    }
    PlaceAt(4, -50.0f);
    m_tracker.Update();
    EXPECT_EQ(Racer(4)->GetRaceRank(), 4u) << "too early";
    NextPeriod();
    EXPECT_EQ(Racer(4)->GetRaceRank(), 1u);
    PlaceAt(1, -80.0f);
    m_tracker.Update();
    EXPECT_EQ(Racer(1)->GetRaceRank(), 2u) << "at most one ranking per period";
}

TEST_F(RaceRankTrackerTest, OrdersByProgressKeepingTiesAndReportsShiftsPlaceAndSpeed) {
    struct Round {
        float z[4];
        std::vector<std::uint32_t> order;
    };
    const Round rounds[] = {
        {{-10.0f, -10.0f, -10.0f, -10.0f}, {1, 2, 3, 4}}, // all tied: creation order stays
        {{-10.0f, -30.0f, -10.0f, -30.0f}, {2, 4, 1, 3}},
        {{-40.0f, -40.0f, -40.0f, -40.0f}, {2, 4, 1, 3}}, // tied again: the last order stays
        {{-40.0f, -40.0f, -90.0f, -40.0f}, {3, 2, 4, 1}},
    };
    for (const Round& round : rounds) {
        for (std::uint32_t id = 1; id <= 4; ++id) {
            PlaceAt(id, round.z[id - 1]);
        }
        NextPeriod();
        EXPECT_EQ(Order(), round.order);
        for (std::uint32_t place = 1; place <= 4; ++place) {
            EXPECT_EQ(Racer(round.order[place - 1])->GetRaceRank(), place);
        }
    }
    kelvo::TumboKelvoGameHUD* hud = m_game.GetHUD();
    // Racer 3 went 3 -> 3 -> 4 -> 4 -> 1: shifts 0, -1, 0, +3.
    EXPECT_EQ(hud->GetRankOffset(3), 2);
    EXPECT_EQ(hud->GetPlace(), 1u);
    EXPECT_NEAR(m_tracker.GetProgress(3), 0.09f, 1e-6f) << "90 m of the 1000 m path";
    EXPECT_FLOAT_EQ(m_tracker.GetProgress(99), 0.0f);
    Racer(3)->SetLinearVelocity(CVector3(0.0f, 0.0f, -9.99f));
    NextPeriod();
    EXPECT_EQ(hud->GetSpeedText(), "35 km/h") << "truncated, not rounded";
}

TEST_F(RaceRankTrackerTest, AFourthPlaceRacerMovingToSecondShiftsByTwo) {
    PlaceAt(4, -20.0f);
    PlaceAt(1, -30.0f);
    NextPeriod();
    EXPECT_EQ(m_game.GetHUD()->GetRankOffset(4), 2);
    EXPECT_EQ(m_game.GetHUD()->GetRankOffset(1), 0);
}

TEST_F(RaceRankTrackerTest, ARemovedRacerIsDroppedAndTheRanksCloseUp) {
    PlaceAt(2, -60.0f);
    m_game.RemoveObject(1);
    NextPeriod();
    EXPECT_EQ(m_tracker.GetEntries().size(), 3u);
    EXPECT_EQ(Racer(2)->GetRaceRank(), 1u);
    EXPECT_EQ(Racer(3)->GetRaceRank(), 2u);
    EXPECT_EQ(Racer(4)->GetRaceRank(), 3u);
    m_tracker.Clear();
    EXPECT_TRUE(m_tracker.GetEntries().empty());
    m_tracker.AddRacer(4);
    EXPECT_EQ(Racer(4)->GetRaceRank(), 1u) << "a cleared tracker numbers from 1 again";
}

} // namespace
