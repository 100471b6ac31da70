// The start grid as the renderer draws it at 1024 x 768 on the OpenGL device, for the player's
// racer of each character in turn, behind it as the race camera shows it: the upper half of its
// tube shows the tube's own colours above the river, which writes depth and so cuts off whatever
// lies under its drawn surface. Each look is drawn with and without the racer (the others left
// out of both, so none stands in the way); a tube point counts where the two differ and the
// colour is the tube's rather than the water's. With TK_SCREEN_SHOTS naming a folder the first
// look at each is saved there as grid_<name>.png.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/core/velm_camera.h"
#include "game/world/kelvo_model.h"
#include "running_game.h"

namespace {

using SRgb = std::array<float, 3>;

struct SCharacter {
    std::uint32_t m_type;
    const char* m_name;
    SRgb m_vessel; // the tube's two colours in the character's palette
    SRgb m_stripe;
};

const SCharacter kCharacters[] = {
    {1, "monkey", {250, 205, 40}, {240, 120, 30}},    {2, "bear", {40, 150, 70}, {240, 230, 90}},
    {3, "alien", {150, 80, 200}, {180, 190, 205}},    {4, "fish", {250, 120, 30}, {60, 200, 220}},
    {5, "hillbilly", {200, 40, 35}, {245, 245, 240}}, {6, "moviestar", {235, 190, 60}, {230, 60, 140}},
};

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr float kFacing = 0.3f;
// The tube's upper half starts this far above its middle: its outermost ring, at the middle, is
// the waterline at rest.
constexpr float kAboveMiddle = 0.02f;
constexpr int kLooks = 3;

SRgb At(const std::vector<std::uint8_t>& bgra, int x, int y) {
    const std::size_t i = (static_cast<std::size_t>(y) * kWidth + static_cast<std::size_t>(x)) * 4;
    return {static_cast<float>(bgra[i + 2]), static_cast<float>(bgra[i + 1]), static_cast<float>(bgra[i])};
}

// How far apart two colours' hues lie, whatever their brightness (light and shade scale a colour).
float HueDistance(const SRgb& a, const SRgb& b) {
    const float sa = a[0] + a[1] + a[2] + 1.0f;
    const float sb = b[0] + b[1] + b[2] + 1.0f;
    float d = 0.0f;
    for (int c = 0; c < 3; ++c) {
        d += std::fabs(a[c] / sa - b[c] / sb);
    }
    return d;
}

float Difference(const SRgb& a, const SRgb& b) {
    return std::fabs(a[0] - b[0]) + std::fabs(a[1] - b[1]) + std::fabs(a[2] - b[2]);
}

void ShowOnly(kelvo::CTumboKelvoGame& game, std::uint32_t shownId) {
    for (std::uint32_t id : game.GetRacerIds()) {
        if (const auto* racer = dynamic_cast<const kelvo::CKelvoModel*>(game.FindModel(id))) {
            racer->GetGfxUnit()->SetSkipped(id == shownId ? 0 : 1);
        }
    }
}

struct SProbe {
    int m_probed = 0;  // points of the tube's upper half on its near side, facing the camera
    int m_showing = 0; // of those, the ones drawn in the tube's colours
};

// One frame behind the racer as the race camera shows it, drawn with and without the racer.
SProbe ProbeTube(tktest::CRunningGame& run, kelvo::CKelvoModel& racer, const SCharacter& character,
                 const std::string& shot) {
    SProbe probe;
    kelvo::CTumboKelvoGame& game = run.Game();
    ShowOnly(game, racer.GetID());
    const std::vector<std::uint8_t> shown = run.Draw(shot);
    racer.GetGfxUnit()->SetSkipped(1);
    const std::vector<std::uint8_t> water = run.Draw();
    ShowOnly(game, 0);
    EXPECT_EQ(shown.size(), static_cast<std::size_t>(kWidth * kHeight * 4));
    EXPECT_EQ(water.size(), shown.size());
    if (shown.size() != water.size() || shown.size() != static_cast<std::size_t>(kWidth * kHeight * 4)) {
        return probe;
    }

    // The points of the tube's upper half on its near side that plainly face the camera (those
    // on its outline may fall either side of it).
    const std::vector<tktest::SDrawnPoint> tube = tktest::TubePoints(racer);
    float lowest = 1e9f;
    float highest = -1e9f;
    for (const tktest::SDrawnPoint& point : tube) {
        lowest = std::min(lowest, point.m_position.y);
        highest = std::max(highest, point.m_position.y);
    }
    const float middle = (lowest + highest) / 2.0f;
    const velm::CVelmCamera* camera = game.GetCamera();
    D3DXMATRIX toScreen;
    const D3DXMATRIX view = camera->GetViewMatrix();
    const D3DXMATRIX projection = camera->GetProjectionMatrix();
    D3DXMatrixMultiply(&toScreen, &view, &projection);
    const common::CVector3 eyeAt = camera->GetEye();
    const D3DXVECTOR3 eye(eyeAt.x, eyeAt.y, eyeAt.z);
    const common::CVector3 centreAt = racer.GetPosition();
    const D3DXVECTOR3 centre(centreAt.x, centreAt.y, centreAt.z);
    for (const tktest::SDrawnPoint& point : tube) {
        D3DXVECTOR3 toEye = eye - point.m_position;
        D3DXVec3Normalize(&toEye, &toEye);
        const D3DXVECTOR3 fromCentre = point.m_position - centre;
        if (point.m_position.y < middle + kAboveMiddle || D3DXVec3Dot(&point.m_normal, &toEye) < kFacing ||
            fromCentre.x * (eye.x - centre.x) + fromCentre.z * (eye.z - centre.z) <= 0.0f) {
            continue;
        }
        D3DXVECTOR3 at;
        D3DXVec3TransformCoord(&at, &point.m_position, &toScreen);
        const int x = static_cast<int>((at.x + 1.0f) * 0.5f * kWidth);
        const int y = static_cast<int>((1.0f - at.y) * 0.5f * kHeight);
        if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) {
            continue;
        }
        ++probe.m_probed;
        const SRgb drawn = At(shown, x, y);
        const SRgb river = At(water, x, y);
        const float tubeHue = std::min(HueDistance(drawn, character.m_vessel), HueDistance(drawn, character.m_stripe));
        if (Difference(drawn, river) > 60.0f && tubeHue < HueDistance(drawn, river)) {
            ++probe.m_showing;
        }
    }
    return probe;
}

// The player's racer of each character in turn, a few frames apart as the river's waves run.
TEST(StartGridFrameTest, BehindEachPlayersRacerItsTubeShowsItsColoursAboveTheWater) {
    tktest::CRunningGame run("gl");
    if (!run.DrawsWithOpenGl()) {
        GTEST_SKIP() << "no OpenGL 3.3 core device offscreen";
    }
    kelvo::CTumboKelvoGame& game = run.Game();
    const char* shots = std::getenv("TK_SCREEN_SHOTS");
    for (const SCharacter& character : kCharacters) {
        ASSERT_TRUE(run.StartRace(character.m_type)) << character.m_name;
        run.Step(150);
        auto* racer = dynamic_cast<kelvo::CKelvoModel*>(game.GetLocalRacerModel());
        ASSERT_NE(racer, nullptr) << character.m_name;
        ASSERT_EQ(racer->GetObjectType(), character.m_type);
        SProbe total;
        for (int look = 0; look < kLooks; ++look) {
            run.Step(20);
            const SProbe probe = ProbeTube(
                run, *racer, character,
                shots != nullptr && look == 0 ? std::string(shots) + "/grid_" + character.m_name + ".png" : "");
            total.m_probed += probe.m_probed;
            total.m_showing += probe.m_showing;
        }
        ShowOnly(game, 0);
        ASSERT_GE(total.m_probed, 4 * kLooks) << character.m_name << ": the tube is out of the picture";
        EXPECT_GE(total.m_showing * 2, total.m_probed)
            << character.m_name << ": " << total.m_showing << " of " << total.m_probed
            << " points of the tube's upper half show its colours";
        game.ResetRace();
    }
}

} // namespace
