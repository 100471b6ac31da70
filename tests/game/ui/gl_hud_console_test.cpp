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

// Starts the OpenGL device at a window size with the shipped effects and textures; gives why it
// could not, or nothing.
std::string StartShipped(tktest::CGlVelmGfx& gl, int width, int height) {
    return gl.Start(width, height, tktest::SourceFile("data/files/fx/"), tktest::SourceFile("data/arts/textures/"));
}

// The HUD and the console drawn with the shipped textures on the OpenGL device at 800 x 600,
// probed at pixels; each frame is also saved beside the test for a look.
class GlHudConsoleTest : public ::testing::Test {
protected:
    void SetUp() override { m_skip = StartShipped(m_gl, kWidth, kHeight); }

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
    // The ladder and the map at 0.78125 of their 1024 x 768 size: slots 50 pixels high from
    // (32, 103), the map 140 x 360 from (664, 62), the heads on its rail at x 760.
    EXPECT_TRUE(Near(At(32 + 21, 103), {250, 205, 40}, 40)) << "the monkey's yellow rim on slot 1";
    EXPECT_TRUE(Near(At(32 + 21, 153), {40, 150, 70}, 40)) << "the bear's green rim on slot 2";
    EXPECT_TRUE(Near(At(32, 153 + 32), {0, 0, 0}, 0)) << "below the second slot";
    const auto map = At(680, 300);
    EXPECT_GT(map[0] + map[1] + map[2], 80) << "inside the map";
    EXPECT_EQ(At(650, 300), (std::array<int, 3>{0, 0, 0})) << "left of the map";
    EXPECT_EQ(At(700, 480), (std::array<int, 3>{0, 0, 0})) << "below the map";
    EXPECT_TRUE(Near(At(760, 249), {222, 180, 130}, 50))
        << "the monkey's face halfway down: " << ::testing::PrintToString(At(760, 249));
    EXPECT_TRUE(Near(At(760, 72), {165, 120, 80}, 50))
        << "the bear's face at the top, whole inside the map: " << ::testing::PrintToString(At(760, 72));
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
    const std::string skip = StartShipped(gl, kShippedWidth, kShippedHeight);
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

namespace {

struct SScreenSize {
    int m_width;
    int m_height;
};
// The shipped window and the smaller one the game also runs in.
const SScreenSize kSizes[] = {{800, 600}, {1024, 768}};

// The first and last pixel drawn (not black) along part of a row or a column; -1 where none is.
struct SSpan {
    int m_first = -1;
    int m_last = -1;
};

bool Lit(const std::array<int, 3>& p) { return p[0] + p[1] + p[2] > 0; }

SSpan RowSpan(const tktest::CGlVelmGfx& gl, int y, int x0, int x1) {
    SSpan span;
    for (int x = x0; x < x1; ++x) {
        if (Lit(gl.At(x, y))) {
            span.m_first = span.m_first < 0 ? x : span.m_first;
            span.m_last = x;
        }
    }
    return span;
}

SSpan ColumnSpan(const tktest::CGlVelmGfx& gl, int x, int y0, int y1) {
    SSpan span;
    for (int y = y0; y < y1; ++y) {
        if (Lit(gl.At(x, y))) {
            span.m_first = span.m_first < 0 ? y : span.m_first;
            span.m_last = y;
        }
    }
    return span;
}

// The map's box in a frame of the HUD: across the middle row of the screen's right half, and down
// a column near its right edge, where neither the rail's heads nor the texts reach.
struct SMapBox {
    SSpan m_across;
    SSpan m_down;
};

SMapBox MapBox(const tktest::CGlVelmGfx& gl, const SScreenSize& size) {
    SMapBox box;
    box.m_across = RowSpan(gl, size.m_height / 2, size.m_width / 2, size.m_width);
    const int column = box.m_across.m_first + (box.m_across.m_last - box.m_across.m_first) * 17 / 20;
    box.m_down = ColumnSpan(gl, column, 0, size.m_height);
    return box;
}

// A HUD of the race panel with its clock held at zero, so that two frames differ only where the
// test changes something.
void ReadyHud(kelvo::TumboKelvoGameHUD& hud) {
    hud.Init();
    hud.ResetRaceClock();
    hud.SetRacePanelShown(true);
}

} // namespace

// The map with its heads and the ladder of portraits are laid out for 1024 x 768 and drawn at
// 800 x 600 at the same share of the screen, as the other screens are.
TEST(GlHudScaleTest, TheMapAndTheLadderTakeTheSameShareOfTheScreenAtEitherSize) {
    std::vector<std::array<double, 8>> shares;
    for (const SScreenSize& size : kSizes) {
        const std::string name = std::to_string(size.m_width) + "x" + std::to_string(size.m_height);
        tktest::CGlVelmGfx gl;
        const std::string skip = StartShipped(gl, size.m_width, size.m_height);
        if (!skip.empty()) {
            GTEST_SKIP() << skip;
        }
        kelvo::TumboKelvoGameHUD hud;
        ReadyHud(hud);
        hud.SetProgressSource([](std::uint32_t id) { return 0.15f * static_cast<float>(id); });
        for (std::uint32_t character = 1; character <= 6; ++character) {
            hud.AddRacerEntry(character, character);
        }
        hud.Update(16);
        gl.Frame({&hud}, "hud_ladder_and_map_" + name + ".png");
        const SMapBox map = MapBox(gl, size);
        // Through the first portrait's middle and down the ladder's middle, where they stand at
        // 1024 x 768: (42, 132) and slots 64 pixels apart.
        const double w = size.m_width;
        const double h = size.m_height;
        const SSpan ladderAcross = RowSpan(gl, static_cast<int>(h * 132.0 / 768.0), 0, size.m_width / 4);
        const SSpan ladderDown = ColumnSpan(gl, static_cast<int>(w * 42.0 / 1024.0), 0, size.m_height);
        for (const SSpan& span : {map.m_across, map.m_down, ladderAcross, ladderDown}) {
            ASSERT_GE(span.m_first, 0) << name << ": a map or ladder edge not found";
        }
        shares.push_back({map.m_across.m_first / w, (map.m_across.m_last + 1) / w, map.m_down.m_first / h,
                          (map.m_down.m_last + 1) / h, ladderAcross.m_first / w, (ladderAcross.m_last + 1) / w,
                          ladderDown.m_first / h, (ladderDown.m_last + 1) / h});
    }
    const char* const what[] = {"map's left",    "map's right",    "map's top",    "map's bottom",
                                "ladder's left", "ladder's right", "ladder's top", "ladder's bottom"};
    for (std::size_t i = 0; i < shares[0].size(); ++i) {
        // Two pixels of 800 for the rounding of positions and the filtering of scaled edges.
        EXPECT_NEAR(shares[0][i], shares[1][i], 2.0 / 800.0)
            << "the " << what[i] << " edge at 800 x 600 and at 1024 x 768";
    }
    EXPECT_NEAR(shares[1][3] - shares[1][2], 461.0 / 768.0, 2.0 / 768.0) << "the map's shipped height";
    EXPECT_NEAR(shares[1][7] - shares[1][6], 6.0 * 64.0 / 768.0, 3.0 / 768.0) << "six portraits' height";
}

// A racer's head runs down the map's rail with its course progress: at the start, halfway, at
// the finish line, at the rail's end and past it (the course goes on past the finish) the whole
// head stays inside the map's frame, at either window size.
TEST(GlHudScaleTest, AHeadStaysWholeInsideTheMapFromTheStartToPastTheFinish) {
    // Progress 0.948 is the finish line's place on the map.
    const float progresses[] = {0.0f, 0.5f, 0.948f, 1.0f, 1.5f};
    for (const SScreenSize& size : kSizes) {
        const std::string name = std::to_string(size.m_width) + "x" + std::to_string(size.m_height);
        tktest::CGlVelmGfx gl;
        const std::string skip = StartShipped(gl, size.m_width, size.m_height);
        if (!skip.empty()) {
            GTEST_SKIP() << skip;
        }
        kelvo::TumboKelvoGameHUD hud;
        ReadyHud(hud);
        float progress = 0.0f;
        hud.SetProgressSource([&progress](std::uint32_t) { return progress; });
        hud.Update(16);
        const std::vector<std::uint8_t> bare = gl.Frame({&hud});
        const SMapBox map = MapBox(gl, size);
        ASSERT_GE(map.m_down.m_first, 0) << name;
        hud.AddRacerEntry(1, 1);
        int lastTop = -1;
        SSpan lastAcross;
        SSpan lastDown;
        for (float p : progresses) {
            progress = p;
            hud.Update(16);
            gl.Frame({&hud}, p == 1.5f ? "hud_head_past_the_finish_" + name + ".png" : "");
            // The head is what this frame has more than the bare one, right of the ladder.
            SSpan across;
            SSpan down;
            for (int y = 0; y < size.m_height; ++y) {
                for (int x = size.m_width / 2; x < size.m_width; ++x) {
                    const auto now = gl.At(x, y);
                    const auto before = gl.At(bare, x, y);
                    if (std::abs(now[0] - before[0]) + std::abs(now[1] - before[1]) + std::abs(now[2] - before[2]) >
                        24) {
                        across.m_first = across.m_first < 0 ? x : std::min(across.m_first, x);
                        across.m_last = std::max(across.m_last, x);
                        down.m_first = down.m_first < 0 ? y : down.m_first;
                        down.m_last = y;
                    }
                }
            }
            ASSERT_GE(down.m_first, 0) << name << ", progress " << p << ": no head drawn";
            EXPECT_GE(across.m_first, map.m_across.m_first) << name << ", progress " << p;
            EXPECT_LE(across.m_last, map.m_across.m_last) << name << ", progress " << p;
            EXPECT_GE(down.m_first, map.m_down.m_first) << name << ", progress " << p << ": above the map";
            EXPECT_LE(down.m_last, map.m_down.m_last) << name << ", progress " << p << ": below the map";
            EXPECT_GE(down.m_first, lastTop) << name << ", progress " << p << ": the head went back up";
            if (p == 1.5f) {
                EXPECT_EQ(down.m_first, lastDown.m_first) << name << ": past the rail's end the head stays";
                EXPECT_EQ(across.m_first, lastAcross.m_first) << name;
            }
            lastTop = down.m_first;
            lastAcross = across;
            lastDown = down;
        }
    }
}
