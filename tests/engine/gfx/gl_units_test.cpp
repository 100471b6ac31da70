#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "engine/gfx/3d_quad.h"
#include "engine/gfx/atmosphere_manager.h"
#include "engine/gfx/fx_manager.h"
#include "engine/gfx/gfx_core.h"
#include "engine/gfx/gfx_test_effects.h"
#include "engine/gfx/lights_manager.h"
#include "engine/gfx/renderer.h"
#include "engine/gfx/texture_cache.h"
#include "platform/dxut/dxut.h"
#include "platform/dxut/dxut_device.h"
#include "support/temp_dir.h"

namespace {

using velm::gfx::CGfxUnit;
using velm::gfx::FXManager;
using velm::gfx::GFXCore;
using velm::gfx::Renderer;

constexpr int kSize = 64;

struct SPixel {
    int r;
    int g;
    int b;
};

// Units drawn through the renderer on the OpenGL device in a 64 x 64 frame, probed at pixels:
// the camera at z = -2 looks along +z with a 90-degree field of view, so world x and y in
// [-2, 2] at z = 0 fill the frame.
class GlUnitsTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        unsetenv("TK_D3D9_DEVICE");
        if (FAILED(DXUTInit(false, false, false, false)) || FAILED(DXUTCreateWindow(L"gl units test"))) {
            m_skip = "no offscreen window";
            return;
        }
        velm::gfx::CGFXCore& core = GFXCore::Instance();
        core.SetFullScreen(false);
        core.SetScreenSize(kSize, kSize);
        core.CreateDevice();
        if (core.GetDevice() == nullptr || core.GetDevice()->IsNull()) {
            m_skip = "no OpenGL 3.3 core device offscreen";
            return;
        }
        m_dir.Write("Dummy.fx", tktest::SharedParams());
        m_dir.Write("TextureMapping.fx",
                    tktest::LitEffect({"TextureMapping"}, 1, tktest::Textures({"g_Texture1"}), "g_Texture1"));
        m_dir.Write("Billboard.fx", tktest::LitEffect({"RenderBillboard"}, 1, tktest::Textures({"g_BillboardTexture"}),
                                                      "g_BillboardTexture", true));
        m_dir.Write("red.bmp", tktest::SolidBmp(255, 0, 0));
        m_dir.Write("green.bmp", tktest::SolidBmp(0, 255, 0));
        velm::gfx::SGfxDirectories::s_effect = m_dir.Path() + "/";
        velm::gfx::SGfxDirectories::s_texture = m_dir.Path() + "/";
        Renderer::Instance();
        ::testing::internal::CaptureStderr();
        FXManager::Instance().LoadEffects({"TextureMapping.fx", "Billboard.fx"});
        const std::string log = ::testing::internal::GetCapturedStderr();
        ASSERT_EQ(FXManager::Instance().GetEffectCount(), 2u) << log;
        D3DLIGHT9 light = {};
        light.Type = D3DLIGHT_DIRECTIONAL;
        light.Direction = {0.0f, 0.0f, 1.0f};
        light.Diffuse = {0.5f, 0.5f, 0.5f, 1.0f};
        light.Ambient = {0.25f, 0.25f, 0.25f, 1.0f};
        velm::gfx::LightsManager::Instance().SetLight(light, 0);
        D3DXMATRIX view;
        D3DXMATRIX projection;
        const D3DXVECTOR3 eye(0.0f, 0.0f, -2.0f);
        const D3DXVECTOR3 at(0.0f, 0.0f, 0.0f);
        const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        D3DXMatrixPerspectiveFovLH(&projection, 1.5707964f, 1.0f, 0.1f, 100.0f);
        core.SetViewMatrix(view);
        core.SetProjectionMatrix(projection);
        core.SetFrameBeginListener([] { Renderer::Instance().Begin(); });
    }
    void TearDown() override {
        Renderer::Destroy();
        FXManager::Destroy();
        velm::gfx::TextureCache::Destroy();
        velm::gfx::LightsManager::Destroy();
        velm::gfx::AtmosphereManager::Destroy();
        velm::gfx::SGfxDirectories::s_effect.clear();
        velm::gfx::SGfxDirectories::s_texture.clear();
        GFXCore::Destroy();
        platform::DXUTDestroyDevice();
        platform::DXUTReset();
    }

    // One frame with the unit as its only batch; the frame's pixels, top row first.
    std::vector<std::uint8_t> Draw(CGfxUnit* unit) {
        velm::gfx::CGFXCore& core = GFXCore::Instance();
        unit->Prepare();
        core.BeginFrame();
        velm::gfx::CFXManager& fx = FXManager::Instance();
        ID3DXEffect* effect = fx.SelectEffect(unit->GetEffectFileName());
        velm::gfx::UnitTextures textures = {};
        for (std::size_t i = 0; i < textures.size(); ++i) {
            textures[i] = unit->GetTexture(velm::gfx::kTextureSlots[i]);
        }
        Renderer::Instance().SetBatchTextures(unit->GetTechniqueName(), textures, effect, fx.GetCurrentHandles());
        Renderer::Instance().Enqueue(unit);
        Renderer::Instance().Flush();
        core.EndScene();
        std::vector<std::uint8_t> bgra;
        IDirect3DSurface9* back = nullptr;
        core.GetBackBuffer(&back);
        core.GetDevice()->ReadSurface(back, &bgra, nullptr, nullptr);
        back->Release();
        return bgra;
    }

    static SPixel At(const std::vector<std::uint8_t>& bgra, int x, int y) {
        const std::size_t i = (static_cast<std::size_t>(y) * kSize + static_cast<std::size_t>(x)) * 4;
        return {bgra[i + 2], bgra[i + 1], bgra[i]};
    }
    static void ExpectNear(const SPixel& pixel, const SPixel& expected, const char* where) {
        EXPECT_NEAR(pixel.r, expected.r, 6) << where;
        EXPECT_NEAR(pixel.g, expected.g, 6) << where;
        EXPECT_NEAR(pixel.b, expected.b, 6) << where;
    }

    std::string m_skip;
    tktest::CTempDir m_dir;
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
