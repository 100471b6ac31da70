// The victory screen after a win as the OpenGL device draws it at 1024 x 768: the trophy turning
// over the winner reads as a cup, gold, with a bowl and a base either side of a narrow stem, from
// whichever side it shows. With TK_SCREEN_SHOTS naming a folder the first look is saved there as
// victory_trophy.png.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/core/velm_camera.h"
#include "game/ui/end_race_gui.h"
#include "game/ui/victory_screen.h"
#include "game/world/kelvo_model.h"
#include "running_game.h"

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

struct SSilhouette {
    std::vector<int> m_widths; // of the trophy's drawn pixels, row by row from its top
    int m_pixels = 0;
    int m_gold = 0;
};

// The trophy's pixels: where the frame with it differs from the frame without it, inside the box
// its drawn points project to (its reflection in the river lies outside).
SSilhouette Silhouette(tktest::CRunningGame& run, kelvo::CKelvoModel& trophy, const std::string& shot) {
    SSilhouette silhouette;
    const std::vector<std::uint8_t> shown = run.Draw(shot);
    trophy.GetGfxUnit()->SetSkipped(1);
    const std::vector<std::uint8_t> without = run.Draw();
    trophy.GetGfxUnit()->SetSkipped(0);
    if (shown.size() != static_cast<std::size_t>(kWidth * kHeight * 4) || without.size() != shown.size()) {
        return silhouette;
    }
    const velm::CVelmCamera* camera = run.Game().GetCamera();
    D3DXMATRIX toScreen;
    const D3DXMATRIX view = camera->GetViewMatrix();
    const D3DXMATRIX projection = camera->GetProjectionMatrix();
    D3DXMatrixMultiply(&toScreen, &view, &projection);
    int left = kWidth;
    int right = 0;
    int top = kHeight;
    int bottom = 0;
    for (const tktest::SDrawnPoint& point : tktest::DrawnPoints(trophy.GetGfxUnit())) {
        D3DXVECTOR3 at;
        D3DXVec3TransformCoord(&at, &point.m_position, &toScreen);
        const int x = static_cast<int>((at.x + 1.0f) * 0.5f * kWidth);
        const int y = static_cast<int>((1.0f - at.y) * 0.5f * kHeight);
        left = std::min(left, x - 2);
        right = std::max(right, x + 2);
        top = std::min(top, y - 2);
        bottom = std::max(bottom, y + 2);
    }
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, kWidth - 1);
    bottom = std::min(bottom, kHeight - 1);
    for (int y = top; y <= bottom; ++y) {
        int first = -1;
        int last = -1;
        for (int x = left; x <= right; ++x) {
            const std::size_t i = (static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x)) * 4;
            const int b = shown[i];
            const int g = shown[i + 1];
            const int r = shown[i + 2];
            if (std::abs(b - without[i]) + std::abs(g - without[i + 1]) + std::abs(r - without[i + 2]) <= 30) {
                continue;
            }
            first = first < 0 ? x : first;
            last = x;
            ++silhouette.m_pixels;
            silhouette.m_gold += r > 100 && r >= g && g > b + 25 && r > b + 60 ? 1 : 0;
        }
        if (first >= 0 || !silhouette.m_widths.empty()) {
            silhouette.m_widths.push_back(first >= 0 ? last - first + 1 : 0);
        }
    }
    while (!silhouette.m_widths.empty() && silhouette.m_widths.back() == 0) {
        silhouette.m_widths.pop_back();
    }
    return silhouette;
}

int Widest(const std::vector<int>& widths, std::size_t from, std::size_t to) {
    return *std::max_element(widths.begin() + static_cast<std::ptrdiff_t>(from),
                             widths.begin() + static_cast<std::ptrdiff_t>(to));
}

int Narrowest(const std::vector<int>& widths, std::size_t from, std::size_t to) {
    return *std::min_element(widths.begin() + static_cast<std::ptrdiff_t>(from),
                             widths.begin() + static_cast<std::ptrdiff_t>(to));
}

TEST(VictoryFrameTest, TheTrophyOverTheWinnerIsAGoldCupFromEverySide) {
    tktest::CRunningGame run("gl");
    if (!run.DrawsWithOpenGl()) {
        GTEST_SKIP() << "no OpenGL 3.3 core device offscreen";
    }
    kelvo::CTumboKelvoGame& game = run.Game();
    ASSERT_TRUE(run.StartRace(1));
    ASSERT_TRUE(run.StepUntil("RacingState", 600));
    run.Step(60);
    kelvo::CEndRaceGUI* board = game.GetEndRaceGUI();
    ASSERT_TRUE(board->AddResultRow(game.GetLocalRacerId()));
    kelvo::CButtonPressedNextRace{*board}();
    ASSERT_TRUE(game.GetVictoryScreen()->IsTrophyShown());
    // The racers hold their poses while a moment is drawn twice: every drawing moves animations on.
    for (std::uint32_t id : game.GetRacerIds()) {
        game.FindModel(id)->SetAnimationSpeed(0.0f);
    }
    const char* shots = std::getenv("TK_SCREEN_SHOTS");
    // The trophy turns a fortieth of a turn a frame: looks a quarter turn apart show its front and
    // its side.
    for (int look = 0; look < 4; ++look) {
        run.Step(look == 0 ? 3 : 20);
        auto* trophy = dynamic_cast<kelvo::CKelvoModel*>(game.FindModel(game.GetVictoryScreen()->GetTrophyId()));
        ASSERT_NE(trophy, nullptr);
        const SSilhouette cup =
            Silhouette(run, *trophy, shots != nullptr && look == 0 ? std::string(shots) + "/victory_trophy.png" : "");
        const std::vector<int>& w = cup.m_widths;
        ASSERT_GE(w.size(), 40u) << "look " << look << ": the trophy stands " << w.size() << " rows high";
        // A bowl over the upper third, a base at the foot, and a stem between narrower than both.
        const std::size_t n = w.size();
        const int bowl = Widest(w, 0, n / 3);
        const int stem = Narrowest(w, n * 2 / 5, n * 7 / 10);
        const int base = Widest(w, n * 4 / 5, n);
        EXPECT_GE(bowl, 2 * stem) << "look " << look << ": bowl " << bowl << ", stem " << stem;
        EXPECT_GE(base, 2 * stem) << "look " << look << ": base " << base << ", stem " << stem;
        EXPECT_GE(cup.m_gold * 5, cup.m_pixels * 2)
            << "look " << look << ": " << cup.m_gold << " of " << cup.m_pixels << " pixels gold";
    }
}

} // namespace
