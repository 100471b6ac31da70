#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "engine/gfx/gfx_core.h"
#include "engine/gfx/velm_gfx.h"
#include "gfx_test_device.h"
#include "platform/dxut/dxut.h"

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

} // namespace
