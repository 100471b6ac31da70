// The terrain object of a level: its render unit and the height map the bodies collide with,
// under one object id. It owns the unit and shares the height map with the physics world.
// Built on the loading thread, then used on the main thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "libs/common/vector3.h"

namespace velm {

class ISceneUnit;
namespace gfx {
class CGfxTerrain;
}
namespace phy {
class CHeightMap;
}

// What a level's terrain record gives the terrain.
struct STerrainInfo {
    std::uint32_t vertPerRow = 0;
    std::uint32_t vertPerCol = 0;
    float cellSpacing = 0.0f;
    float amplitude = 0.0f;
    common::CVector3 position;
    common::CVector3 rotationAxis;
    float rotationAngle = 0.0f;
    common::CVector3 scale;
    std::string base1;
    std::string base2;
    std::string base3;
    std::string blendMap;
    std::string specularMap;
    std::string heightMap;
};

class CTerrain {
public:
    // The unit ("Terrain.fx", "RenderTerrain") from the height map, scaled, turned and placed,
    // with Base1, Base2, Base3, BlendMap and SpecularMap in slots 4, 5, 0, 1 and 6; and the
    // height map over the same grid, none when the grid cannot be drawn. Each physics sample is
    // the terrain's height y plus the drawn vertex's amplitude x height, so the surface bodies
    // meet is the one drawn (for an unscaled, unturned terrain, as the levels place them).
    CTerrain(const STerrainInfo& info, std::uint32_t id);
    // A terrain from parts made elsewhere; the unit is owned.
    CTerrain(std::uint32_t id, ISceneUnit* unit, std::shared_ptr<phy::CHeightMap> heightMap);
    virtual ~CTerrain();
    CTerrain(const CTerrain&) = delete;
    CTerrain& operator=(const CTerrain&) = delete;

    std::uint32_t GetID() const { return m_id; }
    ISceneUnit* GetUnit() const { return m_unit; }
    // Null for a terrain built from parts.
    gfx::CGfxTerrain* GetTerrainUnit() const { return m_terrainUnit; }
    const std::shared_ptr<phy::CHeightMap>& GetHeightMap() const { return m_heightMap; }

private:
    ISceneUnit* m_unit = nullptr;
    gfx::CGfxTerrain* m_terrainUnit = nullptr;
    std::shared_ptr<phy::CHeightMap> m_heightMap;
    std::uint32_t m_id;
};

} // namespace velm
