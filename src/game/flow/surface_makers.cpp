#include "game/flow/surface_makers.h"

#include "engine/gfx/gfx_terrain.h"

namespace kelvo {

namespace {

constexpr float kTerrainTileFactor = 32.0f;

std::uint32_t Count(std::int32_t value) { return value < 0 ? 0u : static_cast<std::uint32_t>(value); }

// The record keeps each wave as frequency first; the unit's block starts with the amplitude.
velm::gfx::SWaveWaterParams WaveBlock(const SModelData::SWaterData& w) {
    velm::gfx::SWaveWaterParams p = {};
    p.amp1 = w.m_wave1.m_amp;
    p.freq1 = w.m_wave1.m_freq;
    p.phase1 = w.m_wave1.m_phase;
    p.dirX1 = w.m_wave1.m_dirX;
    p.dirZ1 = w.m_wave1.m_dirZ;
    p.amp2 = w.m_wave2.m_amp;
    p.freq2 = w.m_wave2.m_freq;
    p.phase2 = w.m_wave2.m_phase;
    p.dirX2 = w.m_wave2.m_dirX;
    p.dirZ2 = w.m_wave2.m_dirZ;
    p.bumpHeight = w.m_bumpHeight;
    p.refUVDistortion = w.m_refUVDistortion;
    p.waterBlendWeight = w.m_waterBlendWeight;
    p.hdrMultiplier = w.m_hdrMultiplier;
    p.texScaleX = w.m_texScaleX;
    p.texScaleZ = w.m_texScaleZ;
    p.bumpSpeedX = w.m_bumpSpeedX;
    p.bumpSpeedZ = w.m_bumpSpeedZ;
    p.fresnelBias = w.m_fresnelBias;
    p.fresnelPow = w.m_fresnelPow;
    p.shallowR = w.m_shallowColor[0];
    p.shallowG = w.m_shallowColor[1];
    p.shallowB = w.m_shallowColor[2];
    p.shallowA = w.m_shallowColor[3];
    p.deepR = w.m_deepColor[0];
    p.deepG = w.m_deepColor[1];
    p.deepB = w.m_deepColor[2];
    p.deepA = w.m_deepColor[3];
    p.waveAmp = w.m_waveAmp;
    p.waveFreq = w.m_waveFreq;
    return p;
}

} // namespace

velm::CWater* MakeWater(const SModelData::SWaterData& w, std::uint32_t objectId) {
    if (w.m_kind < 0 || w.m_kind > 2) {
        return nullptr;
    }
    const auto kind = static_cast<std::uint32_t>(w.m_kind);
    velm::gfx::SWaterGrid grid;
    grid.vertPerRow = Count(w.m_vertPerRow);
    grid.vertPerCol = Count(w.m_vertPerCol);
    grid.cellSpacing = w.m_cellSpacing;
    velm::gfx::SWaterMesh mesh;
    mesh.vertices = w.m_vertices.empty() ? nullptr : w.m_vertices.data();
    mesh.vertexCount = static_cast<std::uint32_t>(w.m_vertices.size() / sizeof(velm::gfx::SMeshVertex));
    mesh.indices = w.m_indices.empty() ? nullptr : w.m_indices.data();
    mesh.indexCount = static_cast<std::uint32_t>(w.m_indices.size());
    auto* water = new velm::CWater(w.m_position, w.m_scale, w.m_specularMap, w.m_normalMap, kind, objectId,
                                   kind == velm::gfx::kPlanarWater ? nullptr : &grid,
                                   kind == velm::gfx::kSplineWater ? &mesh : nullptr,
                                   kind == velm::gfx::kSplineWater ? &w.m_cells : nullptr);
    if (kind == velm::gfx::kPlanarWater) {
        water->GetWaterUnit()->SetWaterParameters(w.m_planar);
    } else {
        const velm::gfx::SWaveWaterParams wave = WaveBlock(w);
        water->GetWaterUnit()->SetWaterParameters(&wave.amp1);
    }
    return water;
}

velm::CTerrain* MakeTerrain(const SModelData::STerrainData& t, std::uint32_t objectId) {
    velm::STerrainInfo info;
    info.vertPerRow = Count(t.m_vertPerRow);
    info.vertPerCol = Count(t.m_vertPerCol);
    info.cellSpacing = t.m_cellSpacing;
    info.amplitude = t.m_amplitude;
    info.position = common::CVector3(t.m_position[0], t.m_position[1], t.m_position[2]);
    info.rotationAxis = t.m_rotationAxis;
    info.rotationAngle = t.m_rotationAngle;
    info.scale = common::CVector3(t.m_scale[0], t.m_scale[1], t.m_scale[2]);
    info.base1 = t.m_textures[0];
    info.base2 = t.m_textures[1];
    info.base3 = t.m_textures[2];
    info.blendMap = t.m_textures[3];
    info.specularMap = t.m_textures[4];
    info.heightMap = t.m_textures[5];
    auto* terrain = new velm::CTerrain(info, objectId);
    terrain->GetTerrainUnit()->SetTileFactor(kTerrainTileFactor);
    return terrain;
}

velm::CWater* MakeWater(const SCreationRecord& record) {
    const SModelData& data = record.m_modelData;
    return data.m_water ? MakeWater(*data.m_water, data.m_objectId) : nullptr;
}

velm::CTerrain* MakeTerrain(const SCreationRecord& record) {
    const SModelData& data = record.m_modelData;
    return data.m_terrain ? MakeTerrain(*data.m_terrain, data.m_objectId) : nullptr;
}

} // namespace kelvo
