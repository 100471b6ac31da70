// velm::phy::BuoyancyForce, the river's lift, damping and pull on a floating body, and the two
// process-wide river values (density and speed) that the script functions set and buoyancy reads.
// Main thread only: the step and the script functions run there.
#pragma once

#include "engine/phy/ext_force_cntrl.h"
#include "libs/common/checked_number.h"
#include "libs/common/vector3.h"

namespace velm::phy {

class CSimulator;
class CWaterField;

// What a script may set the two river values to: beyond any river (the game's flows at 5 units a
// second and weighs 44 a cubic unit) and well inside what the forces can multiply. A value
// refused at start-up reads as 0.
constexpr common::SNumberBounds kRiverSpeedBounds = {-1000.0, 1000.0, 0.0};
constexpr common::SNumberBounds kRiverDensityBounds = {0.0, 1.0e6, 0.0};

// Both 0 until set.
float GetRiverDensity();
void SetRiverDensity(float density);
float GetRiverSpeed();
void SetRiverSpeed(float speed);

class BuoyancyForce : public ExtForceCntrl {
public:
    // Finds the water field under the body at once; offset (body space) is where the lift acts,
    // relative to the body's position, mirrored. Neither the body (which owns the force) nor the
    // simulator is owned.
    BuoyancyForce(CRigidBody* body, CSimulator* simulator, const common::CVector3& offset);

    // When set, each step first takes the river density, respectively the river speed.
    void SetUseRiverDensity(bool use) { m_useRiverDensity = use; }
    void SetUseRiverSpeed(bool use) { m_useRiverSpeed = use; }
    float GetDensity() const { return m_density; }
    // 0 stops the river's pull.
    void SetFlowSpeed(float speed) { m_flowSpeed = speed; }
    float GetFlowSpeed() const { return m_flowSpeed; }

    // The water field found under the body last step, or null; null too once the field has left
    // the simulator (cleared with its track), so callers never read a freed field. Clearing it
    // makes the next step look the water up again.
    CWaterField* GetWaterField() const { return KnownField(); }
    // Held, not owned: the simulator shares the fields.
    void SetWaterField(CWaterField* field) { m_waterField = field; }
    bool IsInWater() const { return m_inWater; }
    // The last surface point under the body; false, out untouched, while out of the water.
    bool GetSurfacePoint(common::CVector3& out) const;

    // A body without a built hull gets nothing from the river.
    void Apply(float dt) override;

private:
    // The kept field when the simulator still holds it, so a field cleared with its track is
    // never read again.
    CWaterField* KnownField() const;

    CWaterField* m_waterField = nullptr;
    CSimulator* m_simulator;
    float m_density = 0.0f;
    bool m_useRiverDensity = false;
    common::CVector3 m_offset;
    bool m_inWater = false;
    common::CVector3 m_surfacePoint;
    float m_flowSpeed = 0.0f;
    bool m_useRiverSpeed = false;
};

} // namespace velm::phy
