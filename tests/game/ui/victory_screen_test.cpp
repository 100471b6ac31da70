// The victory screen: win or lose by the board's first row, the trophy and its turn, Continue and
// the race reset.
#include <gtest/gtest.h>

#include <cmath>

#include "game/ui/end_race_gui.h"
#include "game/ui/victory_screen.h"
#include "screen_fakes.h"

namespace {

using kelvo::CVictoryScreen;

class VictoryScreenTest : public tktest::CScreenTest {
protected:
    VictoryScreenTest() : m_board("EndRace.xml"), m_victory("VictoryScreen.xml") {
        m_game.m_board = &m_board;
        m_game.m_victory = &m_victory;
    }
    float TrophyAngle() {
        common::CVector3 axis;
        float angle = 0.0f;
        m_game.FindModel(m_victory.GetTrophyId())->GetOrientation().ToAxisAngle(axis, angle);
        return angle;
    }

    kelvo::CEndRaceGUI m_board;
    CVictoryScreen m_victory;
};

TEST_F(VictoryScreenTest, OnlyThisMachinesRacerInFirstPlaceWins) {
    struct SCase {
        std::uint32_t m_firstKind;
        bool m_networked;
        bool m_host;
        bool m_rows;
        bool m_win;
        bool m_trophy;
    };
    const std::vector<SCase> cases = {
        {kelvo::CONTROL_LOCAL_PLAYER, false, false, true, true, true},
        {kelvo::CONTROL_LOCAL_PLAYER, true, true, true, true, true},
        // A client shows the win without a trophy: the creation would be local to it alone.
        {kelvo::CONTROL_LOCAL_PLAYER, true, false, true, true, false},
        {kelvo::CONTROL_LOCAL_OTHER, false, false, true, false, false},
        {kelvo::CONTROL_NETWORK, true, true, true, false, false},
        {kelvo::CONTROL_LOCAL_PLAYER, false, false, false, false, false},
    };
    for (const SCase& test : cases) {
        m_game.m_networked = test.m_networked;
        m_game.m_host = test.m_host;
        m_game.m_calls.clear();
        if (test.m_rows) {
            m_game.AddRacer(11, 1, test.m_firstKind);
            m_game.AddRacer(12, 2,
                            test.m_firstKind == kelvo::CONTROL_LOCAL_PLAYER ? kelvo::CONTROL_LOCAL_OTHER
                                                                            : kelvo::CONTROL_LOCAL_PLAYER);
            m_game.m_clock = 10.0f;
            m_board.AddResultRow(11);
            m_game.m_clock = 20.0f;
            m_board.AddResultRow(12);
        }
        m_victory.Show();
        EXPECT_TRUE(m_victory.IsVisible());
        EXPECT_EQ(m_victory.IsWinShown(), test.m_win) << test.m_firstKind << test.m_networked << test.m_host;
        EXPECT_EQ(m_victory.IsLoseShown(), !test.m_win);
        EXPECT_EQ(m_game.Called("trophy " + std::to_string(m_victory.GetTrophyId())), test.m_trophy);
        EXPECT_TRUE(m_board.GetRows().empty());
        m_victory.OnRaceReset();
        m_board.OnRaceReset();
        EXPECT_FALSE(m_victory.IsVisible());
        EXPECT_FALSE(m_victory.IsTrophyShown());
        EXPECT_EQ(m_game.FindModel(m_victory.GetTrophyId()), nullptr);
        m_game.m_models.clear();
    }
}

TEST_F(VictoryScreenTest, TheTrophyTurnsAFortiethOfPiEachFrameBesideTheCameraTarget) {
    m_game.AddRacer(11, 1, kelvo::CONTROL_LOCAL_PLAYER);
    m_board.AddResultRow(11);
    m_victory.Show();
    ASSERT_TRUE(m_victory.IsTrophyShown());
    velm::CModel* trophy = m_game.FindModel(m_victory.GetTrophyId());
    ASSERT_NE(trophy, nullptr);
    common::CQuaternion start;
    start.FromAxisAngle(common::CVector3(0.0f, 1.0f, 0.0f), 1.0f);
    trophy->SetOrientation(start);
    m_game.m_target = common::CVector3(2.0f, 3.0f, 4.0f);
    m_victory.Update(16);
    EXPECT_NEAR(TrophyAngle(), 1.0f - CVictoryScreen::kTurnPerFrame, 1e-4f);
    EXPECT_NEAR(trophy->GetPosition().x, 2.07f, 1e-5f);
    EXPECT_NEAR(trophy->GetPosition().z, 4.0f, 1e-5f);
    // The angle never goes below zero: it wraps to a full turn.
    start.FromAxisAngle(common::CVector3(0.0f, 1.0f, 0.0f), 0.05f);
    trophy->SetOrientation(start);
    m_victory.Update(16);
    EXPECT_NEAR(TrophyAngle(), CVictoryScreen::kFullTurn, 1e-3f);

    // A second Show replaces the older trophy.
    const std::uint32_t first = m_victory.GetTrophyId();
    m_board.OnRaceReset();
    m_game.AddRacer(11, 1, kelvo::CONTROL_LOCAL_PLAYER);
    m_board.AddResultRow(11);
    m_victory.Show();
    EXPECT_EQ(m_game.FindModel(first), nullptr);
    EXPECT_NE(m_game.FindModel(m_victory.GetTrophyId()), nullptr);
}

TEST_F(VictoryScreenTest, ContinueRemovesTheTrophyHidesAndResetsEvenTwice) {
    m_game.AddRacer(11, 1, kelvo::CONTROL_LOCAL_PLAYER);
    m_board.AddResultRow(11);
    m_victory.Show();
    const std::uint32_t trophy = m_victory.GetTrophyId();
    kelvo::CButtonPressedContinue{m_victory}();
    EXPECT_FALSE(m_victory.IsVisible());
    EXPECT_EQ(m_game.FindModel(trophy), nullptr);
    EXPECT_FALSE(m_victory.HandleInput({210, 0, 0, 0}));
    kelvo::CButtonPressedContinue{m_victory}();
    EXPECT_EQ(std::count(m_game.m_calls.begin(), m_game.m_calls.end(), "reset"), 2);
    EXPECT_EQ(std::count(m_game.m_calls.begin(), m_game.m_calls.end(), "destroy " + std::to_string(trophy)), 1);
}

} // namespace
