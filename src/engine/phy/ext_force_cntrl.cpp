#include "engine/phy/ext_force_cntrl.h"

#include "engine/phy/rigid_body.h"
#include "libs/common/math_util.h"

namespace velm::phy {

const std::string kGravityForceName = "Gravity";
const std::string kAirDragForceName = "AirDrag";
const std::string kThrustForceName = "Thrust";
const std::string kBuoyancyForceName = "Buoyancy";

const common::CVector3 kGravity(0.0f, -9.81f, 0.0f);

void GravityForce::Apply(float /*dt*/) {
    if (!m_body->IsStatic()) {
        m_body->AddForce(m_body->GetMass() * kGravity);
    }
}

void AirDrag::Apply(float /*dt*/) {
    m_body->AddForce(-m_linearDrag * m_body->GetLinearVelocity());
    m_body->AddTorque(-m_angularDrag * m_body->GetAngularVelocity());
}

void ThrustForce::SetDirection(const common::CVector3& direction) { m_direction = direction.GetNormalized(); }

void ThrustForce::Apply(float /*dt*/) {
    if (common::IsZero(m_magnitude)) {
        return;
    }
    m_body->AddForce(((m_magnitude * m_direction) - m_body->GetLinearVelocity()) * m_body->GetMass() * m_scale);
}

} // namespace velm::phy
