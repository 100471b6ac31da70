#include "engine/gfx/terrain.h"

#include "engine/gfx/scene_unit.h"
#include "engine/phy/height_map.h"

namespace velm {

CTerrain::CTerrain(std::uint32_t id, ISceneUnit* unit, std::shared_ptr<phy::CHeightMap> heightMap)
    : m_unit(unit), m_heightMap(std::move(heightMap)), m_id(id) {}

CTerrain::~CTerrain() { delete m_unit; }

} // namespace velm
