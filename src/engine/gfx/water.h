// The water object of a level: its render unit and the water field that carries the floating
// bodies, under one object id. It owns the unit and shares the field with the physics world.
// Built on the loading thread, then used on the main thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/gfx/gfx_water.h"
#include "libs/common/vector3.h"

namespace velm {

class ISceneUnit;
namespace phy {
class CGridCell;
class CWaterField;
} // namespace phy

class CWater {
public:
    // Builds the unit of the kind ("Water2.fx", the kind's technique and mesh, specular map in
    // slot 6, normal map in slot 0, scaled and placed), its plane (planar kinds) and its field:
    // one cell over the grid (kind 0, both extents with the x scale), one cell over the scaled
    // quad (kind 1) or the grid file's cells (kind 2). Grid, mesh and cells may be null where the
    // kind does not use them. Any other kind builds no unit and an empty field.
    CWater(const common::CVector3& position, const common::CVector3& scale, const std::string& specularMap,
           const std::string& normalMap, std::uint32_t kind, std::uint32_t id, const gfx::SWaterGrid* grid,
           const gfx::SWaterMesh* mesh, const std::vector<phy::CGridCell>* cells);
    // A water from parts made elsewhere; the unit is owned.
    CWater(std::uint32_t id, ISceneUnit* unit, std::shared_ptr<phy::CWaterField> field);
    virtual ~CWater();
    CWater(const CWater&) = delete;
    CWater& operator=(const CWater&) = delete;

    std::uint32_t GetID() const { return m_id; }
    ISceneUnit* GetUnit() const { return m_unit; }
    // Null for a water built from parts, or of an unknown kind.
    gfx::ACGfxWater* GetWaterUnit() const { return m_waterUnit; }
    const std::shared_ptr<phy::CWaterField>& GetWaterField() const { return m_field; }

private:
    ISceneUnit* m_unit = nullptr;
    gfx::ACGfxWater* m_waterUnit = nullptr;
    std::shared_ptr<phy::CWaterField> m_field;
    std::uint32_t m_id;
};

} // namespace velm
