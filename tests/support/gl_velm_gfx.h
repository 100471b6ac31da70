// The whole graphics engine on the OpenGL device in an offscreen window, for tests that draw
// screen units and probe the frame's pixels. Start says why a test must skip where no offscreen
// OpenGL 3.3 context can be made.
#pragma once

#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine/gfx/gfx_core.h"
#include "engine/gfx/velm_gfx.h"
#include "platform/dxut/dxut.h"
#include "platform/dxut/dxut_device.h"
#include "support/source_file.h"

namespace tktest {

using SRgb = std::array<int, 3>;

class CGlVelmGfx {
public:
    CGlVelmGfx() = default;
    CGlVelmGfx(const CGlVelmGfx&) = delete;
    CGlVelmGfx& operator=(const CGlVelmGfx&) = delete;
    ~CGlVelmGfx() { Stop(); }

    // Empty when the engine runs on an OpenGL device, else the reason to skip. Init's log is
    // kept, not printed.
    std::string Start(int width, int height, const std::string& effectDirectory, const std::string& textureDirectory,
                      const std::vector<std::string>& fxFiles = {}) {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        unsetenv("TK_D3D9_DEVICE");
        m_width = width;
        m_height = height;
        m_started = true;
        if (FAILED(DXUTInit(false, false, false, false)) || FAILED(DXUTCreateWindow(L"gl test"))) {
            return "no offscreen window";
        }
        velm::gfx::CVelmGfx::SVelmGfxInitInfo info;
        info.m_screenWidth = width;
        info.m_screenHeight = height;
        info.m_fxFiles = fxFiles;
        info.m_effectDirectory = effectDirectory;
        info.m_textureDirectory = textureDirectory;
        m_gfx = std::make_unique<velm::gfx::CVelmGfx>();
        ::testing::internal::CaptureStderr();
        m_gfx->Init(info);
        m_log = ::testing::internal::GetCapturedStderr();
        velm::gfx::CGFXCore& core = velm::gfx::GFXCore::Instance();
        if (core.GetDevice() == nullptr || core.GetDevice()->IsNull()) {
            return "no OpenGL 3.3 core device offscreen";
        }
        return {};
    }
    void Stop() {
        if (!m_started) {
            return;
        }
        m_started = false;
        m_gfx.reset();
        velm::gfx::GFXCore::Destroy();
        platform::DXUTDestroyDevice();
        platform::DXUTReset();
    }

    velm::gfx::CVelmGfx& Gfx() { return *m_gfx; }
    const std::string& Log() const { return m_log; }

    // One frame of the engine with these screen units; its pixels are kept, and saved as a PNG
    // when `shot` names a file.
    const std::vector<std::uint8_t>& Frame(const std::vector<velm::gfx::IScreenUnit*>& units,
                                           const std::string& shot = "") {
        m_gfx->SetScreenUnits(units);
        return Render(shot);
    }
    // One frame of whatever the engine holds.
    const std::vector<std::uint8_t>& Render(const std::string& shot = "") {
        m_gfx->RenderFrame(0.0, 0.016f);
        IDirect3DSurface9* back = nullptr;
        velm::gfx::GFXCore::Instance().GetBackBuffer(&back);
        m_pixels.clear();
        velm::gfx::GFXCore::Instance().GetDevice()->ReadSurface(back, &m_pixels, nullptr, nullptr);
        if (!shot.empty()) {
            velm::gfx::GFXCore::Instance().SaveSurfaceToFile(shot, D3DXIFF_PNG, back);
        }
        back->Release();
        return m_pixels;
    }
    const std::vector<std::uint8_t>& Pixels() const { return m_pixels; }

    // The pixel at (x, y) of the last frame, or of `bgra` of the same size, as red, green, blue.
    SRgb At(int x, int y) const { return At(m_pixels, x, y); }
    SRgb At(const std::vector<std::uint8_t>& bgra, int x, int y) const {
        const std::size_t i =
            (static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) + static_cast<std::size_t>(x)) * 4;
        return {bgra[i + 2], bgra[i + 1], bgra[i]};
    }

private:
    int m_width = 0;
    int m_height = 0;
    bool m_started = false;
    std::unique_ptr<velm::gfx::CVelmGfx> m_gfx;
    std::vector<std::uint8_t> m_pixels;
    std::string m_log;
};

} // namespace tktest
