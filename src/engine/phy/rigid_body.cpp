#include "engine/phy/rigid_body.h"

#include <utility>

#include "engine/phy/collision_hull.h"
#include "engine/phy/ext_force_cntrl.h"
#include "libs/common/math_util.h"

namespace velm::phy {

using common::CVector3;

namespace {

// Above this squared angular speed (about 14.14 rad/s) the spin is cut to a fifth.
constexpr float kMaxAngularSpeedSq = 200.0f;
constexpr float kAngularCut = 0.2f;
constexpr float kRestSpeedSq = 1e-5f;

float InverseOrZero(float value) { return common::IsZero(value) ? 0.0f : 1.0f / value; }

} // namespace

SBodyState::SBodyState(CRigidBody& body)
    : m_centerOfMass(body.GetCenterOfMass()),
      m_orientation(body.GetOrientation()),
      m_linearVelocity(body.GetLinearVelocity()),
      m_angularVelocity(body.GetAngularVelocity()),
      m_body(&body) {}

CRigidBody::CRigidBody() {
    m_inertia.SetZero();
    m_inverseInertia.SetZero();
    m_worldInverseInertia.SetZero();
    m_orientation.SetIdentity();
}

CRigidBody::~CRigidBody() = default;

void CRigidBody::SetPosition(const CVector3& position) {
    m_position = position;
    m_centerOfMass = position + m_centerOfMassOffset;
    if (m_hull) {
        m_hull->SetPosition(position);
    }
}

void CRigidBody::SetOrientation(const common::CQuaternion& orientation) {
    m_orientation = orientation;
    m_inverseOrientation = orientation.GetConjugate();
    UpdateWorldInverseInertia();
    // A static or resting body is not stepped, so its hull would otherwise keep the old turn.
    if (m_hull) {
        m_hull->SetOrientation(orientation);
    }
}

void CRigidBody::SetMass(float mass) {
    m_mass = mass;
    m_inverseMass = InverseOrZero(mass);
}

void CRigidBody::SetInertia(float ixx, float iyy, float izz) {
    m_inertia.Set(ixx, 0.0f, 0.0f, 0.0f, iyy, 0.0f, 0.0f, 0.0f, izz);
    m_inverseInertia.Set(InverseOrZero(ixx), 0.0f, 0.0f, 0.0f, InverseOrZero(iyy), 0.0f, 0.0f, 0.0f,
                         InverseOrZero(izz));
}

void CRigidBody::SetInverseInertia(float ixx, float iyy, float izz) {
    m_inverseInertia.Set(ixx, 0.0f, 0.0f, 0.0f, iyy, 0.0f, 0.0f, 0.0f, izz);
    m_inertia.Set(InverseOrZero(ixx), 0.0f, 0.0f, 0.0f, InverseOrZero(iyy), 0.0f, 0.0f, 0.0f, InverseOrZero(izz));
}

void CRigidBody::UpdateWorldInverseInertia() {
    const common::CMatrix3 rotation = common::QuaternionToMatrix(m_orientation);
    m_worldInverseInertia = rotation * m_inverseInertia * common::InverseMatrix(rotation);
}

void CRigidBody::SetAsleep(bool asleep) {
    m_asleep = asleep;
    if (!asleep) {
        m_restTimer = 0.0f;
    }
}

void CRigidBody::Wake() {
    m_asleep = false;
    m_restTimer = 0.0f;
}

void CRigidBody::ClampAngularVelocity() {
    if (m_angularVelocity.LengthSquared() > kMaxAngularSpeedSq) {
        m_angularVelocity *= kAngularCut;
    }
}

void CRigidBody::AddForce(const CVector3& force) {
    Wake();
    m_forceAccum += force;
}

void CRigidBody::AddTorque(const CVector3& torque) {
    Wake();
    m_torqueAccum += torque;
}

void CRigidBody::ApplyLinearImpulse(const CVector3& impulse) {
    Wake();
    m_linearVelocity += m_inverseMass * impulse;
}

void CRigidBody::ApplyImpulseAtPoint(const CVector3& impulse, const CVector3& point) {
    Wake();
    m_linearVelocity += m_inverseMass * impulse;
    m_angularVelocity += m_worldInverseInertia * (point - m_centerOfMass).Cross(impulse);
    ClampAngularVelocity();
}

void CRigidBody::ApplyAngularImpulse(const CVector3& impulse) {
    Wake();
    m_angularVelocity += m_worldInverseInertia * impulse;
    ClampAngularVelocity();
}

void CRigidBody::ApplyLocalAngularImpulse(const CVector3& impulse) {
    ApplyAngularImpulse(m_orientation.Rotate(impulse));
}

void CRigidBody::SetForceCntrl(const std::string& name, const std::shared_ptr<ExtForceCntrl>& force) {
    m_forces[name] = force;
}

std::shared_ptr<ExtForceCntrl> CRigidBody::GetForceCntrl(const std::string& name) const {
    const auto found = m_forces.find(name);
    return found == m_forces.end() ? std::shared_ptr<ExtForceCntrl>() : found->second;
}

void CRigidBody::ApplyForces(float dt) {
    for (auto& entry : m_forces) {
        if (entry.second) {
            entry.second->Apply(dt);
        }
    }
}

void CRigidBody::IntegrateVelocity(float dt) {
    if (m_static || m_asleep) {
        return;
    }
    m_linearVelocity += (m_inverseMass * m_forceAccum) * dt;
    m_angularVelocity += (m_worldInverseInertia * m_torqueAccum) * dt;
    ClampAngularVelocity();
    if (m_linearVelocity.LengthSquared() < kRestSpeedSq) {
        m_linearVelocity.SetZero();
    }
    if (m_angularVelocity.LengthSquared() < kRestSpeedSq) {
        m_angularVelocity.SetZero();
    }
    if (common::IsZero(m_linearVelocity.LengthSquared()) && common::IsZero(m_angularVelocity.LengthSquared())) {
        m_restTimer += dt;
        if (m_restTimer >= m_sleepThreshold) {
            m_asleep = true;
        }
    }
}

void CRigidBody::IntegratePosition(float dt) {
    if (!m_static && !m_asleep) {
        m_centerOfMass += m_linearVelocity * dt * 0.5f;
        m_orientation += ((m_angularVelocity * m_orientation) * 0.5f) * dt;
        m_orientation.Normalize();
        m_inverseOrientation = m_orientation.GetConjugate();
        UpdateWorldInverseInertia();
        m_position = m_centerOfMass + m_orientation.Rotate(-m_centerOfMassOffset);
    }
    CopyPoseToHull();
}

void CRigidBody::ClearAccumulators() {
    m_forceAccum.SetZero();
    m_torqueAccum.SetZero();
}

void CRigidBody::CopyPoseToHull() {
    if (m_hull) {
        m_hull->SetPosition(m_position);
        m_hull->SetOrientation(m_orientation);
    }
}

void CRigidBody::SetHullFlag(bool rotational) {
    if (m_hull) {
        m_hull->SetRotational(rotational);
    }
}

bool CRigidBody::GetHullFlag() const { return m_hull && m_hull->IsRotational(); }

void CRigidBody::LinkHull(const CRigidBody& other) {
    if (m_hull && other.m_hull) {
        m_hull->AddLinkedHull(other.m_hull.get());
    }
}

void CRigidBody::NewHull(bool ownerless) {
    m_hull = std::make_shared<CCollisionHull>(ownerless ? nullptr : this);
    m_hull->SetPosition(m_position);
    m_hull->SetOrientation(m_orientation);
}

void CRigidBody::SetBoxHull(float x, float y, float z, float mass, bool ownerless) {
    NewHull(ownerless);
    SetMass(mass);
    SetInertia(mass * (y * y + z * z) / 3.0f, mass * (x * x + z * z) / 3.0f, mass * (x * x + y * y) / 3.0f);
    UpdateWorldInverseInertia();
    m_hull->BuildBox(x, y, z);
}

void CRigidBody::SetCylinderHull(float height, float radius, float mass, unsigned int layers, unsigned int slices,
                                 bool ownerless) {
    NewHull(ownerless);
    SetMass(mass);
    const float across = mass * height * height / 12.0f + mass * radius * radius / 4.0f;
    SetInertia(across, mass * radius * radius / 2.0f, across);
    UpdateWorldInverseInertia();
    m_hull->BuildCylinder(height, radius, layers, slices);
}

void CRigidBody::SetTestPointHull(std::vector<common::CTriangle> triangles, float mass) {
    NewHull(false);
    SetMass(mass);
    m_hull->BuildMesh(triangles);
}

} // namespace velm::phy
