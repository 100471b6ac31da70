// The screens drawn from the data tree's layouts and textures on the OpenGL device at 800 x 600
// and 1024 x 768, probed at pixels. With TK_SCREEN_SHOTS naming a folder, each frame is also
// saved there as screens_<name>_<width>.png for a person to look at.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/gfx/font_table.h"
#include "engine/gfx/gfx_core.h"
#include "engine/gfx/velm_gfx.h"
#include "game/ui/credits.h"
#include "game/ui/end_race_gui.h"
#include "game/ui/in_game_menu.h"
#include "game/ui/loading_screen.h"
#include "game/ui/multi_player_menu.h"
#include "game/ui/norvale_splash.h"
#include "game/ui/victory_screen.h"
#include "screen_fakes.h"
#include "support/game_folder.h"
#include "support/gl_velm_gfx.h"

namespace {

using SRgb = std::array<int, 3>;

class GlScreensTest : public tktest::CScreenTest, public ::testing::WithParamInterface<std::pair<int, int>> {
protected:
    void SetUp() override {
        m_width = GetParam().first;
        m_height = GetParam().second;
        m_skip = m_gl.Start(m_width, m_height, tktest::SourceFile("data/files/fx/"),
                            tktest::SourceFile("data/arts/textures/"));
        if (!m_skip.empty()) {
            return;
        }
        // A picture stands for the world behind the screens; probes compare with it.
        m_world = std::make_unique<velm::gfx::CSprite>("gui/splash_background.png");
        m_world->AddAnimation("World", 512, 512, 1, 0, 0, 200, 0, 0, false);
        m_world->SetAnimation("World");
        m_world->SetScale(2.0f, 1.5f, 1.0f);
        m_world->SetZOrder(-1);
        Draw({}, "");
        m_reference = m_pixels;
    }
    void TearDown() override {
        m_world.reset();
        m_gl.Stop();
    }

    // One frame of the units; saved when asked for.
    void Draw(std::vector<velm::gfx::IScreenUnit*> units, const std::string& name) {
        units.push_back(m_world.get());
        const char* folder = std::getenv("TK_SCREEN_SHOTS");
        const bool save = folder != nullptr && !name.empty();
        m_pixels =
            m_gl.Frame(units, save ? std::string(folder) + "/screens_" + name + "_" + std::to_string(m_width) + ".png"
                                   : std::string());
    }
    SRgb At(int x, int y, const std::vector<std::uint8_t>* pixels = nullptr) const {
        const std::vector<std::uint8_t>& from = pixels != nullptr ? *pixels : m_pixels;
        const std::size_t i = (static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) + x) * 4;
        return {from[i + 2], from[i + 1], from[i]};
    }
    // True where the frame shows the world picture alone.
    bool IsClear(int x, int y) const {
        const SRgb p = At(x, y);
        const SRgb world = At(x, y, &m_reference);
        for (int c = 0; c < 3; ++c) {
            if (std::abs(p[c] - world[c]) > 3) {
                return false;
            }
        }
        return true;
    }
    // True when some pixel of the box differs from the clear colour.
    bool DrawnIn(int x0, int y0, int x1, int y1) const {
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                if (!IsClear(x, y)) {
                    return true;
                }
            }
        }
        return false;
    }

    int m_width = 0;
    int m_height = 0;
    // The screens read their layouts as the game does.
    tktest::CGameFolder m_folder;
    std::string m_skip;
    tktest::CGlVelmGfx m_gl;
    std::vector<std::uint8_t> m_pixels;
    std::vector<std::uint8_t> m_reference;
    std::unique_ptr<velm::gfx::CSprite> m_world;
};

TEST_P(GlScreensTest, EveryScreenDrawsItsPartsWhereItsLayoutPutsThem) {
    if (!m_skip.empty()) {
        GTEST_SKIP() << m_skip;
    }
    // The lobby: portraits and labels left, the searching strip, the chat box, Start and Back.
    m_game.m_selected = 3;
    m_game.m_host = true;
    kelvo::MultiPlayerMenu lobby("MultiplayerMenu.xml", 1);
    lobby.SetActive(true);
    lobby.OnRacerConnect(5, 2, 0);
    lobby.GetChatBox()->AddMessageW(L"Player 2: ready when you are");
    Draw({&lobby}, "lobby");
    EXPECT_TRUE(DrawnIn(4, 330, 512, 576)) << "chat box";
    EXPECT_TRUE(DrawnIn(90, 40, 190, 56)) << "slot 1 label";
    EXPECT_TRUE(DrawnIn(static_cast<int>(m_width * 0.725f), static_cast<int>(m_height * 0.634f) + 10,
                        static_cast<int>(m_width * 0.725f) + 190, static_cast<int>(m_height * 0.634f) + 40))
        << "Start";

    // The results board with three rows, this machine's racer among them.
    kelvo::CEndRaceGUI board("EndRace.xml");
    m_game.m_board = &board;
    m_game.AddRacer(11, 2, kelvo::CONTROL_LOCAL_OTHER);
    m_game.AddRacer(12, 1, kelvo::CONTROL_LOCAL_PLAYER);
    m_game.AddRacer(13, 4, kelvo::CONTROL_NETWORK);
    for (const auto& [id, clock] :
         std::vector<std::pair<std::uint32_t, float>>{{11, 71.42f}, {12, 64.37f}, {13, 3702.5f}}) {
        m_game.m_clock = clock;
        board.AddResultRow(id);
    }
    Draw({&board}, "results");
    EXPECT_FALSE(IsClear(m_width - 4, m_height - 4)) << "the background covers the screen";
    const SRgb paper = At(300, 20);
    EXPECT_GT(paper[0], 200);
    EXPECT_GT(paper[0], paper[2]);

    // Victory: the win banner over the world with Continue.
    kelvo::CVictoryScreen victory("VictoryScreen.xml");
    m_game.m_victory = &victory;
    victory.Show();
    Draw({&victory}, "victory");
    const SRgb gold = At(static_cast<int>(m_width * 0.18f) + 40, static_cast<int>(m_height * 0.08f) + 20);
    EXPECT_GT(gold[0], 180);
    EXPECT_LT(gold[2], 120);
    EXPECT_TRUE(DrawnIn(static_cast<int>(m_width * 0.38f), static_cast<int>(m_height * 0.8f) + 10,
                        static_cast<int>(m_width * 0.38f) + 190, static_cast<int>(m_height * 0.8f) + 40));

    // The in-game menu: nothing while closed, the panel with three buttons while open.
    kelvo::CInGameMenu menu("InGameMenu.xml");
    menu.SetEnabled(true);
    Draw({&menu}, "in_game_menu_closed");
    EXPECT_FALSE(DrawnIn(0, 0, m_width, m_height));
    menu.Show(true);
    Draw({&menu}, "in_game_menu");
    const int panelX = static_cast<int>(m_width * 0.3f);
    const int panelY = static_cast<int>(m_height * 0.2f);
    EXPECT_FALSE(IsClear(panelX + 20, panelY + 300)) << "panel";
    EXPECT_TRUE(IsClear(panelX - 10, panelY + 100)) << "beside the panel";

    kelvo::CNorvaleSplash splash("NorvaleSplash.xml");
    Draw({&splash}, "splash");
    EXPECT_FALSE(IsClear(static_cast<int>(m_width * 0.18f) + 256, static_cast<int>(m_height * 0.2f) + 60)) << "logo";
    EXPECT_TRUE(DrawnIn(static_cast<int>(m_width * 0.05f), static_cast<int>(m_height * 0.92f),
                        static_cast<int>(m_width * 0.05f) + 300, static_cast<int>(m_height * 0.92f) + 16))
        << "notice";
    EXPECT_NE(splash.GetNotice()->GetText().find(L"Kelvo"), std::wstring::npos);

    kelvo::CCredits credits("CreditsMenu.xml", 0, 0);
    Draw({&credits}, "credits");
    EXPECT_TRUE(DrawnIn(40, static_cast<int>(m_height * 0.88f) + 10, 232, static_cast<int>(m_height * 0.88f) + 40));

    kelvo::CLoadingScreen loading("hud/loading_screen.png");
    Draw({&loading}, "loading");
    EXPECT_FALSE(IsClear(m_width - 4, m_height - 4)) << "the picture fills the back buffer";
    EXPECT_FALSE(IsClear(4, 4));
}

INSTANTIATE_TEST_SUITE_P(BackBuffers, GlScreensTest,
                         ::testing::Values(std::make_pair(800, 600), std::make_pair(1024, 768)));

} // namespace
