#include "engine/phy/contact.h"

#include <algorithm>

#include "engine/phy/collision_hull.h"
#include "engine/phy/height_map.h"
#include "engine/phy/rigid_body.h"
#include "libs/common/math_util.h"

namespace velm::phy {

using common::CVector3;

namespace {

// Below this tangential mass term friction is left out rather than divided by almost nothing.
constexpr float kMinFrictionMass = 0.0001f;

float AngularTerm(const common::CMatrix3& inverseInertia, const CVector3& arm, const CVector3& direction) {
    return direction.Dot((inverseInertia * arm.Cross(direction)).Cross(arm));
}

} // namespace

SContact::SContact(CCollisionHull* hullA, CCollisionHull* hullB, CHeightMap* heightMap, const CVector3& point,
                   const CVector3& normal, float depth)
    : m_hullA(hullA),
      m_hullB(hullB),
      m_heightMap(heightMap),
      m_point(point),
      m_normal(normal),
      m_depth(depth),
      m_rotational(hullA != nullptr && hullA->IsRotational()) {}

float SContact::MassTerm(const CRigidBody& a, const CRigidBody* b, const CVector3& direction) const {
    float k = a.GetInverseMass();
    if (m_rotational) {
        k += AngularTerm(a.GetWorldInverseInertia(), m_armA, direction);
    }
    if (b != nullptr) {
        k += b->GetInverseMass();
        if (TurnsB()) {
            k += AngularTerm(b->GetWorldInverseInertia(), m_armB, direction);
        }
    }
    return k;
}

void SContact::Prepare() {
    CRigidBody* bodyA = m_hullA != nullptr ? m_hullA->GetOwner() : nullptr;
    CRigidBody* bodyB = m_hullB != nullptr ? m_hullB->GetOwner() : nullptr;
    if (bodyA == nullptr || (m_hullB != nullptr && bodyB == nullptr)) {
        m_normalMass = 0.0f;
        return;
    }
    m_armA = m_point - m_hullA->GetPosition();
    if (bodyB != nullptr) {
        m_armB = m_point - m_hullB->GetPosition();
        m_staticFriction = std::max(bodyA->GetStaticFriction(), bodyB->GetStaticFriction());
        m_dynamicFriction = std::max(bodyA->GetDynamicFriction(), bodyB->GetDynamicFriction());
        m_restitution = std::min(bodyA->GetRestitution(), bodyB->GetRestitution());
    } else {
        const float sf = m_heightMap != nullptr ? m_heightMap->GetStaticFriction() : 0.0f;
        const float df = m_heightMap != nullptr ? m_heightMap->GetDynamicFriction() : 0.0f;
        const float e = m_heightMap != nullptr ? m_heightMap->GetRestitution() : 0.0f;
        m_staticFriction = std::max(bodyA->GetStaticFriction(), sf);
        m_dynamicFriction = std::max(bodyA->GetDynamicFriction(), df);
        m_restitution = std::min(bodyA->GetRestitution(), e);
    }
    m_normalMass = MassTerm(*bodyA, bodyB, m_normal);
}

CVector3 SContact::RelativeVelocity(const CRigidBody& a, const CRigidBody* b) const {
    CVector3 v = a.GetLinearVelocity();
    if (m_rotational) {
        v += a.GetAngularVelocity().Cross(m_armA);
    }
    if (b != nullptr) {
        v -= b->GetLinearVelocity();
        if (TurnsB()) {
            v -= b->GetAngularVelocity().Cross(m_armB);
        }
    }
    return v;
}

bool SContact::TurnsB() const { return m_rotational && m_hullB != nullptr && m_hullB->IsRotational(); }

void SContact::Push(CRigidBody& body, const CVector3& impulse, bool turns) const {
    if (body.IsStatic()) {
        return;
    }
    if (turns) {
        body.ApplyImpulseAtPoint(impulse, m_point);
    } else {
        body.ApplyLinearImpulse(impulse);
    }
}

bool SContact::Resolve(float /*dt*/, bool zeroRestitution) {
    if (common::IsZero(m_normalMass)) {
        return false;
    }
    if (zeroRestitution) {
        m_restitution = 0.0f;
    }
    CRigidBody& bodyA = *m_hullA->GetOwner();
    CRigidBody* bodyB = m_hullB != nullptr ? m_hullB->GetOwner() : nullptr;

    const float vn = RelativeVelocity(bodyA, bodyB).Dot(m_normal);
    if (vn > 0.0f) {
        return false;
    }
    const float j = -(1.0f + m_restitution) * vn / m_normalMass;
    if (!(j > 0.0f)) {
        return false;
    }
    Push(bodyA, j * m_normal, m_rotational);
    if (bodyB != nullptr) {
        Push(*bodyB, -j * m_normal, TurnsB());
    }
    bodyA.SetAsleep(false);
    if (bodyB != nullptr) {
        bodyB->SetAsleep(false);
    }

    const CVector3 vrel = RelativeVelocity(bodyA, bodyB);
    const CVector3 vt = vrel - vrel.Dot(m_normal) * m_normal;
    const float speed = vt.Length();
    const CVector3 d = -vt.GetNormalized();
    const float kt = MassTerm(bodyA, bodyB, d);
    if (kt < kMinFrictionMass) {
        return true;
    }
    float jt = speed / kt;
    if (jt >= j * m_staticFriction) {
        jt = j * m_dynamicFriction;
    }
    Push(bodyA, jt * d, m_rotational);
    if (bodyB != nullptr) {
        Push(*bodyB, -jt * d, TurnsB());
    }
    return true;
}

bool CollideHullWithHeightMap(CCollisionHull& hull, CHeightMap& map, std::vector<SContact>& contacts) {
    const CVector3& c = hull.GetPosition();
    const float r = hull.GetBoundingSphere().radius;
    float h = 0.0f;
    CVector3 n;
    if (!map.GetHeight(c.x, c.z, h, n)) {
        return false;
    }
    const CVector3 s(c.x, h, c.z);
    if ((c - s).Dot(n) > r) {
        return false;
    }
    bool found = false;
    for (const CVector3& p : hull.GetWorldTestPoints()) {
        map.GetHeight(p.x, p.z, h, n);
        if (p.y < h) {
            contacts.emplace_back(&hull, nullptr, &map, p, n, (h - p.y) * n.y);
            hull.GetContactIndices().push_back(static_cast<unsigned int>(contacts.size() - 1));
            found = true;
        }
    }
    return found;
}

bool CollideHulls(CCollisionHull& a, CCollisionHull& b, std::vector<SContact>& contacts) {
    const float radius = a.GetBoundingSphere().radius;
    const float r2 = radius * radius;
    CVector3 pointSum;
    CVector3 normalSum;
    float depthSum = 0.0f;
    unsigned int count = 0;
    for (const CVector3& p : b.GetWorldTestPoints()) {
        const CVector3 d = p - a.GetPosition();
        if (d.LengthSquared() > r2) {
            continue;
        }
        const CVector3 local = a.GetInverseOrientation().Rotate(d);
        CVector3 localNormal;
        float depth = 0.0f;
        if (!a.TestPoint(local, localNormal, depth)) {
            continue;
        }
        const CVector3 n = a.GetOrientation().Rotate(localNormal).GetNormalized();
        pointSum += p + n * (depth * 0.5f);
        normalSum += n;
        depthSum += depth;
        ++count;
    }
    if (count == 0) {
        return false;
    }
    const float inverseCount = 1.0f / static_cast<float>(count);
    contacts.emplace_back(&a, &b, nullptr, pointSum * inverseCount, -(normalSum * inverseCount).GetNormalized(),
                          depthSum * inverseCount);
    const unsigned int index = static_cast<unsigned int>(contacts.size() - 1);
    a.GetContactIndices().push_back(index);
    b.GetContactIndices().push_back(index);
    return true;
}

} // namespace velm::phy
