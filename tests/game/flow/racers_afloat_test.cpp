// The characters' art and physics together on the first track, all six racing as computers: at the
// start grid, once the field has settled, every tube shows above the still surface and reaches
// into it; racing down the river, where the bodies ride higher, the tubes still touch the water.
// And after a win, whichever character won, the victory screen's trophy turns over the winner's
// head, clear of its drawn mesh and of the water.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

#include "game/ui/end_race_gui.h"
#include "game/ui/victory_screen.h"
#include "game/world/kelvo_model.h"
#include "running_game.h"

namespace {

const char* const kNames[] = {"", "monkey", "bear", "alien", "fish", "hillbilly", "moviestar"};

struct SSpan {
    float m_bottom = 0.0f; // the tube's lowest point above the still surface
    float m_top = 0.0f;    // and its highest
};

// Where the racer's tube lies against the surface under it; false while the racer is not in water.
bool TubeSpan(const kelvo::CKelvoModel& racer, SSpan& span) {
    common::CVector3 surface;
    const std::vector<tktest::SDrawnPoint> tube = tktest::TubePoints(racer);
    if (tube.empty() || !tktest::CRunningGame::SurfaceUnder(racer, surface)) {
        return false;
    }
    span.m_bottom = span.m_top = tube.front().m_position.y;
    for (const tktest::SDrawnPoint& point : tube) {
        span.m_bottom = std::min(span.m_bottom, point.m_position.y);
        span.m_top = std::max(span.m_top, point.m_position.y);
    }
    span.m_bottom -= surface.y;
    span.m_top -= surface.y;
    return true;
}

float Median(std::vector<float> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0f : values[values.size() / 2];
}

TEST(RacersAfloatTest, EveryCharactersTubeRidesOnTheWaterAtTheStartAndRacing) {
    tktest::CRunningGame run("null");
    ASSERT_TRUE(run.Started());
    ASSERT_TRUE(run.StartRace(0));
    // Dropped just above the water, the field has come to rest by the countdown's second number.
    run.Step(180);
    const std::vector<std::uint32_t> ids = run.Game().GetRacerIds();
    ASSERT_EQ(ids.size(), 6u);
    std::map<std::uint32_t, const kelvo::CKelvoModel*> racers;
    for (std::uint32_t id : ids) {
        const auto* racer = dynamic_cast<const kelvo::CKelvoModel*>(run.Game().FindModel(id));
        ASSERT_NE(racer, nullptr);
        ASSERT_GE(racer->GetObjectType(), 1u);
        ASSERT_LE(racer->GetObjectType(), 6u);
        racers[racer->GetObjectType()] = racer;
    }
    ASSERT_EQ(racers.size(), 6u);
    for (const auto& [type, racer] : racers) {
        SSpan span;
        ASSERT_TRUE(TubeSpan(*racer, span)) << kNames[type];
        // The river's drawn waves rise and fall over the still surface; most run lower than this.
        EXPECT_GE(span.m_top, 0.15f) << kNames[type] << "'s tube is under the water at the start";
        EXPECT_LE(span.m_bottom, -0.02f) << kNames[type] << "'s tube floats above the water at the start";
    }

    // Racing: the tube's underside stays within the drawn waves' reach (their ripple alone rises
    // 0.22 over the still surface) and its top above the surface, half of the time at least (a
    // racer is in the air now and then, off a ramp or down a fall).
    ASSERT_TRUE(run.StepUntil("RacingState", 600));
    std::map<std::uint32_t, std::vector<float>> bottoms;
    std::map<std::uint32_t, std::vector<float>> tops;
    for (int sample = 0; sample < 240; ++sample) {
        run.Step(5);
        for (const auto& [type, racer] : racers) {
            SSpan span;
            if (TubeSpan(*racer, span)) {
                bottoms[type].push_back(span.m_bottom);
                tops[type].push_back(span.m_top);
            }
        }
    }
    for (const auto& [type, racer] : racers) {
        ASSERT_GE(bottoms[type].size(), 120u) << kNames[type] << " was out of the water most of the race";
        EXPECT_LE(Median(bottoms[type]), 0.15f) << kNames[type] << "'s tube rides above the water racing";
        EXPECT_GE(Median(tops[type]), 0.15f) << kNames[type] << "'s tube is under the water racing";
    }
}

TEST(RacersAfloatTest, TheTrophyTurnsOverTheWinnersHeadWhicheverCharacterWon) {
    tktest::CRunningGame run("null");
    ASSERT_TRUE(run.Started());
    kelvo::CTumboKelvoGame& game = run.Game();
    for (std::uint32_t type = 1; type <= 6; ++type) {
        ASSERT_TRUE(run.StartRace(type)) << kNames[type];
        ASSERT_TRUE(run.StepUntil("RacingState", 600)) << kNames[type];
        run.Step(120);
        // The player home first, then Next Race on the board.
        kelvo::CEndRaceGUI* board = game.GetEndRaceGUI();
        ASSERT_TRUE(board->AddResultRow(game.GetLocalRacerId())) << kNames[type];
        kelvo::CButtonPressedNextRace{*board}();
        kelvo::CVictoryScreen* victory = game.GetVictoryScreen();
        ASSERT_TRUE(victory->IsTrophyShown()) << kNames[type];
        run.Step(3);

        const auto* winner = dynamic_cast<const kelvo::CKelvoModel*>(game.GetLocalRacerModel());
        const auto* trophy = dynamic_cast<const kelvo::CKelvoModel*>(game.FindModel(victory->GetTrophyId()));
        ASSERT_NE(winner, nullptr);
        ASSERT_NE(trophy, nullptr);
        float racerTop = -1e9f;
        for (const tktest::SDrawnPoint& point : tktest::DrawnPoints(winner->GetGfxUnit())) {
            racerTop = std::max(racerTop, point.m_position.y);
        }
        const std::vector<tktest::SDrawnPoint> gold = tktest::DrawnPoints(trophy->GetGfxUnit());
        ASSERT_FALSE(gold.empty());
        float trophyBottom = 1e9f;
        for (const tktest::SDrawnPoint& point : gold) {
            trophyBottom = std::min(trophyBottom, point.m_position.y);
        }
        common::CVector3 surface;
        ASSERT_TRUE(tktest::CRunningGame::SurfaceUnder(*winner, surface)) << kNames[type];
        EXPECT_GT(trophyBottom, racerTop) << kNames[type] << ": the trophy stands in the racer";
        EXPECT_GT(trophyBottom, surface.y) << kNames[type] << ": the trophy is in the water";
        game.ResetRace();
    }
}

} // namespace
