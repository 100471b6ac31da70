#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "engine/gfx/atmosphere_manager.h"
#include "engine/gfx/fx_manager.h"
#include "engine/gfx/gfx_core.h"
#include "engine/gfx/gfx_test_effects.h"
#include "engine/gfx/gfx_unit.h"
#include "engine/gfx/lights_manager.h"
#include "engine/gfx/texture_cache.h"
#include "engine/gfx/velm_gfx.h"
#include "gfx_test_device.h"
#include "platform/dxut/dxut.h"
#include "support/temp_dir.h"

namespace {

using velm::gfx::CVelmGfx;
using velm::gfx::GFXCore;

class VelmGfxTest : public tktest::CNullCoreTest {};

TEST_F(VelmGfxTest, DefaultSettingsIgnoreTheConfiguredDisplay) {
    CVelmGfx gfx;
    CVelmGfx::SVelmGfxInitInfo info;
    info.m_useDefault = true;
    info.m_fullScreen = true;
    info.m_screenWidth = 1024;
    info.m_screenHeight = 768;
    info.m_enableWireFrame = true;
    gfx.Init(info);
    const velm::gfx::CGFXCore& core = GFXCore::Instance();
    EXPECT_FALSE(core.IsFullScreen());
    EXPECT_EQ(core.GetScreenWidth(), 800);
    EXPECT_EQ(core.GetScreenHeight(), 600);
    EXPECT_EQ(core.GetFullSceneAntialiasing(), static_cast<DWORD>(TRUE));
    EXPECT_EQ(core.GetFillMode(), D3DFILL_SOLID);
    ASSERT_NE(core.GetDevice(), nullptr);
    EXPECT_EQ(core.GetPresentParameters().BackBufferWidth, 800u);
}

TEST_F(VelmGfxTest, ConfiguredWireframeSetsTheFillMode) {
    CVelmGfx gfx;
    CVelmGfx::SVelmGfxInitInfo info;
    info.m_screenWidth = 640;
    info.m_screenHeight = 480;
    info.m_enableWireFrame = true;
    gfx.Init(info);
    EXPECT_EQ(GFXCore::Instance().GetFillMode(), D3DFILL_WIREFRAME);
    EXPECT_EQ(GFXCore::Instance().GetPresentParameters().BackBufferHeight, 480u);
}

TEST_F(VelmGfxTest, InitLoadsTheEffectsLightsAndFogAndEachFrameWritesTheSharedParameters) {
    tktest::CTempDir dir;
    dir.Write("Dummy.fx", tktest::SharedParams());
    dir.Write("TextureMapping.fx",
              tktest::LitEffect({"TextureMapping"}, 1, tktest::Textures({"g_Texture1"}), "g_Texture1"));
    std::string log;
    {
        CVelmGfx gfx;
        CVelmGfx::SVelmGfxInitInfo info;
        info.m_useDefault = true;
        info.m_effectDirectory = dir.Path() + "/";
        info.m_fxFiles = {"TextureMapping.fx", "Absent.fx"};
        info.m_fogEnd = 250.0f;
        info.m_b = 0.5f;
        CVelmGfx::SLightRecord light;
        light.m_light.Range = 40.0f;
        info.m_lights = {light, light};
        info.m_lights[1].m_index = 2;
        info.m_lights[1].m_light.Range = 99.0f;
        ::testing::internal::CaptureStderr();
        gfx.Init(info);
        log = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(velm::gfx::FXManager::Instance().GetEffectCount(), 1u);
        EXPECT_EQ(velm::gfx::LightsManager::Instance().GetLight().Range, 40.0f);
        EXPECT_EQ(velm::gfx::AtmosphereManager::Instance().m_fogEnd, 250.0f);
        EXPECT_EQ(velm::gfx::AtmosphereManager::Instance().m_b, 0.5f);
        IDirect3DDevice9* device = GFXCore::Instance().GetDevice();
        device->SetTracing(true);
        gfx.RenderFrame(2.0, 0.5f);
        const std::vector<std::string>& trace = device->Trace();
        EXPECT_EQ(std::count(trace.begin(), trace.end(), "Effect SetFloat g_ElapsedTime 1"), 1);
        EXPECT_EQ(trace.back(), "EndScene") << "the cleared frame still ends its scene";
        ID3DXEffect* effect = velm::gfx::FXManager::Instance().SelectEffect("TextureMapping.fx");
        float range = 0.0f;
        effect->GetFloat(effect->GetParameterByName(effect->GetParameterByName(nullptr, "g_light"), "m_range"), &range);
        EXPECT_EQ(range, 40.0f) << "the frame's light reached the effects of the pool";
    }
    EXPECT_NE(log.find("Absent.fx did not load"), std::string::npos) << log;
    EXPECT_NE(log.find("light index 2"), std::string::npos) << log;
    EXPECT_FALSE(velm::gfx::FXManager::Exists()) << "graphics took its effects down with it";
    velm::gfx::LightsManager::Destroy();
    velm::gfx::AtmosphereManager::Destroy();
    velm::gfx::TextureCache::Destroy();
}

// The numbers screenshot files of this process carry, in increasing order.
std::vector<int> ScreenshotNumbers() {
    std::vector<int> numbers;
    for (int number = 0; number < 64; ++number) {
        if (std::ifstream("VelmScrshot_" + std::to_string(number) + ".png").good()) {
            numbers.push_back(number);
        }
    }
    return numbers;
}

TEST_F(VelmGfxTest, ScreenshotsTakeConsecutiveNumbersEvenWhenSavingFails) {
    tktest::CScreenshotDirectory directory;
    for (int number : ScreenshotNumbers()) {
        std::remove(("VelmScrshot_" + std::to_string(number) + ".png").c_str());
    }
    EXPECT_FALSE(velm::gfx::SaveScreenshot()) << "without a device nothing is saved, but a number is used";
    CVelmGfx gfx;
    CVelmGfx::SVelmGfxInitInfo info;
    info.m_useDefault = true;
    gfx.Init(info);
    EXPECT_TRUE(velm::gfx::SaveScreenshot());
    EXPECT_TRUE(velm::gfx::SaveScreenshot());
    const std::vector<int> numbers = ScreenshotNumbers();
    ASSERT_EQ(numbers.size(), 2u);
    EXPECT_GE(numbers[0], 1) << "the failed attempt took a number before them";
    EXPECT_EQ(numbers[1], numbers[0] + 1);
    for (int number : numbers) {
        std::remove(("VelmScrshot_" + std::to_string(number) + ".png").c_str());
    }
}

TEST_F(VelmGfxTest, AUnitAboutToBeFreedLeavesTheLevelListsAndItsCounts) {
    CVelmGfx gfx;
    velm::gfx::CGfxUnit opaque;
    velm::gfx::CGfxUnit seeThrough;
    velm::gfx::CGfxUnit stranger;
    gfx.AddOpaqueUnit(&opaque);
    gfx.AddTransparentUnit(&seeThrough);
    gfx.BuildLevelSceneGraphs();
    gfx.RemoveLevelUnit(&opaque);
    gfx.RemoveLevelUnit(&stranger);
    EXPECT_TRUE(gfx.GetOpaqueUnits().empty());
    EXPECT_EQ(gfx.GetTransparentUnits(), std::vector<velm::gfx::IGfxUnit*>{&seeThrough});
    EXPECT_EQ(gfx.GetLevelObjectCount(), 1u);
    gfx.RemoveLevelUnit(&seeThrough);
    EXPECT_EQ(gfx.GetLevelObjectCount(), 0u);
}

} // namespace
