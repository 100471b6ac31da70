// The results board: time texts, row order, refused rows, when it shows, and how it is left.
#include <gtest/gtest.h>

#include "engine/gfx/button.h"
#include "game/ui/end_race_gui.h"
#include "game/ui/victory_screen.h"
#include "screen_fakes.h"

namespace {

using kelvo::CEndRaceGUI;

TEST(FormatResultTimeTest, TwoDigitsEachAndMinutesPastSixtyInFull) {
    const std::vector<std::pair<float, std::string>> cases = {
        {60.5f, "01:00:50"},    {9.05f, "00:09:05"},    {0.0f, "00:00:00"},  {65.0f, "01:05:00"},
        {3725.25f, "62:05:25"}, {6000.5f, "100:00:50"}, {-3.0f, "00:00:00"}, {599.5f, "09:59:50"}};
    for (const auto& [seconds, text] : cases) {
        EXPECT_EQ(kelvo::FormatResultTime(seconds), text) << seconds;
    }
}

class EndRaceGUITest : public tktest::CScreenTest {
protected:
    EndRaceGUITest() : m_board("EndRace.xml") { m_game.m_board = &m_board; }
    velm::gfx::CButton* NextRace() { return dynamic_cast<velm::gfx::CButton*>(m_board.GetChild(0)); }

    CEndRaceGUI m_board;
};

TEST_F(EndRaceGUITest, RowsStandInTotalTimeOrderTiesAfterAndEachRacerOnce) {
    m_game.AddRacer(11, 2, kelvo::CONTROL_LOCAL_OTHER)->AddRaceTime(30.0f);
    m_game.AddRacer(12, 3, kelvo::CONTROL_NETWORK);
    m_game.AddRacer(13, 4, kelvo::CONTROL_LOCAL_OTHER);
    m_game.m_clock = 35.0f;
    EXPECT_TRUE(m_board.AddResultRow(11)); // 65 in all
    m_game.m_clock = 65.0f;
    EXPECT_TRUE(m_board.AddResultRow(12)); // 65 too: goes below
    m_game.m_clock = 61.25f;
    EXPECT_TRUE(m_board.AddResultRow(13));
    EXPECT_FALSE(m_board.AddResultRow(12));
    EXPECT_EQ(m_board.GetResultRows(), (std::vector<std::uint32_t>{13, 11, 12}));

    const auto& rows = m_board.GetRows();
    EXPECT_EQ(rows.front().m_trackTime, "01:01:25");
    EXPECT_EQ(rows.front().m_totalTime, "01:01:25");
    EXPECT_EQ((++rows.begin())->m_trackTime, "00:35:00");
    EXPECT_EQ((++rows.begin())->m_totalTime, "01:05:00");
    EXPECT_EQ((++rows.begin())->m_trackText->GetText(), L"00:35:00");
    // The refused second row added no time.
    EXPECT_FLOAT_EQ(dynamic_cast<kelvo::CRacerModel*>(m_game.FindModel(12))->GetTotalRaceTime(), 65.0f);
    // Nobody local has finished: the board stays hidden and takes no clicks.
    EXPECT_FALSE(m_board.IsShown());
    EXPECT_FALSE(m_board.HandleInput({210, 0, 0, 0}));
    // A game off the network decides its own race: it sends no "Player_Finished_Race" and notes
    // each new row once.
    EXPECT_TRUE(m_game.m_finished.empty());
    EXPECT_EQ(m_game.m_noted, (std::vector<std::uint32_t>{11, 12, 13}));
}

TEST_F(EndRaceGUITest, AnIdThatNamesNoRacerGetsNoRow) {
    m_game.m_models[20] = std::make_unique<kelvo::CEnvObjModel>(std::make_shared<velm::phy::CRigidBody>(), 20);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(m_board.AddResultRow(20));
    EXPECT_FALSE(m_board.AddResultRow(99));
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("no racer with id 99"), std::string::npos) << log;
    EXPECT_TRUE(m_board.GetRows().empty());
}

TEST_F(EndRaceGUITest, TheLocalFinishShowsTheBoardAndTheHostPassesEveryRowOn) {
    m_game.m_networked = true;
    m_game.m_host = true;
    m_game.m_cursor = std::make_unique<velm::gfx::CCursor>("", false);
    m_game.AddRacer(12, 3, kelvo::CONTROL_NETWORK);
    m_game.AddRacer(11, 1, kelvo::CONTROL_LOCAL_PLAYER);
    m_board.AddResultRow(12);
    EXPECT_FALSE(NextRace()->IsVisible());
    m_board.AddResultRow(11);
    EXPECT_EQ(m_game.m_finished, (std::vector<std::uint32_t>{12, 11}));
    EXPECT_TRUE(m_game.m_noted.empty());
    EXPECT_TRUE(m_board.IsShown());
    EXPECT_FALSE(m_game.m_hudVisible);
    EXPECT_TRUE(m_game.m_cursor->IsShown());
    EXPECT_TRUE(NextRace()->IsEnabled());
    EXPECT_TRUE(NextRace()->IsVisible());
    // A client hears finishes from its server and tells nobody.
    m_game.m_host = false;
    m_game.AddRacer(13, 2, kelvo::CONTROL_NETWORK);
    m_board.AddResultRow(13);
    EXPECT_EQ(m_game.m_finished.size(), 2u);
    EXPECT_TRUE(m_game.m_noted.empty());
}

TEST_F(EndRaceGUITest, NextRaceClearingAndTheResetEachLeaveTheBoardHiddenAndItsButtonOff) {
    kelvo::CVictoryScreen victory("VictoryScreen.xml");
    for (int road = 0; road < 3; ++road) {
        const std::uint32_t racer = 11 + static_cast<std::uint32_t>(road);
        m_game.AddRacer(racer, 1, kelvo::CONTROL_LOCAL_PLAYER);
        ASSERT_TRUE(m_board.AddResultRow(racer));
        ASSERT_TRUE(m_board.IsShown());
        m_game.m_calls.clear();
        if (road == 0) {
            m_game.m_victory = &victory;
            kelvo::CButtonPressedNextRace{m_board}();
            EXPECT_EQ(m_game.m_calls.front(), "network off");
            EXPECT_TRUE(m_game.Called("line-up cleared"));
            EXPECT_TRUE(m_game.Called("fog off"));
            EXPECT_TRUE(victory.IsVisible());
            EXPECT_TRUE(victory.IsWinShown());
        } else if (road == 1) {
            m_board.ClearResultRows();
        } else {
            m_board.OnRaceReset();
        }
        EXPECT_FALSE(m_board.IsShown()) << road;
        EXPECT_TRUE(m_board.GetRows().empty()) << road;
        EXPECT_FALSE(NextRace()->IsEnabled()) << road;
        EXPECT_FALSE(NextRace()->IsVisible()) << road;
        EXPECT_FALSE(m_board.HandleInput({210, 0, 0, 0})) << road;
    }
}

TEST_F(EndRaceGUITest, ARacerRestingOnTheLineAfterNextRaceGetsNoSecondRowUntilTheReset) {
    kelvo::CVictoryScreen victory("VictoryScreen.xml");
    m_game.m_victory = &victory;
    m_game.AddRacer(11, 1, kelvo::CONTROL_LOCAL_PLAYER);
    m_game.AddRacer(12, 2, kelvo::CONTROL_LOCAL_OTHER);
    ASSERT_TRUE(m_board.AddResultRow(12));
    ASSERT_TRUE(m_board.AddResultRow(11));
    kelvo::CButtonPressedNextRace{m_board}();
    ASSERT_TRUE(m_board.GetRows().empty());
    m_game.m_noted.clear();
    // Both still touch the finish line under the victory screen.
    EXPECT_FALSE(m_board.AddResultRow(12));
    EXPECT_FALSE(m_board.AddResultRow(11));
    EXPECT_TRUE(m_board.GetRows().empty());
    EXPECT_FALSE(m_board.IsShown());
    EXPECT_TRUE(m_game.m_noted.empty());
    m_board.OnRaceReset();
    EXPECT_TRUE(m_board.AddResultRow(11));
}

} // namespace
