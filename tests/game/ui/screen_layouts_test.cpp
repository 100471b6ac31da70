// Screens built from a layout file that is missing or cut short: said once, laid out as shipped,
// and still working (no device: nothing is drawn).
#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>
#include <vector>

#include "engine/gfx/button.h"
#include "game/ui/credits.h"
#include "game/ui/end_race_gui.h"
#include "game/ui/in_game_menu.h"
#include "game/ui/multi_player_menu.h"
#include "game/ui/norvale_splash.h"
#include "game/ui/victory_screen.h"
#include "screen_fakes.h"
#include "support/damaged_file.h"
#include "support/game_folder.h"
#include "support/temp_dir.h"

namespace {

// The layouts are read from the data tree, wherever the build folder lies.
class ScreenLayoutsTest : public tktest::CScreenTest {
protected:
    tktest::CGameFolder m_folder;
};

TEST_F(ScreenLayoutsTest, AMissingOrCutLayoutIsSaidAndTheScreensStillWork) {
    // A layout cut in the middle of an element, reached from the layout folder by climbing to the root.
    tktest::CTempDir dir;
    dir.Write("cut.xml", "<VictoryScreen>\n<WinText>\n<FileName>gui/win_text.png</FileName>\n<OffsetX>0.");
    std::string cut;
    for (int up = 0; up < 24; ++up) {
        cut += "../";
    }
    cut += dir.Path().substr(1) + "/cut.xml";
    std::vector<std::string> files = {"NoSuchLayout.xml", cut};
    for (const tktest::SDamage& damage : tktest::kDamages) {
        files.push_back(dir.Path() + "/" + damage.what + ".xml");
        tktest::Damage(files.back(), damage);
    }
    for (const std::string& file : files) {
        ::testing::internal::CaptureStderr();
        kelvo::CEndRaceGUI board(file);
        kelvo::CVictoryScreen victory(file);
        kelvo::CInGameMenu menu(file);
        kelvo::CNorvaleSplash splash(file);
        kelvo::CCredits credits(file, 1, 0);
        m_game.m_host = true;
        kelvo::MultiPlayerMenu lobby(file, 1);
        const std::string log = ::testing::internal::GetCapturedStderr();
        if (file[0] == '/') {
            EXPECT_NE(log.find(file + ": "), std::string::npos) << log;
        } else if (file != cut) {
            EXPECT_NE(log.find("../../../../data/files/xmlfiles/NoSuchLayout.xml: does not exist; the screen is laid "
                               "out as shipped"),
                      std::string::npos)
                << log;
        } else {
            EXPECT_NE(log.find("cut.xml: is cut short (<VictoryScreen> is never closed)"), std::string::npos) << log;
        }
        m_game.m_board = &board;
        m_game.AddRacer(11, 1, kelvo::CONTROL_LOCAL_PLAYER);
        EXPECT_TRUE(board.AddResultRow(11));
        victory.Show();
        EXPECT_TRUE(victory.IsWinShown());
        menu.SetEnabled(true);
        menu.Show(true);
        lobby.SetActive(true);
        EXPECT_EQ(lobby.GetSlots().size(), 6u);
        for (velm::gfx::IScreenUnit* screen :
             std::initializer_list<velm::gfx::IScreenUnit*>{&board, &victory, &menu, &splash, &credits, &lobby}) {
            screen->Update(16);
            screen->Render(0.0, 0.016f);
            screen->OnLostDevice();
            screen->OnResetDevice();
            EXPECT_FALSE(screen->HandleInput({210, 0, 0, 0}));
        }
        // Each screen's way on is its button as shipped, 192 x 48, whatever the file held.
        const std::pair<const velm::gfx::CBaseGUI*, int> ways[] = {{&victory, 0},
                                                                   {&menu, kelvo::CInGameMenu::kExitButton},
                                                                   {&credits, 0},
                                                                   {&lobby, kelvo::MultiPlayerMenu::kBackButton},
                                                                   {&board, kelvo::CEndRaceGUI::kNextRaceButton}};
        for (const auto& [screen, id] : ways) {
            const auto* button = dynamic_cast<const velm::gfx::CButton*>(screen->GetChild(id));
            ASSERT_NE(button, nullptr) << file << " " << id;
            EXPECT_EQ(button->GetWidth(), 192) << file << " " << id;
            EXPECT_EQ(button->GetHeight(), 48) << file << " " << id;
        }
        kelvo::CButtonPressedContinue{victory}();
        EXPECT_FALSE(victory.IsVisible());
    }
}

} // namespace
