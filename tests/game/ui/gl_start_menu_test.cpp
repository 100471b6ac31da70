// The shipped start menu drawn on the OpenGL device at 800 x 600: buttons at their places with
// their looks, the hidden pair absent until Multiplayer opens it. Skips without an offscreen
// context.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "engine/gfx/gfx_core.h"
#include "engine/gfx/velm_gfx.h"
#include "game/ui/start_menu.h"
#include "support/gl_velm_gfx.h"
#include "ui_fixtures.h"

namespace {

using kelvo::CStartMenu;

constexpr int kWidth = 800;
constexpr int kHeight = 600;

class GlStartMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_skip = m_gl.Start(kWidth, kHeight, tktest::SourceFile("data/files/fx/"),
                            tktest::SourceFile("data/arts/textures/"), {"Particle.fx"});
    }
    std::vector<std::uint8_t> Frame(velm::gfx::IScreenUnit* screen) { return m_gl.Frame({screen}); }
    std::array<int, 3> At(const std::vector<std::uint8_t>& bgra, int x, int y) const { return m_gl.At(bgra, x, y); }
    // The buttons' bodies are blue, the title's wood brown.
    static bool IsButtonBlue(const std::array<int, 3>& p) { return p[2] > 90 && p[2] > p[0] + 50; }
    static bool IsWood(const std::array<int, 3>& p) { return p[0] > 100 && p[0] > p[2] + 40; }

    std::string m_skip;
    tktest::CGlVelmGfx m_gl;
    tktest::CTestScreenHost m_host;
};

TEST_F(GlStartMenuTest, TheMenuDrawsItsButtonsAtTheirPlacesAndOpensTheNetworkPair) {
    if (!m_skip.empty()) {
        GTEST_SKIP() << m_skip;
    }
    CStartMenu menu(tktest::SourceFile("data/files/xmlfiles/StartMenu.xml"));
    std::vector<std::uint8_t> pixels = Frame(&menu);
    ASSERT_EQ(pixels.size(), static_cast<std::size_t>(kWidth * kHeight * 4));
    const std::array<int, 3> background = At(pixels, 790, 590);
    EXPECT_TRUE(IsWood(At(pixels, 160, 80))) << "title";
    EXPECT_EQ(At(pixels, 60, 240), background) << "main buttons hidden until activated";

    menu.SetMainButtonsActive(true);
    pixels = Frame(&menu);
    // Single Player, Multiplayer, Credits, Exit at x 48, y 228 + 66 k, 260 x 52 each: a point
    // inside each body near its left end, and one just left of each.
    for (int row = 0; row < 4; ++row) {
        const int y = 228 + 66 * row + 40;
        EXPECT_TRUE(IsButtonBlue(At(pixels, 56, y))) << "row " << row;
        EXPECT_EQ(At(pixels, 44, y), background) << "left of row " << row;
    }
    EXPECT_EQ(At(pixels, 48 + 130, 228 + 26 + 66 * 4), background) << "below Exit";
    // Join Game at (336, 264) shows only after Multiplayer.
    EXPECT_EQ(At(pixels, 344, 264 + 40), background);
    tktest::ClickChild(m_host, menu, CStartMenu::kMultiPlayer);
    pixels = Frame(&menu);
    EXPECT_TRUE(IsButtonBlue(At(pixels, 344, 264 + 40))) << "Join Game";
    EXPECT_TRUE(IsButtonBlue(At(pixels, 344, 324 + 40))) << "Host Game";
    EXPECT_TRUE(IsWood(At(pixels, 160, 80))) << "title";
}

} // namespace
