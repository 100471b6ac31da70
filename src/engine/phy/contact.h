// velm::phy::SContact, one point where a hull touches another hull or the terrain, with its
// impulse solver (one normal impulse with restitution, one Coulomb friction impulse), and the
// detection routines that produce contacts from test points. Contacts hold plain pointers into
// the hulls, bodies and maps of the current step only. Main thread only.
#pragma once

#include <cstdint>
#include <vector>

#include "libs/common/vector3.h"

namespace velm::phy {

class CCollisionHull;
class CHeightMap;
class CRigidBody;

struct SContact {
    // Hull B null for a terrain contact; copies hull A's rotational-response flag, which decides
    // whether the contact uses angular terms at all.
    SContact(CCollisionHull* hullA, CCollisionHull* hullB, CHeightMap* heightMap, const common::CVector3& point,
             const common::CVector3& normal, float depth);

    // Combines the materials and computes the arms and the normal mass term; a contact that
    // involves an ownerless hull gets a zero term and never applies an impulse.
    void Prepare();
    // Applies the impulses; true when a normal impulse was applied. With zeroRestitution the
    // contact stays inelastic for the rest of the step.
    bool Resolve(float dt, bool zeroRestitution);

    CCollisionHull* m_hullA;
    CCollisionHull* m_hullB;
    CHeightMap* m_heightMap;
    common::CVector3 m_point;
    // The impulse +j * normal goes to body A.
    common::CVector3 m_normal;
    float m_depth;
    float m_staticFriction = 0.0f;
    float m_dynamicFriction = 0.0f;
    float m_restitution = 0.0f;
    common::CVector3 m_armA;
    common::CVector3 m_armB;
    float m_normalMass = 0.0f;
    bool m_rotational;

private:
    common::CVector3 RelativeVelocity(const CRigidBody& a, const CRigidBody* b) const;
    float MassTerm(const CRigidBody& a, const CRigidBody* b, const common::CVector3& direction) const;
    // Body B takes the angular terms only when its own hull responds to rotation too: a body
    // without that response (a racer) gets no righting torque from the river, so a spin given to
    // it by a rolling rock or log would leave it tipped for good.
    bool TurnsB() const;
    void Push(CRigidBody& body, const common::CVector3& impulse, bool turns) const;
};

// One colliding pair of a step, reported to the game as an "ObjectCollision" event.
struct SContactPair {
    enum EKind : std::uint32_t { kBodyBody = 0, kBodyHull = 1 };

    CRigidBody* m_first = nullptr;
    std::uint32_t m_kind = kBodyBody;
    // The second of the pair: the body for kBodyBody, the ownerless hull for kBodyHull.
    CRigidBody* m_secondBody = nullptr;
    CCollisionHull* m_secondHull = nullptr;
};

// Terrain contacts of one hull: each world test point below the surface. The hull's world test
// points must be current.
bool CollideHullWithHeightMap(CCollisionHull& hull, CHeightMap& map, std::vector<SContact>& contacts);
// At most one contact: the mean of b's test points that lie inside a.
bool CollideHulls(CCollisionHull& a, CCollisionHull& b, std::vector<SContact>& contacts);

} // namespace velm::phy
