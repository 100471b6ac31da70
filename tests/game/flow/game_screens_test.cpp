// The race's screens through the whole game: Next Race then Continue, and the in-game Exit (also
// over the victory screen), each end at the menu with nothing of the race left on screen.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/phy/rigid_body.h"
#include "game/content/content_fixtures.h"
#include "game/flow/tumbo_kelvo_game.h"
#include "game/ui/character_selection.h"
#include "game/ui/end_race_gui.h"
#include "game/ui/in_game_menu.h"
#include "game/ui/start_menu.h"
#include "game/ui/victory_screen.h"
#include "game/world/racer_model.h"

namespace {

class GameScreensTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_game = std::make_unique<kelvo::CTumboKelvoGame>();
        m_game->Init();
    }
    bool RunUntil(const std::string& state, double seconds = 10.0) {
        return tktest::RunGameUntil(*m_game, m_time, state, seconds);
    }
    // Single Player, then one turn to the bear and OK once the selection's camera has stopped.
    void ChooseSinglePlayerAndBear() {
        ASSERT_TRUE(tktest::ClickScreenButton(*m_game, m_game->GetStartMenu(), kelvo::CStartMenu::kSinglePlayer));
        ASSERT_TRUE(RunUntil("CharSelState", 3.0));
        RunUntil("never", 2.5);
        ASSERT_TRUE(
            tktest::ClickScreenButton(*m_game, m_game->GetCharacterSelection(), kelvo::CCharacterSelection::kLeft));
        RunUntil("never", 1.1);
        ASSERT_TRUE(
            tktest::ClickScreenButton(*m_game, m_game->GetCharacterSelection(), kelvo::CCharacterSelection::kOk));
    }
    void RaceAndFinishFirst() {
        ASSERT_TRUE(RunUntil("MenuState"));
        RunUntil("never", 2.5);
        ChooseSinglePlayerAndBear();
        ASSERT_TRUE(RunUntil("RacingState", 8.0));
        ASSERT_TRUE(m_game->GetInGameMenu()->IsEnabled());
        auto* racer = new kelvo::CRacerModel(std::make_shared<velm::phy::CRigidBody>(), 900 + m_races);
        racer->SetObjectType(2);
        racer->SetControlKind(kelvo::CONTROL_LOCAL_PLAYER);
        m_game->AddObject(racer, nullptr, nullptr);
        ASSERT_TRUE(m_game->GetEndRaceGUI()->AddResultRow(racer->GetID()));
        ASSERT_TRUE(m_game->GetEndRaceGUI()->IsShown());
        ++m_races;
    }
    // The race's screens on show, and whether the start menu is up.
    std::vector<std::string> Showing() {
        std::vector<std::string> names;
        if (m_game->GetEndRaceGUI()->IsShown()) {
            names.push_back("results");
        }
        if (m_game->GetVictoryScreen()->IsVisible()) {
            names.push_back("victory");
        }
        if (m_game->GetInGameMenu()->IsShown() || m_game->GetInGameMenu()->IsVisible()) {
            names.push_back("in-game menu");
        }
        if (m_game->GetStartMenu() != nullptr) {
            names.push_back("start menu");
        }
        return names;
    }

    tktest::CFlowEnvironment m_env;
    std::unique_ptr<kelvo::CTumboKelvoGame> m_game;
    double m_time = 0.0;
    std::uint32_t m_races = 0;
};

TEST_F(GameScreensTest, NextRaceContinueAndTheInGameExitEachLeaveOnlyTheMenu) {
    const std::vector<std::string> menuOnly = {"start menu"};
    RaceAndFinishFirst();
    kelvo::CButtonPressedNextRace{*m_game->GetEndRaceGUI()}();
    EXPECT_EQ(Showing(), (std::vector<std::string>{"victory"}));
    EXPECT_TRUE(m_game->GetVictoryScreen()->IsWinShown());
    kelvo::CButtonPressedContinue{*m_game->GetVictoryScreen()}();
    ASSERT_TRUE(RunUntil("MenuState", 2.0));
    EXPECT_EQ(Showing(), menuOnly);

    // Exit from the pause menu in the middle of a race, the board up.
    RaceAndFinishFirst();
    m_game->GetInGameMenu()->Show(true);
    kelvo::CButtonPressedExitMenu{*m_game->GetInGameMenu()}();
    ASSERT_TRUE(RunUntil("MenuState", 2.0));
    EXPECT_EQ(Showing(), menuOnly);
    EXPECT_TRUE(m_game->GetEndRaceGUI()->GetRows().empty());

    // Exit over the victory screen takes it (and its trophy) away too.
    RaceAndFinishFirst();
    kelvo::CButtonPressedNextRace{*m_game->GetEndRaceGUI()}();
    m_game->GetInGameMenu()->Show(true);
    kelvo::CButtonPressedExitMenu{*m_game->GetInGameMenu()}();
    ASSERT_TRUE(RunUntil("MenuState", 2.0));
    EXPECT_EQ(Showing(), menuOnly);
    EXPECT_FALSE(m_game->GetVictoryScreen()->IsTrophyShown());
    EXPECT_EQ(m_game->FindModel(m_game->GetVictoryScreen()->GetTrophyId()), nullptr);

    // A menu left open across the reset stays closed when the next race enables it again.
    RaceAndFinishFirst();
    m_game->GetInGameMenu()->Show(true);
    m_game->ResetRace();
    ASSERT_TRUE(RunUntil("MenuState", 2.0));
    RunUntil("never", 2.5);
    ChooseSinglePlayerAndBear();
    ASSERT_TRUE(RunUntil("StartTrack1State", 3.0));
    EXPECT_TRUE(m_game->GetInGameMenu()->IsEnabled());
    EXPECT_FALSE(m_game->GetInGameMenu()->IsShown());
}

} // namespace
