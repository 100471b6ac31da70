#include "engine/phy/buoyancy_force.h"

#include <cmath>

#include "engine/phy/collision_hull.h"
#include "engine/phy/rigid_body.h"
#include "engine/phy/simulator.h"
#include "engine/phy/water_field.h"
#include "libs/common/math_util.h"

namespace velm::phy {

using common::CVector3;

namespace {

float s_riverDensity = 0.0f;
float s_riverSpeed = 0.0f;

constexpr float kEntryVerticalDamping = 0.8f;
constexpr float kEntryAngularDamping = 0.5f;
constexpr float kVerticalDamping = 0.94f;
constexpr float kAngularDamping = 0.96f;
constexpr float kAngularDrag = 0.2f;
constexpr float kFlowGain = 0.5f;

bool IsUsableBox(const common::CAABB& box) {
    const CVector3& min = box.GetMin();
    const CVector3& max = box.GetMax();
    for (int a = 0; a < 3; ++a) {
        if (!std::isfinite(min[a]) || !std::isfinite(max[a]) || min[a] > max[a]) {
            return false;
        }
    }
    return true;
}

} // namespace

float GetRiverDensity() { return s_riverDensity; }
void SetRiverDensity(float density) { s_riverDensity = density; }
float GetRiverSpeed() { return s_riverSpeed; }
void SetRiverSpeed(float speed) { s_riverSpeed = speed; }

BuoyancyForce::BuoyancyForce(CRigidBody* body, CSimulator* simulator, const CVector3& offset)
    : ExtForceCntrl(body), m_simulator(simulator), m_offset(offset) {
    if (m_simulator != nullptr) {
        m_waterField = m_simulator->FindWaterFieldAt(body->GetPosition());
    }
}

bool BuoyancyForce::GetSurfacePoint(CVector3& out) const {
    if (!m_inWater) {
        return false;
    }
    out = m_surfacePoint;
    return true;
}

CWaterField* BuoyancyForce::KnownField() const {
    if (m_waterField == nullptr || m_simulator == nullptr || !m_simulator->HoldsWaterField(m_waterField)) {
        return nullptr;
    }
    return m_waterField;
}

void BuoyancyForce::Apply(float /*dt*/) {
    const CCollisionHull* hull = m_body->GetHull();
    // A hull with no shape (an empty mesh) floats as a point at its position: no lift, but the
    // river still carries and damps it. A box that is not a number gets nothing.
    const bool shapeless = hull != nullptr && hull->GetDistanceGrid().IsEmpty();
    if (hull == nullptr || (!shapeless && !IsUsableBox(hull->GetLocalBox()))) {
        return;
    }
    if (m_useRiverDensity) {
        m_density = s_riverDensity;
    }
    if (m_useRiverSpeed) {
        m_flowSpeed = s_riverSpeed;
    }
    const CVector3 p = m_body->GetPosition();
    m_waterField = KnownField();
    if (m_waterField == nullptr || !m_waterField->Contains(p.x, p.z)) {
        m_waterField = m_simulator != nullptr ? m_simulator->FindWaterFieldAt(p) : nullptr;
    }
    if (m_waterField == nullptr) {
        return;
    }
    float h = 0.0f;
    CVector3 normal;
    CVector3 f;
    if (!m_waterField->GetSurface(p.x, p.z, h, normal, f)) {
        return;
    }
    const common::CAABB box = shapeless ? common::CAABB(hull->GetPosition(), hull->GetPosition()) : hull->GetWorldBox();
    const float depth = h - box.GetMin().y;
    if (depth <= 0.0f) {
        m_inWater = false;
        return;
    }
    if (!m_inWater) {
        CVector3& v = m_body->GetLinearVelocity();
        v.y *= kEntryVerticalDamping;
        m_body->SetAngularVelocity(m_body->GetAngularVelocity() * kEntryAngularDamping);
    }
    m_inWater = true;

    // A flat hull has no height to be partly under: below the surface it is wholly under.
    const float height = box.GetMax().y - box.GetMin().y;
    const float ratio = height > 0.0f ? common::Clamp(depth / height, 0.0f, 1.0f) : 1.0f;
    const CVector3 lift = -(box.GetVolume() * ratio * m_density) * kGravity;
    m_body->AddForce(lift);
    if (hull->IsRotational()) {
        const CVector3 lever = -m_body->GetOrientation().Rotate(m_offset);
        m_body->AddTorque(lever.Cross(lift));
    }
    CVector3 flow;
    if (!common::IsZero(m_flowSpeed)) {
        flow = ((m_flowSpeed * f) - m_body->GetLinearVelocity()) * m_body->GetMass() * kFlowGain;
    }
    m_body->AddForce(flow);

    CVector3 v = m_body->GetLinearVelocity();
    v.y *= kVerticalDamping;
    m_body->SetLinearVelocity(v);
    m_body->AddForce(-ratio * v);
    m_body->SetAngularVelocity(kAngularDamping * m_body->GetAngularVelocity());
    m_body->AddTorque(-kAngularDrag * m_body->GetAngularVelocity());
    m_surfacePoint.Set(p.x, h, p.z);
}

} // namespace velm::phy
