// velm::phy::CRigidBody, one simulated body: mass properties, pose, velocities, the force and
// torque accumulators, contact material, sleep state, its collision hull and its named force
// controllers. Main thread only. The body shares its hull with the world; it owns its controllers.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "libs/common/matrix3.h"
#include "libs/common/quaternion.h"
#include "libs/common/triangle.h"
#include "libs/common/vector3.h"

namespace velm::phy {

class CCollisionHull;
class ExtForceCntrl;
class CRigidBody;

// A snapshot of the parts of a body that the contact prediction moves and puts back.
struct SBodyState {
    SBodyState() = default;
    explicit SBodyState(CRigidBody& body);

    common::CVector3 m_centerOfMass;
    common::CQuaternion m_orientation;
    common::CVector3 m_linearVelocity;
    common::CVector3 m_angularVelocity;
    CRigidBody* m_body = nullptr;
};

class CRigidBody {
public:
    CRigidBody();
    ~CRigidBody();
    CRigidBody(const CRigidBody&) = delete;
    CRigidBody& operator=(const CRigidBody&) = delete;

    common::CVector3& GetPosition() { return m_position; }
    const common::CVector3& GetPosition() const { return m_position; }
    // Moves the reference point; the centre of mass and the hull follow.
    void SetPosition(const common::CVector3& position);
    common::CVector3& GetCenterOfMass() { return m_centerOfMass; }
    void SetCenterOfMass(const common::CVector3& centre) { m_centerOfMass = centre; }
    const common::CVector3& GetCenterOfMassOffset() const { return m_centerOfMassOffset; }

    common::CQuaternion& GetOrientation() { return m_orientation; }
    const common::CQuaternion& GetOrientation() const { return m_orientation; }
    const common::CQuaternion& GetInverseOrientation() const { return m_inverseOrientation; }
    // The hull follows.
    void SetOrientation(const common::CQuaternion& orientation);

    // Setting a velocity or an accumulator does not wake the body.
    common::CVector3& GetLinearVelocity() { return m_linearVelocity; }
    const common::CVector3& GetLinearVelocity() const { return m_linearVelocity; }
    void SetLinearVelocity(const common::CVector3& v) { m_linearVelocity = v; }
    common::CVector3& GetAngularVelocity() { return m_angularVelocity; }
    const common::CVector3& GetAngularVelocity() const { return m_angularVelocity; }
    void SetAngularVelocity(const common::CVector3& w) { m_angularVelocity = w; }
    const common::CVector3& GetForceAccum() const { return m_forceAccum; }
    void SetForceAccum(const common::CVector3& f) { m_forceAccum = f; }
    const common::CVector3& GetTorqueAccum() const { return m_torqueAccum; }
    void SetTorqueAccum(const common::CVector3& t) { m_torqueAccum = t; }

    float GetMass() const { return m_mass; }
    float GetInverseMass() const { return m_inverseMass; }
    // Body-space tensor; callers may scale it in place.
    common::CMatrix3& GetInertia() { return m_inertia; }
    const common::CMatrix3& GetInverseInertia() const { return m_inverseInertia; }
    const common::CMatrix3& GetWorldInverseInertia() const { return m_worldInverseInertia; }
    // A (nearly) zero entry gives a zero entry in the other tensor. Neither recomputes the
    // world inverse inertia.
    void SetInertia(float ixx, float iyy, float izz);
    void SetInverseInertia(float ixx, float iyy, float izz);
    void UpdateWorldInverseInertia();

    float& GetStaticFriction() { return m_staticFriction; }
    float& GetDynamicFriction() { return m_dynamicFriction; }
    float& GetRestitution() { return m_restitution; }
    float GetStaticFriction() const { return m_staticFriction; }
    float GetDynamicFriction() const { return m_dynamicFriction; }
    float GetRestitution() const { return m_restitution; }

    void SetStatic(bool isStatic) { m_static = isStatic; }
    bool IsStatic() const { return m_static; }
    // Clearing the flag also restarts the rest timer.
    void SetAsleep(bool asleep);
    bool IsAsleep() const { return m_asleep; }
    float GetRestTimer() const { return m_restTimer; }
    float GetSleepThreshold() const { return m_sleepThreshold; }

    // Each of these wakes the body.
    void AddForce(const common::CVector3& force);
    void AddTorque(const common::CVector3& torque);
    void ApplyLinearImpulse(const common::CVector3& impulse);
    void ApplyImpulseAtPoint(const common::CVector3& impulse, const common::CVector3& point);
    void ApplyAngularImpulse(const common::CVector3& impulse);
    // The impulse is given in body space.
    void ApplyLocalAngularImpulse(const common::CVector3& impulse);

    // Replaces the controller stored under the name, if any.
    void SetForceCntrl(const std::string& name, const std::shared_ptr<ExtForceCntrl>& force);
    // Empty for a name never stored.
    std::shared_ptr<ExtForceCntrl> GetForceCntrl(const std::string& name) const;
    // Runs the controllers in ascending byte order of their names.
    void ApplyForces(float dt);

    void IntegrateVelocity(float dt);
    void IntegratePosition(float dt);
    void ClearAccumulators();

    std::shared_ptr<CCollisionHull>& GetHullSlot() { return m_hull; }
    CCollisionHull* GetHull() const { return m_hull.get(); }
    // The hull's rotational-response flag; no effect, and false, without a hull.
    void SetHullFlag(bool rotational);
    bool GetHullFlag() const;
    // The other body's hull never collides with this one's (tested from this hull's side).
    void LinkHull(const CRigidBody& other);

    // Each replaces the hull and sets mass and inertia from the shape; an ownerless hull reports
    // overlaps but never takes part in impulses.
    void SetBoxHull(float x, float y, float z, float mass, bool ownerless);
    void SetCylinderHull(float height, float radius, float mass, unsigned int layers, unsigned int slices,
                         bool ownerless);
    // Mass only: the inertia is left as it was.
    void SetTestPointHull(std::vector<common::CTriangle> triangles, float mass);

private:
    // A zero mass gives a zero inverse mass: the body then ignores forces and impulses.
    void SetMass(float mass);
    void Wake();
    void ClampAngularVelocity();
    void CopyPoseToHull();
    void NewHull(bool ownerless);

    float m_mass = 0.0f;
    float m_inverseMass = 0.0f;
    common::CMatrix3 m_inertia;
    common::CMatrix3 m_inverseInertia;
    common::CMatrix3 m_worldInverseInertia;
    common::CVector3 m_position;
    common::CVector3 m_centerOfMass;
    common::CVector3 m_centerOfMassOffset;
    common::CQuaternion m_orientation;
    common::CQuaternion m_inverseOrientation;
    common::CVector3 m_linearVelocity;
    common::CVector3 m_angularVelocity;
    common::CVector3 m_forceAccum;
    common::CVector3 m_torqueAccum;
    float m_staticFriction = 0.0f;
    float m_dynamicFriction = 0.0f;
    float m_restitution = 0.0f;
    bool m_static = false;
    bool m_asleep = false;
    float m_restTimer = 0.0f;
    float m_sleepThreshold = 0.5f;
    std::shared_ptr<CCollisionHull> m_hull;
    std::map<std::string, std::shared_ptr<ExtForceCntrl>> m_forces;
};

} // namespace velm::phy
