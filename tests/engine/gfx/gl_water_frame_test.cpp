#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "engine/gfx/atmosphere_manager.h"
#include "engine/gfx/gfx_core.h"
#include "engine/gfx/gfx_test_device.h"
#include "engine/gfx/gfx_water.h"
#include "engine/gfx/lights_manager.h"
#include "engine/gfx/scene_test_units.h"
#include "engine/gfx/velm_gfx.h"
#include "engine/gfx/water_manager.h"
#include "platform/dxut/dxut.h"
#include "platform/dxut/dxut_device.h"
#include "support/temp_dir.h"

namespace {

using velm::gfx::CVelmGfx;
using velm::gfx::GFXCore;

constexpr int kSize = 64;

struct SColourCount {
    int red = 0;
    int green = 0;
    double redRow = 0.0; // mean row of the red pixels, top row 0
};

SColourCount CountColours(IDirect3DSurface9* surface) {
    SColourCount count;
    std::vector<std::uint8_t> bgra;
    UINT width = 0;
    UINT height = 0;
    if (surface == nullptr || !GFXCore::Instance().GetDevice()->ReadSurface(surface, &bgra, &width, &height)) {
        ADD_FAILURE() << "the surface could not be read";
        return count;
    }
    for (UINT i = 0; i < width * height; ++i) {
        const int b = bgra[i * 4];
        const int g = bgra[i * 4 + 1];
        const int r = bgra[i * 4 + 2];
        if (r > 200 && g < 60 && b < 60) {
            ++count.red;
            count.redRow += static_cast<double>(i / width);
        } else if (g > 200 && r < 60 && b < 60) {
            ++count.green;
        }
    }
    if (count.red > 0) {
        count.redRow /= count.red;
    }
    return count;
}

// The frame on the OpenGL device in a 64 x 64 window: a red box above planar water at y = 0 and
// a green box under it, seen from above; the pixels of the reflection and refraction targets
// and of the back buffer tell what each pass drew.
TEST(GlWaterFrame, TheReflectionMirrorsWhatIsAboveTheSurfaceAndTheRefractionWhatIsUnder) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    unsetenv("TK_D3D9_DEVICE");
    if (FAILED(DXUTInit(false, false, false, false)) || FAILED(DXUTCreateWindow(L"gl water frame test"))) {
        platform::DXUTReset();
        GTEST_SKIP() << "no offscreen window";
    }
    tktest::CTempDir dir;
    const std::vector<std::string> techniques = {"TextureMapping", "RenderPlanarWater"};
    dir.Write("Dummy.fx", tktest::SharedParams());
    dir.Write("TextureMapping.fx",
              tktest::PlainEffect({"TextureMapping"}, tktest::Textures({"g_Texture1", "g_SpecularMap"}), "g_Texture1"));
    dir.Write("Water2.fx", tktest::PlainEffect({"RenderPlanarWater"}, tktest::WaterParams(), "g_NormalMap"));
    dir.Write("red.bmp", tktest::SolidBmp(255, 0, 0));
    dir.Write("green.bmp", tktest::SolidBmp(0, 255, 0));
    dir.Write("blue.bmp", tktest::SolidBmp(0, 0, 255));

    auto gfx = std::make_unique<CVelmGfx>();
    CVelmGfx::SVelmGfxInitInfo info;
    info.m_screenWidth = kSize;
    info.m_screenHeight = kSize;
    info.m_effectDirectory = dir.Path() + "/";
    info.m_textureDirectory = dir.Path() + "/";
    info.m_fxFiles = {"TextureMapping.fx", "Water2.fx"};
    gfx->Init(info);
    velm::gfx::CGFXCore& core = GFXCore::Instance();
    const bool gl = core.GetDevice() != nullptr && !core.GetDevice()->IsNull();
    if (gl) {
        D3DXMATRIX view;
        D3DXMATRIX projection;
        const D3DXVECTOR3 eye(0.0f, 4.0f, -6.0f);
        const D3DXVECTOR3 at(0.0f, 0.0f, 0.0f);
        const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        D3DXMatrixPerspectiveFovLH(&projection, 1.5707964f, 1.0f, 0.5f, 100.0f);
        core.SetViewMatrix(view);
        core.SetProjectionMatrix(projection);
        core.GetFrustum().Update(1.5707964f, 1.0f, 0.5f, 100.0f);
        core.GetWideFrustum().Update(1.5707964f * 1.5f, 1.0f, 0.5f, 100.0f);

        auto above = tktest::MakeBox(
            {"TextureMapping.fx", "TextureMapping", D3DXVECTOR3(0.0f, 1.0f, 0.0f), 0.5f, 0, "red.bmp", ""});
        auto under = tktest::MakeBox(
            {"TextureMapping.fx", "TextureMapping", D3DXVECTOR3(0.0f, -1.5f, 0.0f), 0.5f, 0, "green.bmp", ""});
        velm::gfx::CGfxPlanarWater water;
        water.CreateGeometry({"Water2.fx", "", "RenderPlanarWater"}, nullptr, nullptr);
        water.SetScale(20.0f, 1.0f, 20.0f, false);
        water.SetPosition(0.0f, 0.0f, 0.0f, true);
        water.SetWaterPlane(D3DXPLANE(0.0f, 1.0f, 0.0f, 0.0f));
        water.LoadTexture("blue.bmp", 0);
        gfx->AddOpaqueUnit(above.get());
        gfx->AddOpaqueUnit(under.get());
        gfx->AddWaterUnit(&water);
        gfx->BuildLevelSceneGraphs();
        gfx->BuildWaterSceneGraph();
        gfx->CullDynamicUnits({});
        gfx->RenderFrame(0.0, 0.0f);

        velm::gfx::CWaterManager& maps = velm::gfx::WaterManager::Instance();
        IDirect3DSurface9* surface = maps.GetReflectionSurface();
        const SColourCount reflection = CountColours(surface);
        surface->Release();
        surface = maps.GetRefractionSurface();
        const SColourCount refraction = CountColours(surface);
        surface->Release();
        IDirect3DSurface9* backBuffer = nullptr;
        core.GetBackBuffer(&backBuffer);
        const SColourCount frame = CountColours(backBuffer);

        EXPECT_GT(reflection.red, 20) << "the box above the water is mirrored";
        EXPECT_EQ(reflection.green, 0) << "the clip plane removes what is under the surface";
        EXPECT_GT(reflection.redRow, frame.redRow + 5.0) << "the mirror image lies below the box";
        EXPECT_GT(refraction.green, 20) << "the refraction shows what is under the surface";
        EXPECT_EQ(refraction.red, 0) << "and nothing above it";
        EXPECT_GT(frame.red, 20);
        EXPECT_EQ(frame.green, 0) << "the water covers the box under it";

        gfx->SetRenderFlags(gfx->GetRenderFlags() & ~0x4u);
        gfx->RenderFrame(0.0, 0.0f);
        EXPECT_EQ(CountColours(backBuffer).red, 0) << "with the opaque graph off the box is gone";
        backBuffer->Release();
    }
    gfx.reset();
    velm::gfx::LightsManager::Destroy();
    velm::gfx::AtmosphereManager::Destroy();
    platform::DXUTReset();
    if (!gl) {
        GTEST_SKIP() << "no OpenGL 3.3 core device offscreen";
    }
}

} // namespace
