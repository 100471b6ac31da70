// The terrain object of a level: its render unit and the height map the bodies collide with,
// under one object id. It owns the unit and shares the height map with the physics world.
// Main thread only.
#pragma once

#include <cstdint>
#include <memory>

namespace velm {

class ISceneUnit;
namespace phy {
class CHeightMap;
}

class CTerrain {
public:
    CTerrain(std::uint32_t id, ISceneUnit* unit, std::shared_ptr<phy::CHeightMap> heightMap);
    virtual ~CTerrain();
    CTerrain(const CTerrain&) = delete;
    CTerrain& operator=(const CTerrain&) = delete;

    std::uint32_t GetID() const { return m_id; }
    ISceneUnit* GetUnit() const { return m_unit; }
    const std::shared_ptr<phy::CHeightMap>& GetHeightMap() const { return m_heightMap; }

private:
    ISceneUnit* m_unit;
    std::shared_ptr<phy::CHeightMap> m_heightMap;
    std::uint32_t m_id;
};

} // namespace velm
