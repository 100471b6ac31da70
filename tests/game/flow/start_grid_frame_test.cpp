// The start grid as the renderer draws it at 1024 x 768 on the OpenGL device: behind each racer
// in turn, as its player sees it, the rear of its tube shows the tube's own colours above the
// river, which writes depth and so cuts off whatever lies under its surface. Each character's
// frame is drawn with and without that racer (the others left out of both, so none stands in the
// way); a tube point counts where the two differ and the colour is the tube's rather than the
// water's. With TK_SCREEN_SHOTS naming a folder the frames are saved there as grid_<name>.png.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/core/velm_camera.h"
#include "game/flow/tumbo_kelvo_camera.h"
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
constexpr float kAboveStill = 0.04f;

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

TEST(StartGridFrameTest, BehindEachRacerItsTubeShowsItsColoursAboveTheWater) {
    tktest::CRunningGame run("gl");
    if (!run.DrawsWithOpenGl()) {
        GTEST_SKIP() << "no OpenGL 3.3 core device offscreen";
    }
    ASSERT_TRUE(run.StartRace(1));
    run.Step(180);
    kelvo::CTumboKelvoGame& game = run.Game();
    const char* shots = std::getenv("TK_SCREEN_SHOTS");
    for (const SCharacter& character : kCharacters) {
        kelvo::CKelvoModel* racer = nullptr;
        for (std::uint32_t id : game.GetRacerIds()) {
            auto* model = dynamic_cast<kelvo::CKelvoModel*>(game.FindModel(id));
            if (model != nullptr && model->GetObjectType() == character.m_type) {
                racer = model;
            }
        }
        ASSERT_NE(racer, nullptr) << character.m_name;
        game.GetRaceCamera()->SetTarget(racer);
        run.Step(2);
        ShowOnly(game, racer->GetID());
        const std::vector<std::uint8_t> shown =
            run.Draw(shots != nullptr ? std::string(shots) + "/grid_" + character.m_name + ".png" : std::string());
        racer->GetGfxUnit()->SetSkipped(1);
        const std::vector<std::uint8_t> water = run.Draw();
        ShowOnly(game, 0);
        ASSERT_EQ(shown.size(), static_cast<std::size_t>(kWidth * kHeight * 4));
        ASSERT_EQ(water.size(), shown.size());

        // The tube's points on its near half that face the camera and stand above the still
        // surface (the drawn river's waves run over a few of them at any time).
        common::CVector3 surface;
        ASSERT_TRUE(tktest::CRunningGame::SurfaceUnder(*racer, surface)) << character.m_name;
        const velm::CVelmCamera* camera = game.GetCamera();
        D3DXMATRIX toScreen;
        const D3DXMATRIX view = camera->GetViewMatrix();
        const D3DXMATRIX projection = camera->GetProjectionMatrix();
        D3DXMatrixMultiply(&toScreen, &view, &projection);
        const common::CVector3 eyeAt = camera->GetEye();
        const D3DXVECTOR3 eye(eyeAt.x, eyeAt.y, eyeAt.z);
        const common::CVector3 centreAt = racer->GetPosition();
        const D3DXVECTOR3 centre(centreAt.x, centreAt.y, centreAt.z);
        int probed = 0;
        int showing = 0;
        for (const tktest::SDrawnPoint& point : tktest::TubePoints(*racer)) {
            const D3DXVECTOR3 toEye = eye - point.m_position;
            const D3DXVECTOR3 fromCentre = point.m_position - centre;
            if (point.m_position.y < surface.y + kAboveStill || D3DXVec3Dot(&point.m_normal, &toEye) <= 0.0f ||
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
            ++probed;
            const SRgb drawn = At(shown, x, y);
            const SRgb river = At(water, x, y);
            const float tubeHue =
                std::min(HueDistance(drawn, character.m_vessel), HueDistance(drawn, character.m_stripe));
            if (Difference(drawn, river) > 60.0f && tubeHue < HueDistance(drawn, river)) {
                ++showing;
            }
        }
        // A tube under the water leaves no points above it, or none showing.
        EXPECT_GE(probed, 8) << character.m_name << ": too little of the tube stands above the still surface";
        EXPECT_GE(showing * 2, probed) << character.m_name << ": " << showing << " of " << probed
                                       << " points of the tube's near half show its colours";
    }
}

} // namespace
