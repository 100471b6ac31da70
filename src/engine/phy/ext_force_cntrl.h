// The named force controllers a rigid body runs once per step before its velocity step: the
// abstract velm::phy::ExtForceCntrl and gravity, air drag and thrust (buoyancy has its own header).
// A controller keeps a plain pointer to its body, which owns it. Main thread only.
#pragma once

#include <string>

#include "libs/common/vector3.h"

namespace velm::phy {

class CRigidBody;

// The keys of a body's force table.
extern const std::string kGravityForceName;
extern const std::string kAirDragForceName;
extern const std::string kThrustForceName;
extern const std::string kBuoyancyForceName;

// (0, -9.81, 0).
extern const common::CVector3 kGravity;

class ExtForceCntrl {
public:
    explicit ExtForceCntrl(CRigidBody* body) : m_body(body) {}
    virtual ~ExtForceCntrl() = default;
    virtual void Apply(float dt) = 0;

    CRigidBody* GetBody() const { return m_body; }

protected:
    CRigidBody* m_body;
};

// mass * g, except on a static body.
class GravityForce : public ExtForceCntrl {
public:
    explicit GravityForce(CRigidBody* body) : ExtForceCntrl(body) {}
    void Apply(float dt) override;
};

// -k v as a force and -k2 w as a torque.
class AirDrag : public ExtForceCntrl {
public:
    explicit AirDrag(CRigidBody* body) : ExtForceCntrl(body) {}
    void SetLinearDrag(float k) { m_linearDrag = k; }
    void SetAngularDrag(float k2) { m_angularDrag = k2; }
    float GetLinearDrag() const { return m_linearDrag; }
    float GetAngularDrag() const { return m_angularDrag; }
    void Apply(float dt) override;

private:
    float m_linearDrag = 0.0f;
    float m_angularDrag = 0.0f;
};

// A velocity controller: pulls the body's velocity towards magnitude * direction with gain
// scale per second, and does nothing while the magnitude is zero.
class ThrustForce : public ExtForceCntrl {
public:
    explicit ThrustForce(CRigidBody* body) : ExtForceCntrl(body) {}
    // Stored normalised.
    void SetDirection(const common::CVector3& direction);
    const common::CVector3& GetDirection() const { return m_direction; }
    void SetMagnitude(float magnitude) { m_magnitude = magnitude; }
    float GetMagnitude() const { return m_magnitude; }
    void SetScale(float scale) { m_scale = scale; }
    float GetScale() const { return m_scale; }
    void Apply(float dt) override;

private:
    common::CVector3 m_direction;
    float m_magnitude = 0.0f;
    float m_scale = 0.0f;
};

} // namespace velm::phy
