#include "engine/gfx/renderer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "engine/gfx/atmosphere_manager.h"
#include "engine/gfx/gfx_core.h"
#include "engine/gfx/lights_manager.h"
#include "engine/gfx/texture_cache.h"

namespace velm {
namespace gfx {
namespace {

constexpr DWORD kBufferUsage = D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY;
constexpr float kHeightScale = 0.042f;

struct STextureBinding {
    std::size_t position; // in the effect's handle list
    std::uint32_t slot;   // of the unit
};

struct STechnique {
    const char* name;
    std::vector<STextureBinding> textures;
};

// Which unit slot each technique binds to which handle position, per batch.
const std::vector<STechnique>& Techniques() {
    static const std::vector<STechnique> table = {
        {"TextureMapping", {{9, 4}, {10, 6}}},
        {"RenderTerrain", {{9, 4}, {10, 5}, {11, 0}, {13, 6}}},
        {"NormalMapping", {{9, 4}, {10, 6}, {11, 0}}},
        {"ParallaxMapping", {{9, 4}, {10, 6}, {11, 0}, {12, 1}}},
        {"CartoonShading", {{9, 4}, {10, 6}, {11, 2}}},
        {"RenderSkybox", {{9, 4}}},
        {"RenderPlanarWaveWater", {{29, 0}}},
        {"RenderSplineWater", {{29, 0}}},
        {"RenderPlanarWater", {{29, 0}}},
        {"RenderBillboard", {{9, 4}}},
        {"RenderParticle", {{9, 4}}},
        {"RenderLenFlare", {{9, 4}, {10, 5}, {11, 0}, {12, 1}}},
        {"TextureMappingNoLight", {{9, 4}}},
        {"RenderFlag", {{9, 4}}},
        {"Membrane", {{9, 4}, {10, 2}}},
    };
    return table;
}

// Positions of Water2.fx's list.
enum EWaterHandle : std::size_t {
    kBumpHeight = 9,
    kReflectionUVDistortion,
    kWaterBlendWeight,
    kHDRMultiplier,
    kTextureScale,
    kBumpSpeed,
    kFresnelBias,
    kFresnelPower,
    kShallowWaterColor,
    kDeepWaterColor,
    kWaveAmp,
    kWaveFreq,
    kWave0Freq,
    kWave1Freq = kWave0Freq + 4,
    kWaterNormalMap = kWave1Freq + 4,
    kReflectionMap,
    kRefractionMap,
    kWaterAlpha,
    kCubeMap,
    kBumpScale,
};

constexpr std::size_t kTerrainBlend = 12;
constexpr std::size_t kHeightScalePosition = 13;
constexpr std::size_t kLensFlareOffset = 13;

const std::string& TechniqueOf(const SUnitRenderData& data) {
    static const std::string kNone;
    return data.techniqueName != nullptr ? *data.techniqueName : kNone;
}

std::uint32_t RoundUp(std::uint32_t needed, std::uint32_t from) {
    std::uint32_t capacity = std::max<std::uint32_t>(from, 1);
    while (capacity < needed) {
        capacity *= 2;
    }
    return capacity;
}

void SetColour(ID3DXEffect* effect, D3DXHANDLE handle, const D3DCOLORVALUE& colour) {
    const float values[4] = {colour.r, colour.g, colour.b, colour.a};
    effect->SetFloatArray(handle, values, 4);
}

} // namespace

CRenderer::CRenderer() { CreateBuffers(); }

CRenderer::~CRenderer() { ReleaseBuffers(); }

void CRenderer::CreateBuffers() {
    ReleaseBuffers();
    if (!GFXCore::Exists() || GFXCore::Instance().GetDevice() == nullptr) {
        return;
    }
    CGFXCore& core = GFXCore::Instance();
    core.CreateVertexBuffer(m_maxVertices * kVertexStride, kBufferUsage, 0, D3DPOOL_DEFAULT, &m_vertexBuffer);
    core.CreateIndexBuffer(m_maxIndices * 2, kBufferUsage, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &m_indexBuffer);
}

void CRenderer::ReleaseBuffers() {
    if (m_vertexBuffer != nullptr) {
        m_vertexBuffer->Release();
        m_vertexBuffer = nullptr;
    }
    if (m_indexBuffer != nullptr) {
        m_indexBuffer->Release();
        m_indexBuffer = nullptr;
    }
}

void CRenderer::OnLostDevice() {
    ReleaseBuffers();
    m_fixed.Release();
    m_lost = true;
}

void CRenderer::OnResetDevice() {
    m_lost = false;
    CreateBuffers();
}

void CRenderer::Report(const std::string& key, const std::string& message) {
    if (m_reported.insert(key).second) {
        std::fprintf(stderr, "Renderer: %s\n", message.c_str());
    }
}

bool CRenderer::Reserve(std::uint32_t vertices, std::uint32_t indices) {
    if (vertices > m_maxVertices || indices > m_maxIndices) {
        // Grown once for the largest unit seen, then kept: later frames stream without creating.
        m_maxVertices = std::max(m_maxVertices, std::min(RoundUp(vertices, m_maxVertices), kMostVertices));
        m_maxIndices = std::max(m_maxIndices, RoundUp(indices, m_maxIndices));
        CreateBuffers();
    } else if (m_vertexBuffer == nullptr || m_indexBuffer == nullptr) {
        CreateBuffers();
    }
    if (m_vertexBuffer == nullptr || m_indexBuffer == nullptr) {
        Report("no buffers", "the dynamic buffers could not be made; the batch is skipped");
        return false;
    }
    return true;
}

void CRenderer::Begin() {
    if (!FXManager::Exists() || FXManager::Instance().GetSharedEffect() == nullptr || !GFXCore::Exists()) {
        return;
    }
    CFXManager& fx = FXManager::Instance();
    ID3DXEffect* effect = fx.GetSharedEffect();
    const HandleList& handles = fx.GetSharedHandles();
    const CGFXCore& core = GFXCore::Instance();
    D3DXMATRIX viewInverse;
    D3DXMatrixInverse(&viewInverse, nullptr, &core.GetViewMatrix());
    D3DXMATRIX viewProjection;
    D3DXMatrixMultiply(&viewProjection, &core.GetViewMatrix(), &core.GetProjectionMatrix());
    effect->SetMatrix(handles[kSharedViewInverse], &viewInverse);
    effect->SetMatrix(handles[kSharedView], &core.GetViewMatrix());
    effect->SetMatrix(handles[kSharedViewProjection], &viewProjection);
    const D3DLIGHT9& light = LightsManager::Instance().GetLight();
    effect->SetInt(handles[kSharedLightType], static_cast<INT>(light.Type));
    const float position[3] = {light.Position.x, light.Position.y, light.Position.z};
    const float direction[3] = {light.Direction.x, light.Direction.y, light.Direction.z};
    const float falloff[3] = {light.Falloff, light.Attenuation0, light.Attenuation1};
    effect->SetFloatArray(handles[kSharedLightPos], position, 3);
    effect->SetFloatArray(handles[kSharedLightDir], direction, 3);
    effect->SetFloatArray(handles[kSharedLightFalloff], falloff, 3);
    effect->SetFloat(handles[kSharedLightRange], light.Range);
    SetColour(effect, handles[kSharedLightAmbient], light.Ambient);
    SetColour(effect, handles[kSharedLightDiffuse], light.Diffuse);
    SetColour(effect, handles[kSharedLightSpecular], light.Specular);
    const CAtmosphereManager& fog = AtmosphereManager::Instance();
    effect->SetFloat(handles[kSharedFogStart], fog.m_fogStart);
    effect->SetFloat(handles[kSharedFogEnd], fog.m_fogEnd);
    effect->SetFloat(handles[kSharedFogDensity], fog.m_fogDensity);
    const float colour[4] = {fog.m_r, fog.m_g, fog.m_b, fog.m_a};
    effect->SetFloatArray(handles[kSharedFogColour], colour, 4);
    m_eye = D3DXVECTOR3(viewInverse._41, viewInverse._42, viewInverse._43);
    // Past the end a fog of full strength gives its own colour whatever the density; a little
    // further still, so that rounding in the effect cannot leave a trace of the ground.
    const bool covers = fog.m_fogEnd > fog.m_fogStart && fog.m_a >= 1.0f && std::isfinite(fog.m_fogEnd);
    m_fogWall = covers ? fog.m_fogEnd * 1.001f + 0.01f : -1.0f;
    effect->SetFloat(handles[kSharedTime], static_cast<float>(core.GetFrameTime()));
    effect->SetFloat(handles[kSharedElapsedTime], core.GetElapsedTime());
}

void CRenderer::Enqueue(IGfxUnit* unit) {
    if (unit != nullptr) {
        m_queue.push_back(unit);
    }
}

D3DXHANDLE CRenderer::Handle(const HandleList* handles, std::size_t position, const std::string& technique) {
    if (handles != nullptr && position < handles->size()) {
        return (*handles)[position];
    }
    const std::size_t size = handles != nullptr ? handles->size() : 0;
    Report("short " + technique + " " + std::to_string(size),
           "technique \"" + technique + "\" writes handle " + std::to_string(position) + " but its effect has only " +
               std::to_string(size) + "; the write is skipped (is the technique paired with the wrong effect file?)");
    return nullptr;
}

void CRenderer::SetBatchTextures(const std::string& technique, const UnitTextures& textures, ID3DXEffect* effect,
                                 const HandleList* handles) {
    // Under the override the pre-depth effect stays as it is, whoever calls.
    if (effect == nullptr || (FXManager::Exists() && FXManager::Instance().m_override)) {
        return;
    }
    for (const STechnique& entry : Techniques()) {
        if (technique != entry.name) {
            continue;
        }
        for (const STextureBinding& binding : entry.textures) {
            D3DXHANDLE handle = Handle(handles, binding.position, technique);
            if (handle == nullptr) {
                continue;
            }
            const CTextureRef* reference = textures[static_cast<std::size_t>(TextureSlotIndex(binding.slot))];
            effect->SetTexture(handle, reference != nullptr ? reference->GetTexture() : nullptr);
        }
        return;
    }
}

void CRenderer::SetMatrices(const SUnitRenderData& data, ID3DXEffect* effect, const HandleList* handles) {
    const std::string& technique = TechniqueOf(data);
    D3DXMATRIX worldView;
    D3DXMatrixMultiply(&worldView, &data.world, &data.view);
    D3DXMATRIX inverse;
    D3DXMATRIX inverseTranspose;
    D3DXMatrixInverse(&inverse, nullptr, &data.world);
    D3DXMatrixTranspose(&inverseTranspose, &inverse);
    effect->SetMatrix(Handle(handles, kHandleWorld, technique), &data.world);
    effect->SetMatrix(Handle(handles, kHandleWorldView, technique), &worldView);
    effect->SetMatrix(Handle(handles, kHandleWorldViewProjection, technique), &data.worldViewProjection);
    effect->SetMatrix(Handle(handles, kHandleWorldInverseTranspose, technique), &inverseTranspose);
}

void CRenderer::SetTransformAndMaterial(const SUnitRenderData& data, ID3DXEffect* effect, const HandleList* handles) {
    SetMatrices(data, effect, handles);
    const std::string& technique = TechniqueOf(data);
    const D3DCOLORVALUE white = {1.0f, 1.0f, 1.0f, 1.0f};
    const D3DCOLORVALUE none = {0.0f, 0.0f, 0.0f, 0.0f};
    const D3DMATERIAL9* material = data.material;
    SetColour(effect, Handle(handles, kHandleMaterialAmbient, technique),
              material != nullptr ? material->Ambient : white);
    SetColour(effect, Handle(handles, kHandleMaterialDiffuse, technique),
              material != nullptr ? material->Diffuse : white);
    SetColour(effect, Handle(handles, kHandleMaterialSpecular, technique),
              material != nullptr ? material->Specular : none);
    effect->SetFloat(Handle(handles, kHandleSpecularPower, technique), material != nullptr ? material->Power : 256.0f);
}

void CRenderer::SetWaterParameters(const std::string& technique, const SUnitRenderData& data, ID3DXEffect* effect,
                                   const HandleList* handles) {
    auto at = [&](std::size_t position) { return Handle(handles, position, technique); };
    const bool planar = technique == "RenderPlanarWater";
    if (planar) {
        if (const SPlanarWaterParams* water = data.planarWater) {
            effect->SetFloat(at(kBumpScale), water->bumpScale);
            effect->SetFloat(at(kReflectionUVDistortion), water->refUVDistortion);
            effect->SetFloat(at(kFresnelBias), water->fresnelBias);
            effect->SetFloat(at(kFresnelPower), water->fresnelPower);
        }
    } else if (const SWaveWaterParams* water = data.waveWater) {
        effect->SetFloat(at(kBumpHeight), water->bumpHeight);
        effect->SetFloat(at(kReflectionUVDistortion), water->refUVDistortion);
        effect->SetFloat(at(kWaterBlendWeight), water->waterBlendWeight);
        effect->SetFloat(at(kHDRMultiplier), water->hdrMultiplier);
        const float scale[2] = {water->texScaleX, water->texScaleZ};
        const float speed[2] = {water->bumpSpeedX, water->bumpSpeedZ};
        effect->SetFloatArray(at(kTextureScale), scale, 2);
        effect->SetFloatArray(at(kBumpSpeed), speed, 2);
        effect->SetFloat(at(kFresnelBias), water->fresnelBias);
        effect->SetFloat(at(kFresnelPower), water->fresnelPow);
        const float shallow[4] = {water->shallowR, water->shallowG, water->shallowB, water->shallowA};
        effect->SetFloatArray(at(kShallowWaterColor), shallow, 4);
        effect->SetFloat(at(kWaveAmp), water->waveAmp);
        effect->SetFloat(at(kWaveFreq), water->waveFreq);
        const float waves[2][5] = {{water->freq1, water->amp1, water->phase1, water->dirX1, water->dirZ1},
                                   {water->freq2, water->amp2, water->phase2, water->dirX2, water->dirZ2}};
        for (std::size_t wave = 0; wave < 2; ++wave) {
            const std::size_t first = wave == 0 ? kWave0Freq : kWave1Freq;
            effect->SetFloat(at(first), waves[wave][0]);
            effect->SetFloat(at(first + 1), waves[wave][1]);
            effect->SetFloat(at(first + 2), waves[wave][2]);
            effect->SetFloatArray(at(first + 3), &waves[wave][3], 2);
        }
    }
    if (technique == "RenderSplineWater") {
        effect->SetTexture(at(kCubeMap), m_waterMaps.cube);
    } else {
        effect->SetTexture(at(kReflectionMap), m_waterMaps.reflection);
        effect->SetTexture(at(kRefractionMap), m_waterMaps.refraction);
    }
}

void CRenderer::SetUnitParameters(const SUnitRenderData& data, ID3DXEffect* effect, const HandleList* handles) {
    if (effect == nullptr) {
        return;
    }
    SetTransformAndMaterial(data, effect, handles);
    const std::string& technique = TechniqueOf(data);
    effect->SetFloat(Handle(handles, kHandleTileFactor, technique), data.tileFactor);
    if (technique == "RenderTerrain") {
        effect->SetTexture(Handle(handles, kTerrainBlend, technique),
                           data.terrainBlend != nullptr ? data.terrainBlend->GetTexture() : nullptr);
    } else if (technique == "ParallaxMapping") {
        effect->SetFloat(Handle(handles, kHeightScalePosition, technique), kHeightScale);
    } else if (technique == "RenderLenFlare") {
        effect->SetFloatArray(Handle(handles, kLensFlareOffset, technique), data.lensFlareOffset, 2);
    } else if (technique == "RenderPlanarWaveWater" || technique == "RenderSplineWater" ||
               technique == "RenderPlanarWater") {
        SetWaterParameters(technique, data, effect, handles);
    }
}

void CRenderer::SortByDepth(std::vector<IGfxUnit*>* units) const {
    if (m_depthOrder != kFarthestFirst && m_depthOrder != kNearestFirst) {
        return;
    }
    std::vector<std::pair<float, IGfxUnit*>> keyed;
    keyed.reserve(units->size());
    // Reversed before a stable sort: units of equal depth come out in the reverse of their
    // queue order, as the engine has always drawn them.
    for (auto unit = units->rbegin(); unit != units->rend(); ++unit) {
        keyed.emplace_back((*unit)->GetProjectedDepth(), *unit);
    }
    if (m_depthOrder == kFarthestFirst) {
        std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    } else {
        std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    }
    for (std::size_t i = 0; i < keyed.size(); ++i) {
        (*units)[i] = keyed[i].second;
    }
}

void CRenderer::DrawUnit(const IGfxUnit& unit, const SUnitRenderData& data, ID3DXEffect* effect,
                         const HandleList* handles, bool matricesOnly) {
    CGFXCore& core = GFXCore::Instance();
    if (matricesOnly) {
        // The pre-depth pass needs this unit's own matrices, or it draws with the last ones set.
        SetMatrices(data, effect, handles);
    } else {
        SetUnitParameters(data, effect, handles);
    }
    effect->CommitChanges();
    if (unit.IsWireframe() == 1) {
        core.SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
    }
    const SUnitGeometry& geometry = *data.geometry;
    // Never draw more than the arrays hold: the counts of the record may be stale.
    const std::uint32_t vertexCount = std::min(data.vertexCount, geometry.vertexCount);
    const std::uint32_t faceCount = std::min(data.faceCount, geometry.indexCount / 3);
    m_drawnFaces += data.faceCount;
    IDirect3DVertexBuffer9* vertexBuffer = m_vertexBuffer;
    IDirect3DIndexBuffer9* indexBuffer = m_indexBuffer;
    const CGeometryChunks* chunks = nullptr;
    if (const CFixedGeometry::SBuffers* fixed = m_fixed.Find(geometry)) {
        vertexBuffer = fixed->vertices;
        indexBuffer = fixed->indices;
        chunks = m_cutOutOfView && fixed->chunks.IsCut() ? &fixed->chunks : nullptr;
    } else {
        void* target = nullptr;
        // Only the written range is locked: a discard drops the rest of the buffer all the same.
        const UINT vertexBytes = geometry.vertexCount * kVertexStride;
        const UINT indexBytes = geometry.indexCount * 2;
        if (vertexBytes > 0 && SUCCEEDED(m_vertexBuffer->Lock(0, vertexBytes, &target, D3DLOCK_DISCARD))) {
            std::memcpy(target, geometry.vertices, vertexBytes);
            m_vertexBuffer->Unlock();
        }
        if (indexBytes > 0 && SUCCEEDED(m_indexBuffer->Lock(0, indexBytes, &target, D3DLOCK_DISCARD))) {
            std::memcpy(target, geometry.indices, indexBytes);
            m_indexBuffer->Unlock();
        }
    }
    m_fixed.Drawn();
    if (vertexBuffer != m_boundVertices) {
        core.SetStreamSource(0, vertexBuffer, 0, kVertexStride);
        m_boundVertices = vertexBuffer;
    }
    if (indexBuffer != m_boundIndices) {
        core.SetIndices(indexBuffer);
        m_boundIndices = indexBuffer;
    }
    if (faceCount > 0 && (chunks == nullptr || !DrawSeenRanges(data, *chunks, faceCount, effect, matricesOnly))) {
        core.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, vertexCount, 0, faceCount);
    }
    core.SetRenderState(D3DRS_FILLMODE, core.GetFillMode());
}

bool CRenderer::DrawSeenRanges(const SUnitRenderData& data, const CGeometryChunks& chunks, std::uint32_t faceCount,
                               ID3DXEffect* effect, bool matricesOnly) {
    // Only the unit's own effect has the plain-fog technique; a pass that draws every unit with
    // another one (the pre-depth pass) keeps to it, but lays the depth of the same ground, the far
    // cover where there is one, or the colour pass would fail its depth test there.
    const char* fogged = FoggedTechnique(TechniqueOf(data));
    SChunkView view;
    // The water techniques lift their vertices by the waves; the bound holds at every moment.
    if (const SWaveWaterParams* water = data.waveWater) {
        view.rise = std::fabs(water->amp1) + std::fabs(water->amp2) + std::fabs(water->waveAmp);
    }
    if (!std::isfinite(view.rise)) {
        return false;
    }
    view.world = data.world;
    D3DXMatrixMultiply(&view.viewProjection, &data.view, &data.projection);
    view.eye = m_eye;
    view.fogWall = fogged != nullptr ? m_fogWall : -1.0f;
    chunks.Visible(view, faceCount * 3, &m_ranges, &m_foggedRanges);
    if (m_foggedRanges.empty() && m_ranges.size() == 1 && m_ranges[0].indexCount == faceCount * 3) {
        return false; // all of it may be seen: drawn whole, as any other unit
    }
    DrawRanges(m_ranges);
    if (matricesOnly) {
        DrawRanges(m_foggedRanges);
    } else if (!m_foggedRanges.empty()) {
        DrawFogged(effect, TechniqueOf(data), fogged);
    }
    return true;
}

void CRenderer::DrawRanges(const std::vector<SIndexRange>& ranges) {
    CGFXCore& core = GFXCore::Instance();
    for (const SIndexRange& range : ranges) {
        core.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, range.lowest, range.highest - range.lowest + 1,
                                  range.firstIndex, range.indexCount / 3);
    }
}

const char* CRenderer::FoggedTechnique(const std::string& technique) {
    return technique == "RenderTerrain" ? "RenderFoggedTerrain" : nullptr;
}

void CRenderer::DrawFogged(ID3DXEffect* effect, const std::string& technique, const char* fogged) {
    effect->EndPass();
    effect->End();
    UINT passes = 0;
    const bool begun = SUCCEEDED(effect->SetTechnique(fogged)) && SUCCEEDED(effect->Begin(&passes, 0));
    const bool drawn = begun && passes > 0 && SUCCEEDED(effect->BeginPass(0));
    if (drawn) {
        DrawRanges(m_foggedRanges);
        effect->EndPass();
    }
    if (begun) {
        effect->End();
    }
    effect->SetTechnique(technique.c_str());
    effect->Begin(&passes, 0);
    effect->BeginPass(m_pass);
    // An effect without the technique draws the ground as it is.
    if (!drawn) {
        DrawRanges(m_foggedRanges);
    }
}

void CRenderer::Flush() {
    if (m_queue.empty()) {
        return;
    }
    std::vector<IGfxUnit*> queue;
    queue.swap(m_queue);
    CFXManager* fx = FXManager::Exists() ? &FXManager::Instance() : nullptr;
    ID3DXEffect* effect = fx != nullptr ? fx->GetCurrentEffect() : nullptr;
    const HandleList* handles = fx != nullptr ? fx->GetCurrentHandles() : nullptr;
    if (effect == nullptr) {
        const std::string name = fx != nullptr ? fx->GetCurrentName() : std::string();
        Report("no effect " + name,
               "a batch was queued with no current effect (\"" + name + "\" is not loaded); the batch is skipped");
        return;
    }
    if (!GFXCore::Exists() || GFXCore::Instance().GetDevice() == nullptr || m_lost) {
        return;
    }
    // Units too large for 16-bit indices are refused; the rest size the buffers.
    std::vector<IGfxUnit*> drawn;
    std::uint32_t mostVertices = 0;
    std::uint32_t mostIndices = 0;
    for (IGfxUnit* unit : queue) {
        const SUnitGeometry* geometry = unit->GetRenderData().geometry;
        if (geometry == nullptr) {
            continue;
        }
        if (geometry->vertexCount > kMostVertices) {
            char key[32];
            std::snprintf(key, sizeof(key), "large %p", static_cast<const void*>(unit));
            Report(key, "a unit of " + std::to_string(geometry->vertexCount) +
                            " vertices is beyond what 16-bit indices address (65536); it is not drawn");
            continue;
        }
        mostVertices = std::max(mostVertices, geometry->vertexCount);
        mostIndices = std::max(mostIndices, geometry->indexCount);
        drawn.push_back(unit);
    }
    SortByDepth(&drawn);
    if (drawn.empty() || !Reserve(mostVertices, mostIndices)) {
        return;
    }
    const std::string technique = drawn.front()->GetTechniqueName();
    if (FAILED(effect->SetTechnique(technique.c_str()))) {
        const std::string name = fx != nullptr ? fx->GetCurrentName() : std::string();
        Report("technique " + name + " " + technique, "Failed To Set Technique: " + technique + " (effect \"" + name +
                                                          "\" has none of that name); the batch draws with the "
                                                          "effect's current technique");
    }
    // Set per unit, as a unit of fixed geometry draws from buffers of its own.
    m_boundVertices = nullptr;
    m_boundIndices = nullptr;
    UINT passes = 0;
    effect->Begin(&passes, 0);
    const bool matricesOnly = fx->m_override;
    for (UINT pass = 0; pass < passes; ++pass) {
        m_pass = pass;
        effect->BeginPass(pass);
        for (IGfxUnit* unit : drawn) {
            const SUnitRenderData data = unit->GetRenderData();
            DrawUnit(*unit, data, effect, handles, matricesOnly);
        }
        effect->EndPass();
    }
    effect->End();
    m_drawnUnits += static_cast<std::uint32_t>(drawn.size());
}

} // namespace gfx
} // namespace velm
