// The screens drawn from the data tree's layouts and textures on the OpenGL device at 800 x 600
// and 1024 x 768, probed at pixels: each part where its layout puts it, centred art centred,
// full-screen pictures to the last pixel, the HUD by the right edge and the results' headings
// over their columns at both sizes. With TK_SCREEN_SHOTS naming a folder, each frame is also
// saved there as screens_<name>_<width>.png for a person to look at.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "engine/gfx/font_table.h"
#include "engine/gfx/gfx_core.h"
#include "engine/gfx/velm_gfx.h"
#include "game/ui/character_selection.h"
#include "game/ui/credits.h"
#include "game/ui/end_race_gui.h"
#include "game/ui/in_game_menu.h"
#include "game/ui/loading_screen.h"
#include "game/ui/multi_player_menu.h"
#include "game/ui/norvale_splash.h"
#include "game/ui/start_menu.h"
#include "game/ui/start_race_gui.h"
#include "game/ui/tumbo_kelvo_game_hud.h"
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
        m_empty = m_gl.Frame({});
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
    // One frame of the units over nothing but the cleared back buffer; saved when asked for.
    void DrawAlone(const std::vector<velm::gfx::IScreenUnit*>& units, const std::string& name) {
        const char* folder = std::getenv("TK_SCREEN_SHOTS");
        const bool save = folder != nullptr && !name.empty();
        m_pixels =
            m_gl.Frame(units, save ? std::string(folder) + "/screens_" + name + "_" + std::to_string(m_width) + ".png"
                                   : std::string());
    }
    bool IsBlank(int x, int y) const { return At(x, y) == At(x, y, &m_empty); }
    // The first and last columns of rows y0 to y1 (not included) where `ink` holds, or (-1, -1).
    std::pair<int, int> Columns(int y0, int y1, const std::function<bool(int, int)>& ink, int x0 = 0,
                                int x1 = -1) const {
        std::pair<int, int> span(-1, -1);
        for (int x = x0; x < (x1 < 0 ? m_width : x1); ++x) {
            for (int y = y0; y < y1; ++y) {
                if (ink(x, y)) {
                    span.second = x;
                    if (span.first < 0) {
                        span.first = x;
                    }
                    break;
                }
            }
        }
        return span;
    }
    std::pair<int, int> DrawnColumns(int y0, int y1) const {
        return Columns(y0, y1, [this](int x, int y) { return !IsBlank(x, y); });
    }
    // How far the middle of a span lies from the screen's middle, in pixels.
    double OffCentre(const std::pair<int, int>& span) const {
        return std::abs((span.first + span.second + 1) / 2.0 - m_width / 2.0);
    }
    // Whether a picture drawn over nothing reaches every pixel of the back buffer's four edges.
    bool FillsToTheEdges() const {
        for (int x = 0; x < m_width; ++x) {
            if (IsBlank(x, 0) || IsBlank(x, m_height - 1)) {
                return false;
            }
        }
        for (int y = 0; y < m_height; ++y) {
            if (IsBlank(0, y) || IsBlank(m_width - 1, y)) {
                return false;
            }
        }
        return true;
    }
    // A row top given on the 800 x 600 layout, on this back buffer.
    int RowTextY(int designTop) const { return (designTop + 32) * m_height / 600 - 32 + 15; }

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
    std::vector<std::uint8_t> m_empty;
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
    // Start keeps to the right edge.
    EXPECT_TRUE(DrawnIn(static_cast<int>(m_width * 0.965f) - 190, static_cast<int>(m_height * 0.634f) + 10,
                        static_cast<int>(m_width * 0.965f), static_cast<int>(m_height * 0.634f) + 40))
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
    const SRgb gold = At(m_width / 2 - 256 + 40, static_cast<int>(m_height * 0.08f) + 20);
    EXPECT_GT(gold[0], 180);
    EXPECT_LT(gold[2], 120);
    EXPECT_TRUE(DrawnIn(m_width / 2 - 96, static_cast<int>(m_height * 0.8f) + 10, m_width / 2 + 94,
                        static_cast<int>(m_height * 0.8f) + 40));

    // The in-game menu: nothing while closed, the panel with three buttons while open.
    kelvo::CInGameMenu menu("InGameMenu.xml");
    menu.SetEnabled(true);
    Draw({&menu}, "in_game_menu_closed");
    EXPECT_FALSE(DrawnIn(0, 0, m_width, m_height));
    menu.Show(true);
    Draw({&menu}, "in_game_menu");
    const int panelX = m_width / 2 - 160;
    const int panelY = static_cast<int>(m_height * 0.4667f) - 160;
    EXPECT_FALSE(IsClear(panelX + 20, panelY + 300)) << "panel";
    EXPECT_TRUE(IsClear(panelX - 10, panelY + 100)) << "beside the panel";

    kelvo::CNorvaleSplash splash("NorvaleSplash.xml");
    Draw({&splash}, "splash");
    EXPECT_FALSE(IsClear(m_width / 2, static_cast<int>(m_height * 0.2f) + 60)) << "logo";
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

TEST_P(GlScreensTest, CentredArtStaysCentredAndFullScreenPicturesReachEveryEdge) {
    if (!m_skip.empty()) {
        GTEST_SKIP() << m_skip;
    }
    // The splash: its backdrop to the last pixel, the logo's cream border centred.
    kelvo::CNorvaleSplash splash("NorvaleSplash.xml");
    DrawAlone({&splash}, "");
    EXPECT_TRUE(FillsToTheEdges()) << "splash backdrop";
    const int logoY = static_cast<int>(m_height * 0.2f);
    const auto cream = [this](int x, int y) {
        const SRgb p = At(x, y);
        return p[0] > 235 && p[1] > 225 && p[2] > 170;
    };
    EXPECT_LE(OffCentre(Columns(logoY + 100, logoY + 140, cream)), 3.0) << "splash logo";

    kelvo::CLoadingScreen loading("hud/loading_screen.png");
    DrawAlone({&loading}, "");
    EXPECT_TRUE(FillsToTheEdges()) << "loading picture";

    kelvo::CStartMenu menu("StartMenu.xml");
    DrawAlone({&menu}, "");
    const int titleY = static_cast<int>(m_height * 0.05f);
    EXPECT_LE(OffCentre(DrawnColumns(titleY, titleY + 140)), 3.0) << "title sign";

    kelvo::CCharacterSelection selection("CharacterSelection.xml", 0, 0);
    DrawAlone({&selection}, "");
    const int plateY = static_cast<int>(m_height * 0.03f);
    EXPECT_LE(OffCentre(DrawnColumns(plateY, plateY + 60)), 3.0) << "choose-your-racer plate";

    // Victory, won and then lost, and the Continue button under the banner.
    kelvo::CEndRaceGUI board("EndRace.xml");
    kelvo::CVictoryScreen victory("VictoryScreen.xml");
    m_game.m_board = &board;
    m_game.m_victory = &victory;
    m_game.AddRacer(21, 1, kelvo::CONTROL_LOCAL_PLAYER);
    m_game.AddRacer(22, 3, kelvo::CONTROL_LOCAL_OTHER);
    const int bannerY = static_cast<int>(m_height * 0.08f);
    const int continueY = static_cast<int>(m_height * 0.8f);
    for (const std::uint32_t winner : {21u, 22u}) {
        board.OnRaceReset();
        board.AddResultRow(winner);
        victory.Show();
        EXPECT_EQ(victory.IsWinShown(), winner == 21u);
        DrawAlone({&victory}, "");
        EXPECT_LE(OffCentre(DrawnColumns(bannerY, bannerY + 128)), 3.0) << "banner of winner " << winner;
        EXPECT_LE(OffCentre(DrawnColumns(continueY, continueY + 48)), 3.0) << "Continue";
    }

    // The in-game menu: the panel and its buttons as one centred group.
    kelvo::CInGameMenu pause("InGameMenu.xml");
    pause.SetEnabled(true);
    pause.Show(true);
    DrawAlone({&pause}, "");
    const int panelY = static_cast<int>(m_height * 0.4667f) - 160;
    EXPECT_LE(OffCentre(DrawnColumns(panelY, panelY + 320)), 3.0) << "in-game menu";
    EXPECT_EQ(DrawnColumns(0, panelY).first, -1) << "nothing above the panel";

    // The countdown: the flag with "Ready", the disc of "Three", then "Go" half as large again
    // (its frame, whose letters are not symmetric), each centred.
    kelvo::CStartRaceGUI countdown("StartRaceInit.xml");
    countdown.StartCountdown();
    countdown.Update(0);
    countdown.Update(1000);
    ASSERT_EQ(countdown.GetStage(), kelvo::CStartRaceGUI::kReady);
    DrawAlone({&countdown}, "");
    const int flagY = static_cast<int>(m_height * 0.08f);
    const int wordY = static_cast<int>(m_height * 0.30f);
    EXPECT_LE(OffCentre(DrawnColumns(flagY, flagY + 96)), 3.0) << "flag";
    EXPECT_LE(OffCentre(DrawnColumns(wordY, wordY + 120)), 3.0) << "Ready";
    countdown.Update(1000);
    ASSERT_EQ(countdown.GetStage(), kelvo::CStartRaceGUI::kThree);
    DrawAlone({&countdown}, "");
    EXPECT_LE(OffCentre(DrawnColumns(wordY, wordY + 140)), 3.0) << "Three";
    for (int stage = kelvo::CStartRaceGUI::kTwo; stage <= kelvo::CStartRaceGUI::kGo; ++stage) {
        countdown.Update(1000);
    }
    ASSERT_EQ(countdown.GetStage(), kelvo::CStartRaceGUI::kGo);
    const auto* go = dynamic_cast<const velm::gfx::CSprite*>(countdown.GetChild(kelvo::CStartRaceGUI::kGo));
    ASSERT_NE(go, nullptr);
    EXPECT_LE(std::abs(go->GetX() + 165 - m_width / 2), 1) << "Go";
}

TEST_P(GlScreensTest, TheResultsStandUnderTheirHeadingsAndTheHudKeepsToTheRightEdge) {
    if (!m_skip.empty()) {
        GTEST_SKIP() << m_skip;
    }
    kelvo::CEndRaceGUI board("EndRace.xml");
    m_game.m_board = &board;
    m_game.AddRacer(31, 5, kelvo::CONTROL_LOCAL_PLAYER);
    m_game.m_clock = 83.25f;
    ASSERT_TRUE(board.AddResultRow(31));
    DrawAlone({&board}, "");
    EXPECT_TRUE(FillsToTheEdges()) << "results background";
    // The headings' dark red letters and the first row's black digits, column by column: each
    // time under the middle of its heading.
    const auto heading = [this](int x, int y) {
        const SRgb p = At(x, y);
        return p[0] > 80 && p[1] < 80 && p[2] < 60;
    };
    const auto digits = [this](int x, int y) {
        const SRgb p = At(x, y);
        return p[0] < 60 && p[1] < 60 && p[2] < 60;
    };
    const int headingY = static_cast<int>(m_height * 0.0667f);
    const int textY = RowTextY(80);
    const int split = m_width * 472 / 800;
    for (const auto& [from, to, name] : std::vector<std::tuple<int, int, const char*>>{
             {m_width * 208 / 800, split, "track time"}, {split, m_width, "total time"}}) {
        const auto title = Columns(headingY, headingY + 32, heading, from, to);
        const auto time = Columns(textY, textY + 20, digits, from, to);
        ASSERT_GE(title.first, 0) << name;
        ASSERT_GE(time.first, 0) << name;
        EXPECT_LE(std::abs((title.first + title.second) - (time.first + time.second)) / 2, 25)
            << name << ": heading " << title.first << "-" << title.second << ", times " << time.first << "-"
            << time.second;
    }

    // The HUD's speed and clock stand by the right edge, over and under the level map, and
    // nothing of them is left of it.
    kelvo::TumboKelvoGameHUD hud;
    hud.Init();
    hud.SetRacePanelShown(true);
    hud.SetSpeed(42);
    hud.Update(16);
    DrawAlone({&hud}, "hud");
    const auto white = [this](int x, int y) {
        const SRgb p = At(x, y);
        return p[0] > 200 && p[1] > 200 && p[2] > 200;
    };
    for (const auto& [y, name] : std::vector<std::pair<int, const char*>>{{m_height - 50, "speed"}, {20, "clock"}}) {
        const auto text = Columns(y, y + 20, white);
        EXPECT_GE(text.first, m_width - 160) << name;
        EXPECT_GT(text.second, text.first + 20) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(BackBuffers, GlScreensTest,
                         ::testing::Values(std::make_pair(800, 600), std::make_pair(1024, 768)));

} // namespace
