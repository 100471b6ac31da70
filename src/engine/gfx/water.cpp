#include "engine/gfx/water.h"

#include "engine/gfx/scene_unit.h"
#include "engine/phy/water_field.h"

namespace velm {

CWater::CWater(std::uint32_t id, ISceneUnit* unit, std::shared_ptr<phy::CWaterField> field)
    : m_unit(unit), m_field(std::move(field)), m_id(id) {}

CWater::~CWater() { delete m_unit; }

} // namespace velm
