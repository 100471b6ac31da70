#include <gtest/gtest.h>

#include <stb/stb_image.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "engine/gfx/gfx_core.h"
#include "engine/gfx/gfx_test_device.h"
#include "engine/gfx/velm_gfx.h"
#include "platform/dxut/dxut.h"

namespace {

using velm::gfx::GFXCore;

// The framework's own road: window, device through the graphics core, a cleared frame, F1.
TEST(GlFrame, ScreenshotOfTheClearedFrameThroughTheFramework) {
    tktest::CScreenshotDirectory directory;
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    unsetenv("TK_D3D9_DEVICE");
    if (FAILED(DXUTInit(false, false, false, false)) || FAILED(DXUTCreateWindow(L"gl frame test"))) {
        platform::DXUTReset();
        GTEST_SKIP() << "no offscreen window";
    }
    // Graphics goes before the device it holds fonts on.
    auto gfx = std::make_unique<velm::gfx::CVelmGfx>();
    velm::gfx::CVelmGfx::SVelmGfxInitInfo info;
    info.m_useDefault = true;
    gfx->Init(info);
    velm::gfx::CGFXCore& core = GFXCore::Instance();
    const bool gl = core.GetDevice() != nullptr && !core.GetDevice()->IsNull();
    if (gl) {
        core.BeginFrame();
        core.Clear(D3DCLEAR_TARGET, 0xFF00FF00, 1.0f);
        core.EndScene();
        EXPECT_TRUE(velm::gfx::SaveScreenshot());
        std::string file;
        for (int number = 63; number >= 0 && file.empty(); --number) {
            const std::string name = "VelmScrshot_" + std::to_string(number) + ".png";
            if (std::FILE* found = std::fopen(name.c_str(), "rb")) {
                std::fclose(found);
                file = name;
            }
        }
        int width = 0;
        int height = 0;
        int channels = 0;
        stbi_uc* png = stbi_load(file.c_str(), &width, &height, &channels, 4);
        ASSERT_NE(png, nullptr);
        EXPECT_EQ(width, 800);
        EXPECT_EQ(height, 600);
        EXPECT_EQ(png[0], 0);
        EXPECT_EQ(png[1], 255);
        EXPECT_EQ(png[2], 0);
        stbi_image_free(png);
        std::remove(file.c_str());
        EXPECT_EQ(core.Present(), D3D_OK);
    }
    // Graphics releases its targets while the device still has its context.
    gfx.reset();
    GFXCore::Destroy();
    platform::DXUTDestroyDevice();
    platform::DXUTReset();
    if (!gl) {
        GTEST_SKIP() << "no OpenGL 3.3 core device offscreen";
    }
}

} // namespace
