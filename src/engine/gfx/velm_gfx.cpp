#include "engine/gfx/velm_gfx.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

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
#include "engine/gfx/scene_graph_mgr.h"
#include "engine/gfx/texture_cache.h"
#include "engine/gfx/water_manager.h"
#include "platform/dxut/dxut_device.h"

namespace velm {
namespace gfx {
namespace {

// Numbers the screenshots of one run from 0; a failed save still uses up its number.
unsigned s_screenshotNumber = 0;

constexpr int kDefaultWidth = 800;
constexpr int kDefaultHeight = 600;
constexpr std::uint32_t kDefaultPartitionMask = kOpaqueGraph | kTransparentGraph | kTerrainGraph | kWaterGraph;

CSceneGraphMgr* NewGraph() { return new CSceneGraphMgr(new CDefaultSceneGraphMgrImp()); }

void AppendAttached(const IGfxUnit& unit, std::vector<IGfxUnit*>* list) {
    for (IGfxUnit* attached : unit.GetAttachedUnits()) {
        list->push_back(attached);
    }
}

template <typename T>
void ReleaseAndNull(T** object) {
    if (*object != nullptr) {
        (*object)->Release();
        *object = nullptr;
    }
}

IGfxUnit* AsGfxUnit(ISceneUnit* unit, const char* list) {
    auto* gfxUnit = dynamic_cast<IGfxUnit*>(unit);
    if (gfxUnit == nullptr && unit != nullptr) {
        std::fprintf(stderr, "Graphics: a %s unit that is no graphics unit is not drawn\n", list);
    }
    return gfxUnit;
}

} // namespace

std::uint32_t ColourChannel(float c) {
    if (c > 1.0f) {
        return 255;
    }
    if (c <= 0.0f) {
        return 0;
    }
    return static_cast<std::uint32_t>(c * 255.0f + 0.5f);
}

CVelmGfx::CVelmGfx()
    : m_terrainGraph(NewGraph()),
      m_opaqueGraph(NewGraph()),
      m_transparentGraph(NewGraph()),
      m_waterGraph(NewGraph()),
      m_dynamicGraph(NewGraph()),
      m_particleGraph(NewGraph()),
      m_debugGraph(NewGraph()) {}

CVelmGfx::~CVelmGfx() {
    for (CSceneGraphMgr* graph : {m_terrainGraph, m_opaqueGraph, m_transparentGraph, m_waterGraph, m_dynamicGraph,
                                  m_particleGraph, m_debugGraph}) {
        delete graph;
    }
    ReleaseAndNull(&m_line);
    // The skybox's textures go back to the cache before it closes.
    m_skyBox.reset();
    // Graphics shuts down with its object: the renderer, effects, water targets and caches
    // first, then the core and the device itself.
    if (GFXCore::Exists()) {
        GFXCore::Instance().SetFrameBeginListener(nullptr);
    }
    ParticleSysRegistry::Destroy();
    FontTable::Destroy();
    Renderer::Destroy();
    FXManager::Destroy();
    WaterManager::Destroy();
    MeshCache::Destroy();
    TextureCache::Destroy();
    GFXCore::Destroy();
    platform::DXUTDestroyDevice();
}

void CVelmGfx::CreateSkyBox(float scalar, const std::array<std::string, 6>& textureNames) {
    m_skyBox = std::make_unique<CGFXSkyBox>();
    m_skyBox->Create(scalar, textureNames);
}

HRESULT CVelmGfx::Init(const SVelmGfxInitInfo& info) {
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
    SGfxDirectories::s_texture = info.m_textureDirectory;
    SGfxDirectories::s_mesh = info.m_meshDirectory;
    SGfxDirectories::s_effect = info.m_effectDirectory;
    core.CreateDevice();
    Renderer::Instance();
    FXManager::Instance();
    MeshCache::Instance();
    TextureCache::Instance();
    LightsManager::Instance();
    AtmosphereManager::Instance();
    WaterManager::Instance();
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
    ReleaseAndNull(&m_line);
    return core.CreateLine(&m_line);
}

void CVelmGfx::Update(double time, float elapsed) {
    if (ParticleSysRegistry::Exists()) {
        ParticleSysRegistry::Instance().Update(time, elapsed);
    }
}

void CVelmGfx::RenderGraph(CSceneGraphMgr& graph, std::uint32_t flag) {
    if ((m_renderFlags & flag) != 0) {
        graph->Render();
    }
}

void CVelmGfx::RenderFrame(double time, float elapsed) {
    CGFXCore& core = GFXCore::Instance();
    if (core.GetDevice() == nullptr) {
        return;
    }
    CRenderer& renderer = Renderer::Instance();
    CFXManager& fx = FXManager::Instance();
    CWaterManager& water = WaterManager::Instance();
    core.SetFrameTime(time, elapsed);
    D3DXMATRIX viewProjection;
    if ((m_renderFlags & kVisualDebug) != 0) {
        D3DXMatrixMultiply(&viewProjection, &core.GetViewMatrix(), &core.GetProjectionMatrix());
    }
    renderer.SetWaterMaps({water.GetReflectionTexture().GetTexture(), water.GetRefractionTexture().GetTexture(),
                           water.GetEnvironmentCube()});
    core.BeginFrame();

    if ((m_renderFlags & kPreDepth) != 0) {
        fx.m_override = true;
        fx.SelectPreZ(0);
        RenderGraph(*m_terrainGraph, kRenderTerrain);
        RenderGraph(*m_opaqueGraph, kRenderOpaque);
        RenderGraph(*m_dynamicGraph, kRenderDynamic);
        RenderGraph(*m_waterGraph, kRenderWater);
        RenderGraph(*m_transparentGraph, kRenderTransparent);
        RenderGraph(*m_particleGraph, kRenderParticle);
        fx.m_override = false;
        if (core.m_sceneGraphOptimisation) {
            core.m_reuseVisibility = true;
        }
    }

    if ((m_renderFlags & (kRenderWater | kPreDepth)) == kRenderWater) {
        RenderOpaqueWaterDepth();
    }
    renderer.m_depthOrder = CRenderer::kNearestFirst;
    RenderGraph(*m_terrainGraph, kRenderTerrain);
    RenderGraph(*m_opaqueGraph, kRenderOpaque);
    if (core.m_drawDebugMeshes) {
        (*m_debugGraph)->Render();
    }

    ACSceneGraphMgrImp& waterGraph = *m_waterGraph->GetImp();
    waterGraph.SetGeometryNodeOp(new CWaterVisibilityTestGeometryNodeOp());
    waterGraph.SetEffectNodeOp(new CWaterVisibilityTestEffectNodeOp());
    waterGraph.SetBatchNodeOp(new CWaterVisibilityTestBatchNodeOp());
    if ((m_renderFlags & kRenderWater) != 0) {
        waterGraph.Render();
        if (water.NeedsReflection()) {
            RenderWaterMaps();
        }
    }
    waterGraph.SetGeometryNodeOp(new CDefaultGeometryNodeOp());
    waterGraph.SetEffectNodeOp(new CDefaultEffectNodeOp());
    waterGraph.SetBatchNodeOp(new CDefaultBatchNodeOp());
    if ((m_renderFlags & (kRenderWater | kRenderDynamic | kPreDepth)) == (kRenderWater | kRenderDynamic)) {
        RenderDynamicDepth();
    }
    RenderGraph(*m_waterGraph, kRenderWater);

    RenderGraph(*m_dynamicGraph, kRenderDynamic);
    renderer.m_depthOrder = CRenderer::kFarthestFirst;
    RenderGraph(*m_transparentGraph, kRenderTransparent);
    RenderGraph(*m_particleGraph, kRenderParticle);

    if ((m_renderFlags & kRenderScreenUnits) != 0) {
        for (IScreenUnit* unit : m_screenUnits) {
            unit->Render(time, elapsed);
        }
    }
    if ((m_renderFlags & kVisualDebug) != 0) {
        DrawDebugLines(viewProjection);
    }
    core.EndScene();
    m_screenUnits.clear();

    // The pre-depth pass's visibility belongs to this frame; the next one culls anew even when
    // nobody sets the view in between.
    core.m_reuseVisibility = false;
    m_drawnObjects = renderer.m_drawnUnits;
    m_drawnFaces = renderer.m_drawnFaces;
    if ((m_renderFlags & kVisualDebug) != 0) {
        m_debugLines.clear();
    }
    water.ClearVisibleWater();
}

void CVelmGfx::DrawDebugLines(const D3DXMATRIX& viewProjection) {
    if (m_line == nullptr) {
        return;
    }
    for (const SGfxDebugLine& line : m_debugLines) {
        const D3DCOLOR colour = ColourChannel(line.a) << 24 | ColourChannel(line.r) << 16 | ColourChannel(line.g) << 8 |
                                ColourChannel(line.b);
        m_line->DrawTransform(line.vertices, line.count, &viewProjection, colour);
    }
}

// The river bed under planar water is hidden by it in the frame, yet the terrain is drawn first:
// with the water's depth laid beforehand (same programs, so the same depth) the bed's pixels fail
// the depth test instead of being shaded and then covered. Nothing shows, so nothing is counted.
void CVelmGfx::RenderOpaqueWaterDepth() {
    CGFXCore& core = GFXCore::Instance();
    CRenderer& renderer = Renderer::Instance();
    const std::uint32_t units = renderer.m_drawnUnits;
    const std::uint32_t faces = renderer.m_drawnFaces;
    ACSceneGraphMgrImp& waterGraph = *m_waterGraph->GetImp();
    waterGraph.SetGeometryNodeOp(new COpaqueWaterDepthGeometryNodeOp());
    waterGraph.SetEffectNodeOp(new CDefaultEffectNodeOp());
    waterGraph.SetBatchNodeOp(new CDefaultBatchNodeOp());
    renderer.m_depthOrder = CRenderer::kNearestFirst;
    DWORD channels = 0xF;
    core.GetDevice()->GetRenderState(D3DRS_COLORWRITEENABLE, &channels);
    core.SetRenderState(D3DRS_COLORWRITEENABLE, 0);
    waterGraph.Render();
    core.SetRenderState(D3DRS_COLORWRITEENABLE, channels);
    waterGraph.SetGeometryNodeOp(new CDefaultGeometryNodeOp());
    renderer.m_drawnUnits = units;
    renderer.m_drawnFaces = faces;
}

// The river is blended over what lies below it and is the frame's costliest program; the racers
// are drawn after it, so that the river shows over their parts under its surface. Their depth alone,
// laid first with the programs of the depth pass (whose positions match the colour programs' to the
// bit), makes the river's pixels behind a racer fail the depth test instead of being shaded and then
// covered; under the surface the river is nearer still and blends over the bed as before. The
// picture is the same: the racers' colour pass meets the same depth and passes where it did.
void CVelmGfx::RenderDynamicDepth() {
    CFXManager& fx = FXManager::Instance();
    CRenderer& renderer = Renderer::Instance();
    const std::uint32_t units = renderer.m_drawnUnits;
    const std::uint32_t faces = renderer.m_drawnFaces;
    fx.m_override = true;
    fx.SelectPreZ(0);
    renderer.m_depthOrder = CRenderer::kNearestFirst;
    RenderGraph(*m_dynamicGraph, kRenderDynamic);
    fx.m_override = false;
    renderer.m_drawnUnits = units;
    renderer.m_drawnFaces = faces;
}

void CVelmGfx::RenderMirrorGraphs() {
    CGFXCore& core = GFXCore::Instance();
    CRenderer& renderer = Renderer::Instance();
    core.Clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f);
    renderer.m_depthOrder = CRenderer::kNearestFirst;
    RenderGraph(*m_terrainGraph, kRenderTerrain);
    RenderGraph(*m_opaqueGraph, kRenderOpaque);
    RenderGraph(*m_dynamicGraph, kRenderDynamic);
    renderer.m_depthOrder = CRenderer::kFarthestFirst;
    RenderGraph(*m_transparentGraph, kRenderTransparent);
    RenderGraph(*m_particleGraph, kRenderParticle);
}

void CVelmGfx::RenderWaterMaps() {
    CGFXCore& core = GFXCore::Instance();
    CWaterManager& water = WaterManager::Instance();
    D3DXPLANE plane;
    D3DXMATRIX reflection;
    // Only a planar unit has a plane to mirror in; without one there is nothing to draw. Without
    // the targets (not made, or lost) the mirrored scene would land in the frame itself: the
    // water then draws without reflection.
    if (!water.GetReflectionMatrix(&plane, &reflection) || water.GetReflectionTexture().GetTexture() == nullptr ||
        water.GetRefractionTexture().GetTexture() == nullptr || water.GetReflectionDepthSurface() == nullptr ||
        water.GetRefractionDepthSurface() == nullptr) {
        return;
    }
    const D3DXMATRIX view = core.GetViewMatrix();
    const D3DXMATRIX projection = core.GetProjectionMatrix();
    IDirect3DSurface9* savedTarget = nullptr;
    IDirect3DSurface9* savedDepth = nullptr;
    core.GetRenderTarget(0, &savedTarget);
    core.GetDepthStencilSurface(&savedDepth);

    D3DXMATRIX mirroredView;
    D3DXMatrixMultiply(&mirroredView, &reflection, &view);
    core.SetViewMatrix(mirroredView);

    // The plane in clip space, negated so that the kept side is the one the pass shows.
    D3DXMATRIX viewProjection;
    D3DXMatrixMultiply(&viewProjection, &view, &projection);
    D3DXMATRIX inverse;
    D3DXMatrixInverse(&inverse, nullptr, &viewProjection);
    D3DXMATRIX inverseTranspose;
    D3DXMatrixTranspose(&inverseTranspose, &inverse);
    D3DXPLANE normalised;
    D3DXPlaneNormalize(&normalised, &plane);
    D3DXPLANE clip;
    D3DXPlaneTransform(&clip, &normalised, &inverseTranspose);
    clip = D3DXPLANE(-clip.a, -clip.b, -clip.c, -clip.d);
    core.SetClipPlane(1, clip);
    core.SetRenderState(D3DRS_CLIPPLANEENABLE, 2);

    IDirect3DSurface9* reflectionSurface = water.GetReflectionSurface();
    core.SetRenderTarget(0, reflectionSurface);
    core.SetDepthStencilSurface(water.GetReflectionDepthSurface());
    core.SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);

    CLightsManager& lights = LightsManager::Instance();
    const D3DLIGHT9 savedLight = lights.GetLight();
    D3DLIGHT9 mirroredLight = savedLight;
    D3DXVECTOR3 position(savedLight.Position.x, savedLight.Position.y, savedLight.Position.z);
    D3DXVec3TransformCoord(&position, &position, &reflection);
    mirroredLight.Position = {position.x, position.y, position.z};
    lights.SetLight(mirroredLight, 0);
    // The shared parameters carry the light and the view into every effect.
    Renderer::Instance().Begin();
    RenderMirrorGraphs();

    core.SetClipPlane(1, clip);
    IDirect3DSurface9* refractionSurface = water.GetRefractionSurface();
    core.SetRenderTarget(0, refractionSurface);
    core.SetDepthStencilSurface(water.GetRefractionDepthSurface());
    lights.SetLight(savedLight, 0);
    core.SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    core.SetViewMatrix(view);
    Renderer::Instance().Begin();
    RenderMirrorGraphs();

    core.SetRenderState(D3DRS_CLIPPLANEENABLE, 0);
    if (savedTarget != nullptr) {
        core.SetRenderTarget(0, savedTarget);
    }
    core.SetDepthStencilSurface(savedDepth);
    if ((m_renderFlags & kSaveReflection) != 0 && reflectionSurface != nullptr) {
        core.SaveSurfaceToFile("RefMap", D3DXIFF_BMP, reflectionSurface);
    }
    if ((m_renderFlags & kSaveRefraction) != 0 && refractionSurface != nullptr) {
        core.SaveSurfaceToFile("RefracMap", D3DXIFF_BMP, refractionSurface);
    }
    ReleaseAndNull(&reflectionSurface);
    ReleaseAndNull(&refractionSurface);
    ReleaseAndNull(&savedTarget);
    ReleaseAndNull(&savedDepth);
}

void CVelmGfx::CullDynamicUnits(const std::vector<IGfxUnit*>& units) {
    CGFXCore& core = GFXCore::Instance();
    CRenderer& renderer = Renderer::Instance();
    renderer.m_drawnUnits = 0;
    renderer.m_drawnFaces = 0;
    m_sceneObjects = m_sceneFaces = m_filteredObjects = m_filteredFaces = m_drawnObjects = m_drawnFaces = 0;
    m_debugMeshes.clear();
    const bool debugMeshes = core.m_drawDebugMeshes;
    std::vector<IGfxUnit*> visible;
    visible.reserve(units.size() + 6);
    for (IGfxUnit* unit : units) {
        if (unit == nullptr) {
            continue;
        }
        const std::uint32_t faces = unit->GetFaceCount();
        ++m_sceneObjects;
        m_sceneFaces += faces;
        if (unit->IsAlwaysVisible() == 0) {
            D3DXMATRIX worldView;
            D3DXMatrixMultiply(&worldView, &unit->GetWorldMatrix(), &core.GetViewMatrix());
            if (!core.GetWideFrustum().TestSphere(unit->GetTransformedBoundingSphere(worldView))) {
                continue;
            }
        }
        visible.push_back(unit);
        if (debugMeshes && (m_renderFlags & kDynamicDebugMeshes) != 0) {
            AppendAttached(*unit, &m_debugMeshes);
        }
        ++m_filteredObjects;
        m_filteredFaces += faces;
    }
    if ((m_renderFlags & kRenderSkybox) != 0 && m_skyBox != nullptr && m_skyBox->HasAllFaces()) {
        const D3DXVECTOR3& eye = core.CameraEye();
        m_skyBox->FollowCamera(eye.x, eye.y, eye.z);
        for (const CGFXSkyBox::EFace face : {CGFXSkyBox::kFront, CGFXSkyBox::kBack, CGFXSkyBox::kLeft,
                                             CGFXSkyBox::kRight, CGFXSkyBox::kUp, CGFXSkyBox::kDown}) {
            visible.push_back(m_skyBox->GetFace(face));
        }
        m_sceneObjects += 6;
        m_filteredObjects += 6;
        m_sceneFaces += 12;
        m_filteredFaces += 12;
    }
    const std::uint32_t staticObjects = m_terrainObjects + m_waterObjects + m_levelObjects;
    const std::uint32_t staticFaces = m_terrainFaces + m_waterFaces + m_levelFaces;
    m_sceneObjects += staticObjects;
    m_filteredObjects += staticObjects;
    m_sceneFaces += staticFaces;
    m_filteredFaces += staticFaces;
    (*m_dynamicGraph)->Build(visible);
    if (debugMeshes) {
        const std::pair<const std::vector<IGfxUnit*>*, std::uint32_t> lists[] = {
            {&m_waterUnits, kWaterDebugMeshes},
            {&m_terrainUnits, kTerrainDebugMeshes},
            {&m_opaqueUnits, kOpaqueDebugMeshes},
            {&m_transparentUnits, kTransparentDebugMeshes},
        };
        for (const auto& [list, flag] : lists) {
            if ((m_renderFlags & flag) == 0) {
                continue;
            }
            for (IGfxUnit* unit : *list) {
                AppendAttached(*unit, &m_debugMeshes);
            }
        }
        m_debugMeshes.insert(m_debugMeshes.end(), m_particleDebugMeshes.begin(), m_particleDebugMeshes.end());
        (*m_debugGraph)->Build(m_debugMeshes);
    }
}

void CVelmGfx::SetScreenUnits(std::vector<IScreenUnit*> units) {
    m_screenUnits = std::move(units);
    SortByZOrder(&m_screenUnits);
}

void CVelmGfx::CullParticleUnits(const std::vector<IGfxUnit*>& units) {
    CGFXCore& core = GFXCore::Instance();
    m_particleSceneObjects = m_particleSceneFaces = m_particleFilteredObjects = m_particleFilteredFaces = 0;
    m_particleDebugMeshes.clear();
    const bool debugMeshes = core.m_drawDebugMeshes && (m_renderFlags & kParticleDebugMeshes) != 0;
    std::vector<IGfxUnit*> visible;
    visible.reserve(units.size());
    for (IGfxUnit* unit : units) {
        if (unit == nullptr) {
            continue;
        }
        const std::uint32_t faces = unit->GetFaceCount();
        ++m_particleSceneObjects;
        m_particleSceneFaces += faces;
        D3DXMATRIX worldView;
        D3DXMatrixMultiply(&worldView, &unit->GetWorldMatrix(), &core.GetViewMatrix());
        if (!core.GetWideFrustum().TestSphere(unit->GetTransformedBoundingSphere(worldView))) {
            continue;
        }
        visible.push_back(unit);
        if (debugMeshes) {
            AppendAttached(*unit, &m_particleDebugMeshes);
        }
        ++m_particleFilteredObjects;
        m_particleFilteredFaces += faces;
    }
    (*m_particleGraph)->Build(visible);
}

void CVelmGfx::AddTerrainUnit(IGfxUnit* unit) {
    if (unit == nullptr) {
        return;
    }
    m_terrainUnits.push_back(unit);
    ++m_terrainObjects;
    m_terrainFaces += unit->GetFaceCount();
}

void CVelmGfx::AddWaterUnit(IGfxUnit* unit) {
    if (unit == nullptr) {
        return;
    }
    m_waterUnits.push_back(unit);
    ++m_waterObjects;
    m_waterFaces += unit->GetFaceCount();
}

void CVelmGfx::AddTerrainUnit(ISceneUnit* unit) { AddTerrainUnit(AsGfxUnit(unit, "terrain")); }

void CVelmGfx::AddWaterUnit(ISceneUnit* unit) { AddWaterUnit(AsGfxUnit(unit, "water")); }

void CVelmGfx::AddOpaqueUnit(IGfxUnit* unit) {
    if (unit == nullptr) {
        return;
    }
    m_opaqueUnits.push_back(unit);
    ++m_levelObjects;
    m_levelFaces += unit->GetFaceCount();
}

void CVelmGfx::AddTransparentUnit(IGfxUnit* unit) {
    if (unit == nullptr) {
        return;
    }
    m_transparentUnits.push_back(unit);
    ++m_levelObjects;
    m_levelFaces += unit->GetFaceCount();
}

void CVelmGfx::BuildTerrainSceneGraph() {
    if (!m_terrainUnits.empty()) {
        (*m_terrainGraph)->Build(m_terrainUnits);
    }
}

void CVelmGfx::BuildWaterSceneGraph() {
    if (!m_waterUnits.empty()) {
        (*m_waterGraph)->Build(m_waterUnits);
    }
}

void CVelmGfx::RemoveLevelUnit(IGfxUnit* unit) {
    bool found = false;
    for (std::vector<IGfxUnit*>* list : {&m_opaqueUnits, &m_transparentUnits}) {
        const auto at = std::find(list->begin(), list->end(), unit);
        if (at != list->end()) {
            list->erase(at);
            found = true;
        }
    }
    if (!found) {
        return;
    }
    --m_levelObjects;
    const std::uint32_t faces = unit->GetFaceCount();
    m_levelFaces = m_levelFaces > faces ? m_levelFaces - faces : 0;
    BuildLevelSceneGraphs();
}

void CVelmGfx::BuildLevelSceneGraphs() {
    (*m_opaqueGraph)->Build(m_opaqueUnits);
    (*m_transparentGraph)->Build(m_transparentUnits);
}

void CVelmGfx::ClearTerrainUnits() {
    (*m_terrainGraph)->Clear();
    std::vector<IGfxUnit*>().swap(m_terrainUnits);
    m_terrainObjects = 0;
    m_terrainFaces = 0;
}

void CVelmGfx::ClearWaterUnits() {
    (*m_waterGraph)->Clear();
    std::vector<IGfxUnit*>().swap(m_waterUnits);
    m_waterObjects = 0;
    m_waterFaces = 0;
}

void CVelmGfx::ClearLevelSceneGraphs() {
    (*m_opaqueGraph)->Clear();
    (*m_transparentGraph)->Clear();
    std::vector<IGfxUnit*>().swap(m_opaqueUnits);
    std::vector<IGfxUnit*>().swap(m_transparentUnits);
    m_levelObjects = 0;
    m_levelFaces = 0;
}

void CVelmGfx::SetSpatialPartition(float minX, float minY, float minZ, float maxX, float maxY, float maxZ, float sizeX,
                                   float sizeY, float sizeZ, std::uint32_t mask) {
    const common::CVector3 min(minX, minY, minZ);
    const common::CVector3 size(sizeX, sizeY, sizeZ);
    // A zero or negative size, or a box inside out, lays no cells instead of dividing by zero.
    auto cellsAlong = [](float low, float high, float step) {
        if (!(step > 0.0f) || !(high > low)) {
            return 0;
        }
        const float count = std::floor((high - low) / step);
        return count < 1.0f ? 0 : (count > 65536.0f ? 65536 : static_cast<int>(count));
    };
    const int nx = cellsAlong(minX, maxX, sizeX);
    const int ny = cellsAlong(minY, maxY, sizeY);
    const int nz = cellsAlong(minZ, maxZ, sizeZ);
    std::vector<SSpatialCell> cells;
    if (static_cast<long long>(nx) * ny * nz <= 65536) {
        cells.reserve(static_cast<std::size_t>(nx) * ny * nz);
        const float radius = size.Length() * 0.5f;
        for (int z = 0; z < nz; ++z) {
            for (int x = 0; x < nx; ++x) {
                for (int y = 0; y < ny; ++y) {
                    const common::CVector3 corner(min.x + x * size.x, min.y + y * size.y, min.z + z * size.z);
                    cells.push_back(
                        {common::CSphere(corner + size * 0.5f, radius), common::CAABB(corner, corner + size)});
                }
            }
        }
    } else {
        std::fprintf(stderr, "Graphics: a spatial partition of more than 65536 cells is refused\n");
    }
    if (mask == 0) {
        mask = kDefaultPartitionMask;
    }
    const std::pair<CSceneGraphMgr*, std::uint32_t> graphs[] = {
        {m_dynamicGraph, kDynamicGraph}, {m_particleGraph, kParticleGraph},
        {m_opaqueGraph, kOpaqueGraph},   {m_transparentGraph, kTransparentGraph},
        {m_terrainGraph, kTerrainGraph}, {m_waterGraph, kWaterGraph},
        {m_debugGraph, kDebugGraph},
    };
    for (const auto& [graph, bit] : graphs) {
        if ((mask & bit) != 0) {
            (*graph)->SetSpatialPartition(cells);
        }
    }
}

void OnLostDevice() {
    if (GFXCore::Exists()) {
        GFXCore::Instance().OnLostDevice();
    }
    if (FXManager::Exists()) {
        FXManager::Instance().OnLostDevice();
    }
    if (WaterManager::Exists()) {
        WaterManager::Instance().OnLostDevice();
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
    if (WaterManager::Exists()) {
        WaterManager::Instance().OnResetDevice();
    }
    if (Renderer::Exists()) {
        Renderer::Instance().OnResetDevice();
    }
}

std::uint32_t GetScreenWidth() {
    return GFXCore::Exists() ? static_cast<std::uint32_t>(GFXCore::Instance().GetScreenWidth()) : 0;
}

std::uint32_t GetScreenHeight() {
    return GFXCore::Exists() ? static_cast<std::uint32_t>(GFXCore::Instance().GetScreenHeight()) : 0;
}

void SetWaterEnvironmentMap(const std::string& fileName) {
    WaterManager::Instance().LoadEnvironmentMap(SGfxDirectories::s_texture + fileName);
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
