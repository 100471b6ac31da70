// The game's screen table: one fixed id per screen whatever order the factories run in, getters
// that see a screen only while it is in the table, "later" and "now" removals, and a factory
// refused on a taken id keeping the screen there.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "engine/gfx/button.h"
#include "engine/gfx/cursor.h"
#include "game/content/content_fixtures.h"
#include "game/flow/tumbo_kelvo_game.h"
#include "game/tools/level_editor.h"
#include "game/ui/character_selection.h"
#include "game/ui/credits.h"
#include "game/ui/end_race_gui.h"
#include "game/ui/in_game_menu.h"
#include "game/ui/loading_screen.h"
#include "game/ui/multi_player_menu.h"
#include "game/ui/norvale_splash.h"
#include "game/ui/start_menu.h"
#include "game/ui/start_race_gui.h"
#include "game/ui/tumbo_kelvo_console.h"
#include "game/ui/tumbo_kelvo_game_hud.h"
#include "game/ui/victory_screen.h"
#include "libs/common/singleton.h"
#include "platform/dinput/dik_codes.h"
#include "platform/win32/message_queue.h"

namespace {

using Game = kelvo::CTumboKelvoGame;

struct SScreenRow {
    int m_id;
    std::function<void(Game&)> m_create;
    // True when the screen under the row's id is of the row's class.
    std::function<bool(velm::gfx::CBaseGUI*)> m_isOwnKind;
};

template <class T>
bool Is(velm::gfx::CBaseGUI* screen) {
    return dynamic_cast<T*>(screen) != nullptr;
}

const std::vector<SScreenRow>& Rows() {
    static const std::vector<SScreenRow> rows = {
        {0, [](Game& g) { g.CreateConsole(); }, Is<kelvo::TumboKelvoConsole>},
        {1, [](Game& g) { g.CreateHUD(); }, Is<kelvo::TumboKelvoGameHUD>},
        {2, [](Game& g) { g.CreateStartMenu(); }, Is<kelvo::CStartMenu>},
        {3, [](Game& g) { g.CreateCursor(); }, Is<velm::gfx::CCursor>},
        {4, [](Game& g) { g.CreateCharacterSelection(0, 0); }, Is<kelvo::CCharacterSelection>},
        {5, [](Game& g) { g.CreateMultiPlayerMenu(0); }, Is<kelvo::MultiPlayerMenu>},
        {6, [](Game& g) { g.CreateStartRaceGUI(); }, Is<kelvo::CStartRaceGUI>},
        {7, [](Game& g) { g.CreateEndRaceGUI(); }, Is<kelvo::CEndRaceGUI>},
        {8, [](Game& g) { g.CreateInGameMenu(); }, Is<kelvo::CInGameMenu>},
        {9, [](Game& g) { g.CreateVictoryScreen(); }, Is<kelvo::CVictoryScreen>},
        {10, [](Game& g) { g.CreateSplash(); }, Is<kelvo::CNorvaleSplash>},
        {11, [](Game& g) { g.CreateCredits(0, 0); }, Is<kelvo::CCredits>},
        {12, [](Game& g) { g.CreateLoadingScreen(); }, Is<kelvo::CLoadingScreen>},
    };
    return rows;
}

class ScreenTableTest : public ::testing::Test {
protected:
    tktest::CFlowEnvironment m_env;
    Game m_game;
};

TEST_F(ScreenTableTest, EveryScreenHasItsOwnIdWhateverOrderTheFactoriesRunIn) {
    for (std::size_t screen = 0; screen < Game::kScreenCount; ++screen) {
        EXPECT_EQ(m_game.GetScreenId(static_cast<Game::EScreen>(screen)), screen);
    }
    // Backwards, then once more forwards: the second round is refused and changes nothing.
    for (auto row = Rows().rbegin(); row != Rows().rend(); ++row) {
        row->m_create(m_game);
    }
    for (const SScreenRow& row : Rows()) {
        velm::gfx::CBaseGUI* before = m_game.GetScreens().GetScreen(row.m_id);
        row.m_create(m_game);
        EXPECT_EQ(m_game.GetScreens().GetScreen(row.m_id), before) << row.m_id;
        EXPECT_TRUE(row.m_isOwnKind(before)) << row.m_id;
    }
    m_game.GetScreens().Update(0);
    EXPECT_EQ(m_game.GetScreens().GetDrawList().size(), 13u);
}

TEST_F(ScreenTableTest, GettersSeeAScreenOnlyWhileItIsInTheTable) {
    struct SRemovable {
        std::function<void()> m_create;
        std::function<void()> m_remove;
        std::function<bool()> m_present;
    };
    Game& g = m_game;
    const std::vector<SRemovable> later = {
        {[&] { g.CreateStartMenu(); }, [&] { g.RemoveStartMenu(); }, [&] { return g.GetStartMenu() != nullptr; }},
        {[&] { g.CreateCharacterSelection(1, 2); }, [&] { g.RemoveCharacterSelection(); },
         [&] { return g.GetCharacterSelection() != nullptr; }},
        {[&] { g.CreateCredits(1, 2); }, [&] { g.RemoveCredits(); }, [&] { return g.GetCredits() != nullptr; }},
        {[&] { g.CreateMultiPlayerMenu(3); }, [&] { g.RemoveMultiPlayerMenu(); },
         [&] { return g.GetMultiPlayerMenu() != nullptr; }},
        {[&] { g.CreateSplash(); }, [&] { g.RemoveSplash(); }, [&] { return g.GetScreens().GetScreen(10) != nullptr; }},
    };
    for (std::size_t index = 0; index < later.size(); ++index) {
        const SRemovable& screen = later[index];
        EXPECT_FALSE(screen.m_present()) << index;
        screen.m_create();
        EXPECT_TRUE(screen.m_present()) << index;
        g.GetScreens().Update(16);
        screen.m_remove();
        // Still reachable and drawn until the table's next update.
        EXPECT_TRUE(screen.m_present()) << index;
        EXPECT_EQ(g.GetScreens().GetDrawList().size(), 1u) << index;
        g.GetScreens().Update(16);
        EXPECT_FALSE(screen.m_present()) << index;
        EXPECT_TRUE(g.GetScreens().GetDrawList().empty()) << index;
    }

    // The loading screen goes at once, from the draw list too.
    g.CreateLoadingScreen();
    g.GetScreens().Update(16);
    ASSERT_EQ(g.GetScreens().GetDrawList().size(), 1u);
    g.RemoveLoadingScreen();
    EXPECT_EQ(g.GetScreens().GetScreen(12), nullptr);
    EXPECT_TRUE(g.GetScreens().GetDrawList().empty());

    for (auto getter : std::vector<std::function<bool()>>{
             [&] { return g.GetInGameMenu() == nullptr; }, [&] { return g.GetStartRaceGUI() == nullptr; },
             [&] { return g.GetEndRaceGUI() == nullptr; }, [&] { return g.GetVictoryScreen() == nullptr; },
             [&] { return g.GetConsole() == nullptr; }, [&] { return g.GetHUD() == nullptr; },
             [&] { return g.GetCursor() == nullptr; }}) {
        EXPECT_TRUE(getter());
    }
}

TEST_F(ScreenTableTest, InputGoesToTheScreensAndTheShownInGameMenuLetsEscapeThrough) {
    m_game.CreateCursor();
    m_game.CreateInGameMenu();
    m_game.CreateStartMenu();
    kelvo::CStartMenu* menu = m_game.GetStartMenu();
    menu->SetMainButtonsActive(true);
    // The press goes through the table, with the cursor on the button's corner.
    auto* button = dynamic_cast<velm::gfx::CButton*>(menu->GetChild(kelvo::CStartMenu::kSinglePlayer));
    ASSERT_NE(button, nullptr);
    m_game.GetCursorScreen()->SetPosition(button->GetX(), button->GetY());
    EXPECT_TRUE(m_game.GetScreens().HandleInput({210, 0, 0, 0}));
    m_game.GetScreens().HandleInput({210, 1, 0, 0});
    EXPECT_TRUE(menu->IsPlaySelected());

    // The shown in-game menu lets escape through, so that escape can hide it again.
    kelvo::CInGameMenu* inGame = m_game.GetInGameMenu();
    inGame->SetEnabled(true);
    inGame->Show(true);
    EXPECT_TRUE(inGame->IsShown());
    velm::input::SInputEvent escape{DIK_ESCAPE, 0, 0, 0};
    EXPECT_FALSE(m_game.GetScreens().HandleInput(escape));
}

TEST_F(ScreenTableTest, QuittingPostsTheQuitMessageWithCodeZeroAndWindowMessagesReachTheEditor) {
    platform::ClearMessages();
    kelvo::PostQuit();
    platform::SMessage message{};
    ASSERT_TRUE(platform::PeekMessage(message));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(message.wParam, 0u);
    EXPECT_FALSE(platform::PeekMessage(message));
    // The placement editor is made on the first message and never answers for the window.
    EXPECT_EQ(m_game.MsgProc(WM_KEYDOWN, 'A', 0), 0);
    EXPECT_TRUE(common::CSingleton<kelvo::CLevelEditor>::Exists());
}

} // namespace
