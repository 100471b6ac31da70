#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/gfx/3d_quad.h"
#include "gl_test_frame.h"

namespace {

using tktest::SPixel;
using velm::gfx::CGfxUnit;

// Units drawn through the renderer on the OpenGL device in a 64 x 64 frame, probed at pixels:
// the camera at z = -2 looks along +z with a 90-degree field of view, so world x and y in
// [-2, 2] at z = 0 fill the frame.
class GlUnitsTest : public tktest::CGlFrameTest {
protected:
    void SetUp() override {
        StartDevice(
            {{"TextureMapping.fx",
              tktest::LitEffect({"TextureMapping"}, 1, tktest::Textures({"g_Texture1"}), "g_Texture1")},
             {"Billboard.fx", tktest::LitEffect({"RenderBillboard"}, 1, tktest::Textures({"g_BillboardTexture"}),
                                                "g_BillboardTexture", true)}});
        if (!m_skip.empty() || HasFatalFailure()) {
            return;
        }
        m_dir.Write("red.bmp", tktest::SolidBmp(255, 0, 0));
        m_dir.Write("green.bmp", tktest::SolidBmp(0, 255, 0));
        D3DLIGHT9 light = {};
        light.Type = D3DLIGHT_DIRECTIONAL;
        light.Direction = {0.0f, 0.0f, 1.0f};
        light.Diffuse = {0.5f, 0.5f, 0.5f, 1.0f};
        light.Ambient = {0.25f, 0.25f, 0.25f, 1.0f};
        velm::gfx::LightsManager::Instance().SetLight(light, 0);
        Look(D3DXVECTOR3(0.0f, 0.0f, -2.0f), D3DXVECTOR3(0.0f, 0.0f, 0.0f), D3DXVECTOR3(0.0f, 1.0f, 0.0f));
    }

    static std::vector<std::uint8_t> Draw(CGfxUnit* unit) { return CGlFrameTest::Draw({unit}); }
};

TEST_F(GlUnitsTest, ALitTexturedUnitCoversItsPixelsInTheLightsColour) {
    if (!m_skip.empty()) {
        GTEST_SKIP() << m_skip;
    }
    // A quad facing the camera, 2 x 2 world units after its scale: pixels 16 to 47.
    std::vector<velm::gfx::SMeshVertex> vertices(4, velm::gfx::SMeshVertex{});
    const float corners[4][4] = {{-0.5f, 0.5f, 0, 0}, {0.5f, 0.5f, 1, 0}, {0.5f, -0.5f, 1, 1}, {-0.5f, -0.5f, 0, 1}};
    for (std::size_t i = 0; i < 4; ++i) {
        vertices[i].position = D3DXVECTOR3(corners[i][0], corners[i][1], 0.0f);
        vertices[i].normal = D3DXVECTOR3(0.0f, 0.0f, -1.0f);
        vertices[i].u = corners[i][2];
        vertices[i].v = corners[i][3];
    }
    const std::uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
    auto unit = std::make_unique<CGfxUnit>();
    unit->CreateFromArrays({"TextureMapping.fx", "", "TextureMapping"}, vertices.data(), 4, indices, 6);
    unit->LoadTexture("red.bmp", 4);
    unit->SetScale(2.0f, 2.0f, 1.0f, true);
    const std::vector<std::uint8_t> frame = Draw(unit.get());
    ASSERT_EQ(frame.size(), static_cast<std::size_t>(kSize * kSize * 4));
    // No material: white; ambient 0.25 plus diffuse 0.5 with the light head on.
    ExpectNear(At(frame, 32, 32), {191, 0, 0}, "centre");
    ExpectNear(At(frame, 18, 45), {191, 0, 0}, "inside a corner");
    ExpectNear(At(frame, 12, 32), {0, 0, 0}, "left of the quad");
    ExpectNear(At(frame, 32, 52), {0, 0, 0}, "below the quad");
    unit.reset();
}

TEST_F(GlUnitsTest, ABillboardFacesTheCameraWhereItStands) {
    if (!m_skip.empty()) {
        GTEST_SKIP() << m_skip;
    }
    auto billboard = std::make_unique<velm::gfx::CGfxBillboardObj>();
    billboard->Init();
    billboard->LoadTexture("green.bmp", 4);
    // Straight ahead with no x in the view: yaw 3/2 pi turns it by 0, face on.
    velm::gfx::CGfxBillboardObj::SetCamera(4.712389f, D3DXVECTOR3(0.0f, 0.0f, 1.0f));
    billboard->SetPosition(0.5f, 0.0f, 0.0f, true);
    const std::vector<std::uint8_t> frame = Draw(billboard.get());
    ASSERT_EQ(frame.size(), static_cast<std::size_t>(kSize * kSize * 4));
    // World x 0 to 1 and y -0.5 to 0.5: pixels 32 to 47 across, 24 to 39 down.
    ExpectNear(At(frame, 40, 32), {0, 255, 0}, "on the billboard");
    ExpectNear(At(frame, 33, 25), {0, 255, 0}, "its top left");
    ExpectNear(At(frame, 28, 32), {0, 0, 0}, "left of it");
    ExpectNear(At(frame, 40, 18), {0, 0, 0}, "above it");
    ExpectNear(At(frame, 52, 32), {0, 0, 0}, "right of it");
    billboard.reset();
}

} // namespace
