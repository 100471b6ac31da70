#include "engine/phy/simulator.h"

#include <algorithm>
#include <cmath>

#include "engine/phy/collision_hull.h"
#include "engine/phy/height_map.h"
#include "engine/phy/water_field.h"

namespace velm::phy {

namespace {

template <typename T>
void RemoveFrom(std::vector<std::shared_ptr<T>>& list, const T* item) {
    list.erase(std::remove_if(list.begin(), list.end(),
                              [item](const std::shared_ptr<T>& entry) { return entry.get() == item; }),
               list.end());
}

} // namespace

CSimulator::CSimulator() = default;

CHeightMap* CSimulator::FindHeightMapAt(float x, float z) const {
    for (const auto& map : m_heightMaps) {
        if (map->Contains(x, z)) {
            return map.get();
        }
    }
    return nullptr;
}

CWaterField* CSimulator::FindWaterFieldAt(const common::CVector3& position) const {
    for (const auto& field : m_waterFields) {
        if (field->Contains(position.x, position.z)) {
            return field.get();
        }
    }
    return nullptr;
}

bool CSimulator::HoldsWaterField(const CWaterField* field) const {
    return std::any_of(m_waterFields.begin(), m_waterFields.end(),
                       [field](const std::shared_ptr<CWaterField>& entry) { return entry.get() == field; });
}

void CSimulator::AddBody(const std::shared_ptr<CRigidBody>& body) { m_bodies.push_back(body); }
void CSimulator::RemoveBody(const CRigidBody* body) { RemoveFrom(m_bodies, body); }
void CSimulator::AddHull(const std::shared_ptr<CCollisionHull>& hull) { m_hulls.push_back(hull); }
void CSimulator::RemoveHull(const CCollisionHull* hull) { RemoveFrom(m_hulls, hull); }
void CSimulator::AddHeightMap(const std::shared_ptr<CHeightMap>& map) { m_heightMaps.push_back(map); }
void CSimulator::RemoveHeightMap(const CHeightMap* map) { RemoveFrom(m_heightMaps, map); }
void CSimulator::AddWaterField(const std::shared_ptr<CWaterField>& field) { m_waterFields.push_back(field); }
void CSimulator::RemoveWaterField(const CWaterField* field) { RemoveFrom(m_waterFields, field); }

void CSimulator::Update(float dt) { Step(std::min(dt, kMaxStep)); }

void CSimulator::SortBodies() {
    m_activeBodies.clear();
    m_inactiveBodies.clear();
    for (const auto& body : m_bodies) {
        if (!body->IsStatic() && !body->IsAsleep()) {
            m_activeBodies.push_back(body);
        } else {
            m_inactiveBodies.push_back(body);
        }
    }
}

void CSimulator::Step(float dt) {
    // A bad frame time would run the bodies backwards or fill them with NaN.
    if (!(dt >= 0.0f) || !std::isfinite(dt)) {
        return;
    }
    SortBodies();
    for (const auto& body : m_activeBodies) {
        body->ApplyForces(dt);
    }
    PredictContacts(dt);
    for (const auto& body : m_activeBodies) {
        body->IntegrateVelocity(dt);
    }
    for (const auto& body : m_activeBodies) {
        body->ClearAccumulators();
    }
    SolveContacts(dt, m_solverPasses, true);
    for (const auto& body : m_activeBodies) {
        body->IntegratePosition(dt);
    }
}

void CSimulator::PredictContacts(float dt) {
    m_bodyStates.resize(m_activeBodies.size());
    for (std::size_t i = 0; i < m_activeBodies.size(); ++i) {
        m_bodyStates[i] = SBodyState(*m_activeBodies[i]);
    }
    for (const auto& body : m_activeBodies) {
        body->IntegrateVelocity(dt);
    }
    for (const auto& body : m_activeBodies) {
        body->IntegratePosition(dt);
    }
    DetectCollisions();
    for (const SBodyState& state : m_bodyStates) {
        state.m_body->SetLinearVelocity(state.m_linearVelocity);
        state.m_body->SetAngularVelocity(state.m_angularVelocity);
    }
    SolveContacts(dt, m_predictionPasses, false);
    for (const SBodyState& state : m_bodyStates) {
        state.m_body->SetCenterOfMass(state.m_centerOfMass);
        state.m_body->SetOrientation(state.m_orientation);
    }
}

void CSimulator::SolveContacts(float dt, std::uint32_t passes, bool zeroRestitution) {
    for (SContact& contact : m_contacts) {
        contact.Prepare();
    }
    for (std::uint32_t pass = 0; pass < passes; ++pass) {
        bool applied = false;
        for (SContact& contact : m_contacts) {
            applied = contact.Resolve(dt, zeroRestitution) || applied;
        }
        if (!applied) {
            break;
        }
    }
}

void CSimulator::DetectCollisions() {
    m_contacts.clear();
    m_movingHulls.clear();
    m_otherHulls.clear();
    m_contactPairs.clear();
    for (const auto& body : m_activeBodies) {
        if (CCollisionHull* hull = body->GetHull()) {
            hull->GetContactIndices().clear();
            m_movingHulls.push_back(hull);
        }
    }
    for (const auto& body : m_inactiveBodies) {
        if (CCollisionHull* hull = body->GetHull()) {
            hull->GetContactIndices().clear();
            m_otherHulls.push_back(hull);
        }
    }
    for (const auto& hull : m_hulls) {
        hull->GetContactIndices().clear();
        m_otherHulls.push_back(hull.get());
    }

    // Moving hulls are refreshed once here, not only when a height map is present, so that hull
    // pairs are tested at the trial pose too.
    for (CCollisionHull* hull : m_movingHulls) {
        hull->UpdateWorldTestPoints();
    }
    for (CCollisionHull* hull : m_movingHulls) {
        const CRigidBody* owner = hull->GetOwner();
        if (owner == nullptr || owner->IsStatic()) {
            continue;
        }
        for (const auto& map : m_heightMaps) {
            CollideHullWithHeightMap(*hull, *map, m_contacts);
        }
    }
    // A resting or scenery hull may have been placed since its points were last moved: it is
    // refreshed once, when the first moving hull comes within reach.
    m_otherHullsFresh.assign(m_otherHulls.size(), false);
    for (CCollisionHull* a : m_movingHulls) {
        for (std::size_t k = 0; k < m_otherHulls.size(); ++k) {
            CCollisionHull& b = *m_otherHulls[k];
            if (!InReach(*a, b)) {
                continue;
            }
            if (!m_otherHullsFresh[k]) {
                b.UpdateWorldTestPoints();
                m_otherHullsFresh[k] = true;
            }
            CollidePair(*a, b);
        }
    }
    for (std::size_t i = 1; i < m_movingHulls.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (InReach(*m_movingHulls[i], *m_movingHulls[j])) {
                CollidePair(*m_movingHulls[i], *m_movingHulls[j]);
            }
        }
    }
}

bool CSimulator::InReach(const CCollisionHull& a, const CCollisionHull& b) {
    // The distance first: it rejects nearly every pair. Written so that a distance that is not a
    // number still counts as in reach.
    const common::CSphere sa = a.GetBoundingSphere();
    const common::CSphere sb = b.GetBoundingSphere();
    const float reach = sa.radius + sb.radius;
    if ((sb.centre - sa.centre).LengthSquared() > reach * reach) {
        return false;
    }
    const CRigidBody* bodyA = a.GetOwner();
    const CRigidBody* bodyB = b.GetOwner();
    if (bodyA != nullptr && bodyB != nullptr && (bodyA->IsStatic() || bodyA->IsAsleep()) &&
        (bodyB->IsStatic() || bodyB->IsAsleep())) {
        return false;
    }
    return a.CanCollideWith(&b);
}

void CSimulator::CollidePair(CCollisionHull& a, CCollisionHull& b) {
    CRigidBody* bodyA = a.GetOwner();
    CRigidBody* bodyB = b.GetOwner();
    const bool ab = CollideHulls(a, b, m_contacts);
    const bool ba = CollideHulls(b, a, m_contacts);
    if (!ab && !ba) {
        return;
    }
    SContactPair pair;
    if (bodyA != nullptr && bodyB != nullptr) {
        pair.m_first = bodyA;
        pair.m_kind = SContactPair::kBodyBody;
        pair.m_secondBody = bodyB;
    } else if (bodyA != nullptr) {
        pair.m_first = bodyA;
        pair.m_kind = SContactPair::kBodyHull;
        pair.m_secondHull = &b;
    } else if (bodyB != nullptr) {
        pair.m_first = bodyB;
        pair.m_kind = SContactPair::kBodyHull;
        pair.m_secondHull = &a;
    } else {
        return;
    }
    m_contactPairs.push_back(pair);
}

} // namespace velm::phy
