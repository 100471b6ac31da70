#include "engine/gfx/velm_gfx.h"

#include "engine/gfx/atmosphere_manager.h"
#include "engine/gfx/font_table.h"
#include "engine/gfx/fx_manager.h"
#include "engine/gfx/gfx_core.h"
#include "engine/gfx/gfx_skybox.h"
#include "engine/gfx/gui_manager.h"
#include "engine/gfx/lights_manager.h"
#include "engine/gfx/mesh_cache.h"
#include "engine/gfx/particle_sys_registry.h"
#include "engine/gfx/renderer.h"
#include "engine/gfx/texture_cache.h"
#include "platform/dxut/dxut_device.h"

namespace velm {
namespace gfx {
namespace {

// Numbers the screenshots of one run from 0; a failed save still uses up its number.
unsigned s_screenshotNumber = 0;

constexpr std::uint32_t kParticleFlag = 0x2;
constexpr std::uint32_t kScreenUnitFlag = 0x20000;

constexpr int kDefaultWidth = 800;
constexpr int kDefaultHeight = 600;

} // namespace

CVelmGfx::CVelmGfx() = default;

CVelmGfx::~CVelmGfx() {
    // Graphics shuts down with its object: the renderer, effects and caches first, then the core
    // and the device itself. The skybox's textures go back to the cache before it closes.
    m_skyBox.reset();
    if (GFXCore::Exists()) {
        GFXCore::Instance().SetFrameBeginListener(nullptr);
    }
    ParticleSysRegistry::Destroy();
    FontTable::Destroy();
    Renderer::Destroy();
    FXManager::Destroy();
    MeshCache::Destroy();
    TextureCache::Destroy();
    GFXCore::Destroy();
    platform::DXUTDestroyDevice();
}

void CVelmGfx::CreateSkyBox(float scalar, const std::array<std::string, 6>& textureNames) {
    m_skyBox = std::make_unique<CGFXSkyBox>();
    m_skyBox->Create(scalar, textureNames);
}

void CVelmGfx::Init(const SVelmGfxInitInfo& info) {
    m_settings = info;
    SGfxDirectories::s_texture = info.m_textureDirectory;
    SGfxDirectories::s_mesh = info.m_meshDirectory;
    SGfxDirectories::s_effect = info.m_effectDirectory;
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
    Renderer::Instance();
    FXManager::Instance();
    MeshCache::Instance();
    TextureCache::Instance();
    LightsManager::Instance();
    AtmosphereManager::Instance();
    FontTable::Instance().Init();
    ParticleSysRegistry::Instance().Init();
    core.SetFrameBeginListener([] { Renderer::Instance().Begin(); });
    FXManager::Instance().LoadEffects(info.m_fxFiles);
    CAtmosphereManager& atmosphere = AtmosphereManager::Instance();
    atmosphere.m_r = info.m_r;
    atmosphere.m_g = info.m_g;
    atmosphere.m_b = info.m_b;
    atmosphere.m_a = info.m_a;
    atmosphere.m_fogStart = info.m_fogStart;
    atmosphere.m_fogEnd = info.m_fogEnd;
    atmosphere.m_fogDensity = info.m_fogDensity;
    for (const SLightRecord& light : info.m_lights) {
        LightsManager::Instance().SetLight(light.m_light, light.m_index);
    }
}

void CVelmGfx::AddTerrainUnit(ISceneUnit* unit) {
    m_terrainUnits.push_back(unit);
    ++m_terrainObjectCount;
}

void CVelmGfx::AddWaterUnit(ISceneUnit* unit) {
    m_waterUnits.push_back(unit);
    ++m_waterObjectCount;
}

void CVelmGfx::ClearTerrainUnits() {
    std::vector<ISceneUnit*>().swap(m_terrainUnits);
    m_terrainObjectCount = 0;
}

void CVelmGfx::ClearWaterUnits() {
    std::vector<ISceneUnit*>().swap(m_waterUnits);
    m_waterObjectCount = 0;
}

void CVelmGfx::RenderFrame(double time, float elapsed) {
    CGFXCore& core = GFXCore::Instance();
    if (core.GetDevice() == nullptr) {
        return;
    }
    core.SetFrameTime(time, elapsed);
    core.BeginFrame();
    if ((m_renderFlags & kParticleFlag) != 0) {
        RenderParticleUnits();
    }
    if ((m_renderFlags & kScreenUnitFlag) != 0) {
        for (IScreenUnit* unit : m_screenUnits) {
            unit->Render(time, elapsed);
        }
    }
    core.EndScene();
    m_screenUnits.clear();
    m_particleUnits.clear();
}

void CVelmGfx::CullParticleUnits(const std::vector<IGfxUnit*>& units) {
    m_particleUnits.clear();
    CGFXCore& core = GFXCore::Instance();
    for (IGfxUnit* unit : units) {
        D3DXMATRIX worldView;
        D3DXMatrixMultiply(&worldView, &unit->GetWorldMatrix(), &core.GetViewMatrix());
        if (core.GetWideFrustum().TestSphere(unit->GetTransformedBoundingSphere(worldView))) {
            m_particleUnits.push_back(unit);
        }
    }
}

void CVelmGfx::SetScreenUnits(std::vector<IScreenUnit*> units) {
    m_screenUnits = std::move(units);
    SortByZOrder(&m_screenUnits);
}

void CVelmGfx::RenderParticleUnits() {
    CGFXCore& core = GFXCore::Instance();
    CRenderer& renderer = Renderer::Instance();
    CFXManager& fx = FXManager::Instance();
    renderer.m_depthOrder = CRenderer::kFarthestFirst;
    for (IGfxUnit* unit : m_particleUnits) {
        if (unit->IsSkipped() != 0) {
            continue;
        }
        D3DXMATRIX worldView;
        D3DXMatrixMultiply(&worldView, &unit->GetWorldMatrix(), &core.GetViewMatrix());
        if (!core.GetFrustum().TestSphere(unit->GetTransformedBoundingSphere(worldView))) {
            continue;
        }
        ID3DXEffect* effect = fx.SelectEffect(unit->GetEffectFileName());
        UnitTextures textures = {};
        for (std::size_t i = 0; i < textures.size(); ++i) {
            textures[i] = unit->GetTexture(kTextureSlots[i]);
        }
        renderer.SetBatchTextures(unit->GetTechniqueName(), textures, effect, fx.GetCurrentHandles());
        unit->Prepare();
        if (unit->GetFaceCount() == 0) {
            continue;
        }
        renderer.Enqueue(unit);
        renderer.Flush();
    }
}

void OnLostDevice() {
    if (GFXCore::Exists()) {
        GFXCore::Instance().OnLostDevice();
    }
    if (FXManager::Exists()) {
        FXManager::Instance().OnLostDevice();
    }
    if (Renderer::Exists()) {
        Renderer::Instance().OnLostDevice();
    }
}

void OnResetDevice() {
    if (!GFXCore::Exists() || GFXCore::Instance().GetDevice() == nullptr) {
        return;
    }
    GFXCore::Instance().OnResetDevice();
    if (FXManager::Exists()) {
        FXManager::Instance().OnResetDevice();
    }
    if (Renderer::Exists()) {
        Renderer::Instance().OnResetDevice();
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
