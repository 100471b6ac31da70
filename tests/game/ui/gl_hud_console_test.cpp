#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/gfx/gfx_core.h"
#include "engine/gfx/velm_gfx.h"
#include "game/ui/tumbo_kelvo_console.h"
#include "game/ui/tumbo_kelvo_game_hud.h"
#include "support/gl_velm_gfx.h"
#include "support/source_file.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

struct SBox {
    int x0, y0, x1, y1;
};

// The HUD and the console drawn with the shipped textures on the OpenGL device at 800 x 600,
// probed at pixels; each frame is also saved beside the test for a look.
class GlHudConsoleTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_skip = m_gl.Start(kWidth, kHeight, tktest::SourceFile("data/files/fx/"),
                            tktest::SourceFile("data/arts/textures/"));
    }

    void Frame(velm::gfx::IScreenUnit* unit, const std::string& shot) {
        ASSERT_EQ(m_gl.Frame({unit}, shot).size(), static_cast<std::size_t>(kWidth * kHeight * 4));
    }
    std::array<int, 3> At(int x, int y) const { return m_gl.At(x, y); }
    // Pixels of the box whose three channels all pass `bright`: text drawn in white.
    int WhitePixels(const SBox& box) const {
        int count = 0;
        for (int y = box.y0; y < box.y1; ++y) {
            for (int x = box.x0; x < box.x1; ++x) {
                const auto p = At(x, y);
                count += p[0] > 200 && p[1] > 200 && p[2] > 200 ? 1 : 0;
            }
        }
        return count;
    }
    static bool Near(const std::array<int, 3>& p, const std::array<int, 3>& want, int tolerance) {
        for (int i = 0; i < 3; ++i) {
            if (std::abs(p[i] - want[i]) > tolerance) {
                return false;
            }
        }
        return true;
    }

    std::string m_skip;
    tktest::CGlVelmGfx m_gl;
};

TEST_F(GlHudConsoleTest, TheHudDrawsItsPicturesAndTextsAtTheirPlaces) {
    if (!m_skip.empty()) {
        GTEST_SKIP() << m_skip;
    }
    kelvo::TumboKelvoGameHUD hud;
    hud.Init();
    hud.SetProgressSource([](std::uint32_t id) { return id == 1 ? 0.5f : 0.0f; });
    hud.AddRacerEntry(1, 1); // monkey, slot 1
    hud.AddRacerEntry(2, 2); // bear, slot 2
    hud.SetPlace(1);
    hud.StartItemSpin(0.0f, 0.0f, 7);
    hud.StopItemSpin();
    hud.SetSpeed(42);
    hud.Update(16);
    Frame(&hud, "hud_without_panel.png");
    EXPECT_EQ(WhitePixels({640, 550, 760, 570}), 0) << "the race panel waits for the race";
    hud.SetRacePanelShown(true);
    hud.ShowHitOverlay();
    hud.Update(16);
    Frame(&hud, "hud_800x600.png");

    EXPECT_TRUE(Near(At(356, 40), {230, 180, 30}, 40)) << "the drill's body in the item slot at (336, 10)";
    EXPECT_EQ(At(420, 40), (std::array<int, 3>{0, 0, 0})) << "right of the item slot";
    const auto gold = At(29, 40);
    EXPECT_TRUE(gold[0] > 200 && gold[1] > 130 && gold[2] < 120) << "the gold 1 of 1st at (10, 10)";
    EXPECT_TRUE(Near(At(42 + 27, 132), {250, 205, 40}, 40)) << "the monkey's yellow rim on slot 1";
    EXPECT_TRUE(Near(At(42 + 27, 196), {40, 150, 70}, 40)) << "the bear's green rim on slot 2";
    EXPECT_TRUE(Near(At(42, 132 + 64 + 40), {0, 0, 0}, 0)) << "between the ladder slots";
    // The level map from (625, 80), 179 x 461 on screen; the head of progress 0.5 at (749, 320).
    const auto map = At(640, 300);
    EXPECT_GT(map[0] + map[1] + map[2], 80) << "inside the map";
    EXPECT_EQ(At(630, 575), (std::array<int, 3>{0, 0, 0})) << "below the map";
    EXPECT_TRUE(Near(At(749, 320), {222, 180, 130}, 50))
        << "the monkey's face halfway down: " << ::testing::PrintToString(At(749, 320));
    EXPECT_TRUE(Near(At(749, 90), {165, 120, 80}, 50))
        << "the bear's face at the top: " << ::testing::PrintToString(At(749, 90));
    EXPECT_GT(WhitePixels({640, 550, 760, 570}), 10) << "the speed text at (640, 550)";
    EXPECT_EQ(WhitePixels({560, 550, 636, 570}), 0) << "nothing left of the speed text";
    EXPECT_GT(WhitePixels({640, 20, 760, 40}), 10) << "the clock text at (640, 20)";
    EXPECT_TRUE(Near(At(395, 340), {255, 210, 40}, 50))
        << "the warning overlay at the screen's middle: " << ::testing::PrintToString(At(395, 340));
    EXPECT_EQ(hud.GetClockText().size(), 8u);
}

TEST_F(GlHudConsoleTest, TheOpenConsoleDrawsItsPanelInputLineAndScrollback) {
    if (!m_skip.empty()) {
        GTEST_SKIP() << m_skip;
    }
    kelvo::TumboKelvoConsole console;
    console.Init();
    console.PrintW(L"hello from the script");
    auto key = [&console](std::uint32_t code) {
        velm::input::SInputEvent event;
        event.m_code = code;
        event.m_value = 0;
        console.HandleInput(event);
        event.m_value = 1;
        console.HandleInput(event);
    };
    Frame(&console, "console_closed.png");
    EXPECT_EQ(At(400, 100), (std::array<int, 3>{0, 0, 0})) << "closed, it draws nothing";
    key(kelvo::TumboKelvoConsole::kGraveKey);
    for (std::uint32_t code : {30u, 48u, 46u}) { // a b c
        key(code);
    }
    Frame(&console, "console_800x600.png");
    const auto panel = At(400, 100);
    EXPECT_TRUE(panel[2] > panel[0] && panel[2] > 20) << "the blue panel spans the screen's top";
    EXPECT_EQ(At(400, 300), (std::array<int, 3>{0, 0, 0})) << "below the panel";
    EXPECT_GT(WhitePixels({20, 240, 70, 256}), 5) << "the typed line at (20, 240)";
    EXPECT_GT(WhitePixels({20, 217, 200, 233}), 20) << "the newest printed line just above it";
    EXPECT_EQ(WhitePixels({20, 202, 200, 216}), 0) << "one line printed: the next row is empty";
    const auto right = At(kWidth - 3, 100);
    EXPECT_EQ(right, (std::array<int, 3>{0, 0, 0})) << "5 pixels kept free at the right";
}

} // namespace

// At the shipped window size a printed text of six lines (the racers' list) and lines wider than
// the screen are drawn on rows of their own, every one inside the panel: nothing runs down over
// the input line or below the panel, nor off its right edge.
TEST(GlConsolePanelTest, EveryPrintedRowStaysInsideThePanel) {
    constexpr int kShippedWidth = 1024;
    constexpr int kShippedHeight = 768;
    tktest::CGlVelmGfx gl;
    const std::string skip = gl.Start(kShippedWidth, kShippedHeight, tktest::SourceFile("data/files/fx/"),
                                      tktest::SourceFile("data/arts/textures/"));
    if (!skip.empty()) {
        GTEST_SKIP() << skip;
    }
    kelvo::TumboKelvoConsole console;
    console.Init();
    std::string words;
    for (int i = 0; i < 40; ++i) {
        words += "paddle" + std::to_string(i) + " ";
    }
    for (const char* older : {"dropped", "first", "second"}) {
        console.Print(older);
    }
    console.Print(words);
    console.Print(std::string(300, 'W'));
    console.Print("1 monkey<----- YOU\n2 bear\n3 alien\n4 fish\n5 hillbilly\n6 moviestar\n");
    auto key = [&console](std::uint32_t code) {
        console.HandleInput({code, 0, 0, 0});
        console.HandleInput({code, 1, 0, 0});
    };
    key(kelvo::TumboKelvoConsole::kGraveKey);
    for (std::uint32_t code : {30u, 48u, 46u}) { // a b c
        key(code);
    }
    const std::vector<std::uint8_t>& pixels = gl.Frame({&console}, "console_1024x768.png");
    ASSERT_EQ(pixels.size(), static_cast<std::size_t>(kShippedWidth * kShippedHeight * 4));
    auto white = [&gl](int x0, int y0, int x1, int y1) {
        int count = 0;
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                const auto p = gl.At(x, y);
                count += p[0] > 200 && p[1] > 200 && p[2] > 200 ? 1 : 0;
            }
        }
        return count;
    };
    EXPECT_EQ(console.GetLineSprite(1)->GetText(), L"6 moviestar") << "the list's last line is the newest row";
    EXPECT_EQ(console.GetLineSprite(6)->GetText(), L">1 monkey<----- YOU");
    EXPECT_EQ(console.GetLineSprite(15)->GetText(), L">first") << "15 rows: what is older is not drawn";
    EXPECT_GT(white(20, 7, 400, 22), 20) << "the rows fill the panel up to its top";
    EXPECT_GT(white(20, 240, 60, 256), 5) << "the typed line";
    EXPECT_EQ(white(70, 236, kShippedWidth, 261), 0) << "nothing printed runs over the input line";
    EXPECT_EQ(white(0, 261, kShippedWidth, kShippedHeight), 0) << "nothing below the panel (5 + 256 pixels)";
    EXPECT_EQ(white(kShippedWidth - 20, 0, kShippedWidth, 261), 0) << "nothing past the rows' right margin";
}
