// The water object of a level: its render unit and the water field that carries the floating
// bodies, under one object id. It owns the unit and shares the field with the physics world.
// Main thread only.
#pragma once

#include <cstdint>
#include <memory>

namespace velm {

class ISceneUnit;
namespace phy {
class CWaterField;
}

class CWater {
public:
    CWater(std::uint32_t id, ISceneUnit* unit, std::shared_ptr<phy::CWaterField> field);
    virtual ~CWater();
    CWater(const CWater&) = delete;
    CWater& operator=(const CWater&) = delete;

    std::uint32_t GetID() const { return m_id; }
    ISceneUnit* GetUnit() const { return m_unit; }
    const std::shared_ptr<phy::CWaterField>& GetWaterField() const { return m_field; }

private:
    ISceneUnit* m_unit;
    std::shared_ptr<phy::CWaterField> m_field;
    std::uint32_t m_id;
};

} // namespace velm
