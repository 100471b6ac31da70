#include "engine/gfx/terrain.h"

#include "engine/gfx/gfx_terrain.h"
#include "engine/gfx/scene_unit.h"
#include "engine/phy/height_map.h"

namespace velm {

CTerrain::CTerrain(const STerrainInfo& info, std::uint32_t id) : m_id(id) {
    // The samples are allocated only for a grid that can be drawn; the unit says why another fails.
    const bool drawable = gfx::CGfxTerrain::IsDrawableGrid(info.vertPerRow, info.vertPerCol);
    phy::CGrid2D heights(drawable ? info.vertPerRow : 0, drawable ? info.vertPerCol : 0, info.position.y);
    m_terrainUnit = new gfx::CGfxTerrain();
    m_unit = m_terrainUnit;
    const bool drawn =
        m_terrainUnit->CreateGeometry({"Terrain.fx", "", "RenderTerrain"}, info.heightMap, info.vertPerRow,
                                      info.vertPerCol, info.cellSpacing, info.amplitude, &heights);
    m_terrainUnit->SetScale(info.scale.x, info.scale.y, info.scale.z, false);
    m_terrainUnit->SetRotationAxis(D3DXVECTOR3(info.rotationAxis.x, info.rotationAxis.y, info.rotationAxis.z), false);
    m_terrainUnit->SetRotationAngle(info.rotationAngle, false);
    m_terrainUnit->SetPosition(info.position.x, info.position.y, info.position.z, true);
    m_terrainUnit->LoadTexture(info.base1, 4);
    m_terrainUnit->LoadTexture(info.base2, 5);
    m_terrainUnit->LoadTexture(info.base3, 0);
    m_terrainUnit->LoadTexture(info.blendMap, 1);
    m_terrainUnit->LoadTexture(info.specularMap, 6);
    // Ground that is not drawn would hold bodies up in mid-air: an undrawable grid gives none.
    const std::uint32_t columns = drawn ? info.vertPerRow : 0;
    const std::uint32_t rows = drawn ? info.vertPerCol : 0;
    m_heightMap =
        std::make_shared<phy::CHeightMap>(columns, rows, info.cellSpacing, info.cellSpacing, heights, info.position);
}

CTerrain::CTerrain(std::uint32_t id, ISceneUnit* unit, std::shared_ptr<phy::CHeightMap> heightMap)
    : m_unit(unit), m_heightMap(std::move(heightMap)), m_id(id) {}

CTerrain::~CTerrain() { delete m_unit; }

} // namespace velm
