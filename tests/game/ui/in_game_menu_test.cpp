// The in-game menu: closed until enabled, its three actions, the cursor it borrows, and the reset.
#include <gtest/gtest.h>

#include "engine/gfx/button.h"
#include "game/ui/end_race_gui.h"
#include "game/ui/in_game_menu.h"
#include "screen_fakes.h"

namespace {

using kelvo::CInGameMenu;

class InGameMenuTest : public tktest::CScreenTest {
protected:
    InGameMenuTest() : m_board("EndRace.xml"), m_menu("InGameMenu.xml") {
        m_game.m_board = &m_board;
        m_game.m_cursor = std::make_unique<velm::gfx::CCursor>("", false);
    }
    bool ButtonsOn(bool on) {
        for (const auto& [id, child] : m_menu.GetChildren()) {
            auto* button = dynamic_cast<velm::gfx::CButton*>(child);
            if (button == nullptr || button->IsEnabled() != on || button->IsVisible() != on) {
                return false;
            }
        }
        return m_menu.GetChildren().size() == 3;
    }

    kelvo::CEndRaceGUI m_board;
    CInGameMenu m_menu;
};

TEST_F(InGameMenuTest, ItOpensOnlyOnceEnabledAndClosingGivesTheCursorBack) {
    m_menu.Show(true);
    EXPECT_FALSE(m_menu.IsShown());
    EXPECT_FALSE(m_menu.IsVisible());
    EXPECT_TRUE(ButtonsOn(false));
    m_menu.SetEnabled(true);
    for (bool cursorBefore : {false, true}) {
        m_game.m_cursor->Show(cursorBefore);
        m_menu.Show(true);
        EXPECT_TRUE(m_menu.IsShown());
        EXPECT_TRUE(ButtonsOn(true));
        EXPECT_TRUE(m_game.m_cursor->IsShown());
        EXPECT_FALSE(m_menu.HandleInput({210, 0, 0, 0}));
        m_menu.Show(false);
        EXPECT_FALSE(m_menu.IsShown());
        EXPECT_TRUE(ButtonsOn(false));
        EXPECT_EQ(m_game.m_cursor->IsShown(), cursorBefore);
    }
}

TEST_F(InGameMenuTest, ResumeExitAndExitGame) {
    m_menu.SetEnabled(true);
    m_menu.Show(true);
    kelvo::CButtonPressedResume{m_menu}();
    EXPECT_FALSE(m_menu.IsShown());
    EXPECT_TRUE(m_game.m_calls.empty());

    m_game.AddRacer(11, 1, kelvo::CONTROL_LOCAL_PLAYER);
    m_board.AddResultRow(11);
    m_game.m_lineUp.push_back({2, 3});
    m_menu.Show(true);
    kelvo::CButtonPressedExitMenu{m_menu}();
    EXPECT_FALSE(m_menu.IsShown());
    EXPECT_TRUE(m_board.GetRows().empty());
    EXPECT_FALSE(m_board.IsShown());
    EXPECT_TRUE(m_game.m_lineUp.empty());
    // Networking stops before the race is torn down.
    EXPECT_EQ(m_game.m_calls, (std::vector<std::string>{"line-up cleared", "fog off", "network off", "reset"}));

    m_game.m_calls.clear();
    kelvo::CButtonPressedExitGame{m_menu}();
    EXPECT_EQ(m_game.m_calls, (std::vector<std::string>{"quit"}));
}

TEST_F(InGameMenuTest, TheResetClosesTheMenuSoTheNextRaceDoesNotFindItOpen) {
    m_menu.SetEnabled(true);
    m_game.m_cursor->Show(false);
    m_menu.Show(true);
    m_menu.OnRaceReset();
    EXPECT_FALSE(m_menu.IsEnabled());
    EXPECT_FALSE(m_game.m_cursor->IsShown());
    m_menu.SetEnabled(true);
    EXPECT_FALSE(m_menu.IsShown());
    EXPECT_FALSE(m_menu.IsVisible());
    EXPECT_TRUE(ButtonsOn(false));
}

} // namespace
