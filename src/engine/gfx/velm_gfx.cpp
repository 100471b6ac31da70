#include "engine/gfx/velm_gfx.h"

#include "engine/gfx/gfx_core.h"

namespace velm {
namespace gfx {
namespace {

// Numbers the screenshots of one run from 0; a failed save still uses up its number.
unsigned s_screenshotNumber = 0;

constexpr int kDefaultWidth = 800;
constexpr int kDefaultHeight = 600;

} // namespace

CVelmGfx::CVelmGfx() = default;

CVelmGfx::~CVelmGfx() = default;

void CVelmGfx::Init(const SVelmGfxInitInfo& info) {
    m_settings = info;
    CGFXCore& core = GFXCore::Instance();
    if (info.m_useDefault) {
        core.SetFullScreen(false);
        core.SetScreenSize(kDefaultWidth, kDefaultHeight);
        core.SetFullSceneAntialiasing(TRUE);
        core.SetFillMode(D3DFILL_SOLID);
    } else {
        core.SetFullScreen(info.m_fullScreen);
        core.SetScreenSize(info.m_screenWidth, info.m_screenHeight);
        core.SetFullSceneAntialiasing(info.m_enableFullSceneAA ? TRUE : FALSE);
        core.SetFillMode(info.m_enableWireFrame ? D3DFILL_WIREFRAME : D3DFILL_SOLID);
    }
    core.CreateDevice();
}

void OnLostDevice() {
    if (GFXCore::Exists()) {
        GFXCore::Instance().OnLostDevice();
    }
}

void OnResetDevice() {
    if (GFXCore::Exists() && GFXCore::Instance().GetDevice() != nullptr) {
        GFXCore::Instance().OnResetDevice();
    }
}

bool SaveScreenshot() {
    const std::string fileName = "VelmScrshot_" + std::to_string(s_screenshotNumber) + ".png";
    ++s_screenshotNumber;
    if (!GFXCore::Exists()) {
        return false;
    }
    CGFXCore& core = GFXCore::Instance();
    IDirect3DSurface9* backBuffer = nullptr;
    if (FAILED(core.GetBackBuffer(&backBuffer))) {
        return false;
    }
    const HRESULT result = core.SaveSurfaceToFile(fileName, D3DXIFF_PNG, backBuffer);
    backBuffer->Release();
    return SUCCEEDED(result);
}

} // namespace gfx
} // namespace velm
