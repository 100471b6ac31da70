// The OpenGL device for pixel-probing graphics tests: a 64 x 64 offscreen frame, the renderer and
// effect manager over effects written into the test's directory, one batch per unit drawn, and
// the frame's pixels read back. Tests skip (m_skip) where no offscreen context can be made.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "engine/gfx/atmosphere_manager.h"
#include "engine/gfx/fx_manager.h"
#include "engine/gfx/gfx_core.h"
#include "engine/gfx/gfx_test_effects.h"
#include "engine/gfx/gfx_unit.h"
#include "engine/gfx/lights_manager.h"
#include "engine/gfx/renderer.h"
#include "engine/gfx/texture_cache.h"
#include "platform/dxut/dxut.h"
#include "platform/dxut/dxut_device.h"
#include "support/temp_dir.h"

namespace tktest {

struct SPixel {
    int r;
    int g;
    int b;
};

class CGlFrameTest : public ::testing::Test {
protected:
    static constexpr int kSize = 64;

    // Effects as (file name, text); "Dummy.fx" with the shared parameters is added.
    void StartDevice(const std::vector<std::pair<std::string, std::string>>& effects) {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        unsetenv("TK_D3D9_DEVICE");
        if (FAILED(DXUTInit(false, false, false, false)) || FAILED(DXUTCreateWindow(L"gl test"))) {
            m_skip = "no offscreen window";
            return;
        }
        velm::gfx::CGFXCore& core = velm::gfx::GFXCore::Instance();
        core.SetFullScreen(false);
        core.SetScreenSize(kSize, kSize);
        core.CreateDevice();
        if (core.GetDevice() == nullptr || core.GetDevice()->IsNull()) {
            m_skip = "no OpenGL 3.3 core device offscreen";
            return;
        }
        m_dir.Write("Dummy.fx", SharedParams());
        std::vector<std::string> names;
        for (const auto& [name, text] : effects) {
            m_dir.Write(name, text);
            names.push_back(name);
        }
        velm::gfx::SGfxDirectories::s_effect = m_dir.Path() + "/";
        velm::gfx::SGfxDirectories::s_texture = m_dir.Path() + "/";
        velm::gfx::Renderer::Instance();
        ::testing::internal::CaptureStderr();
        velm::gfx::FXManager::Instance().LoadEffects(names);
        const std::string log = ::testing::internal::GetCapturedStderr();
        ASSERT_EQ(velm::gfx::FXManager::Instance().GetEffectCount(), names.size()) << log;
        core.SetFrameBeginListener([] { velm::gfx::Renderer::Instance().Begin(); });
    }
    void TearDown() override {
        velm::gfx::Renderer::Destroy();
        velm::gfx::FXManager::Destroy();
        velm::gfx::TextureCache::Destroy();
        velm::gfx::LightsManager::Destroy();
        velm::gfx::AtmosphereManager::Destroy();
        velm::gfx::SGfxDirectories::s_effect.clear();
        velm::gfx::SGfxDirectories::s_texture.clear();
        velm::gfx::GFXCore::Destroy();
        platform::DXUTDestroyDevice();
        platform::DXUTReset();
    }

    // A 90-degree view onto the square frame.
    static void Look(const D3DXVECTOR3& eye, const D3DXVECTOR3& at, const D3DXVECTOR3& up) {
        D3DXMATRIX view;
        D3DXMATRIX projection;
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        D3DXMatrixPerspectiveFovLH(&projection, 1.5707964f, 1.0f, 0.1f, 100.0f);
        velm::gfx::GFXCore::Instance().SetViewMatrix(view);
        velm::gfx::GFXCore::Instance().SetProjectionMatrix(projection);
    }

    // One frame, each unit its own batch, after a pass laying their depth with the pre-depth
    // effect when asked; the frame's pixels (BGRA), top row first.
    static std::vector<std::uint8_t> Draw(const std::vector<velm::gfx::IGfxUnit*>& units, bool preDepth = false) {
        velm::gfx::CGFXCore& core = velm::gfx::GFXCore::Instance();
        core.BeginFrame();
        velm::gfx::CFXManager& fx = velm::gfx::FXManager::Instance();
        if (preDepth) {
            fx.m_override = true;
            fx.SelectPreZ(0);
            for (velm::gfx::IGfxUnit* unit : units) {
                unit->Prepare();
                velm::gfx::Renderer::Instance().Enqueue(unit);
                velm::gfx::Renderer::Instance().Flush();
            }
            fx.m_override = false;
        }
        for (velm::gfx::IGfxUnit* unit : units) {
            unit->Prepare();
            ID3DXEffect* effect = fx.SelectEffect(unit->GetEffectFileName());
            velm::gfx::UnitTextures textures = {};
            for (std::size_t i = 0; i < textures.size(); ++i) {
                textures[i] = unit->GetTexture(velm::gfx::kTextureSlots[i]);
            }
            velm::gfx::Renderer::Instance().SetBatchTextures(unit->GetTechniqueName(), textures, effect,
                                                             fx.GetCurrentHandles());
            velm::gfx::Renderer::Instance().Enqueue(unit);
            velm::gfx::Renderer::Instance().Flush();
        }
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
    static void ExpectNear(const SPixel& pixel, const SPixel& expected, const std::string& where) {
        EXPECT_NEAR(pixel.r, expected.r, 6) << where;
        EXPECT_NEAR(pixel.g, expected.g, 6) << where;
        EXPECT_NEAR(pixel.b, expected.b, 6) << where;
    }

    std::string m_skip;
    CTempDir m_dir;
};

} // namespace tktest
