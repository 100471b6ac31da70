#include "engine/phy/physics_world.h"

#include <chrono>
#include <cmath>

#include "engine/events/engine_events.h"
#include "engine/events/event_manager.h"
#include "engine/phy/collision_hull.h"
#include "engine/phy/height_map.h"
#include "engine/phy/rigid_body.h"
#include "engine/phy/water_field.h"

namespace velm::phy {

namespace {

// The registration pattern shared by the four kinds: a replaced object leaves the simulator's
// list and the reverse map before the new one joins.
template <typename T, typename AddFn, typename RemoveFn>
void Register(std::map<std::uint32_t, std::shared_ptr<T>>& byId, std::map<T*, std::uint32_t>& ids, std::uint32_t id,
              const std::shared_ptr<T>& object, AddFn add, RemoveFn remove) {
    const auto found = byId.find(id);
    if (found != byId.end()) {
        remove(found->second.get());
        ids.erase(found->second.get());
        found->second = object;
    } else {
        byId.emplace(id, object);
    }
    add(object);
    ids[object.get()] = id;
}

} // namespace

CPhysicsWorld::CPhysicsWorld() = default;

CPhysicsWorld::~CPhysicsWorld() = default;

void CPhysicsWorld::AddBody(std::uint32_t id, const std::shared_ptr<CRigidBody>& body) {
    if (!body) {
        return;
    }
    Register(
        m_bodies, m_bodyIds, id, body, [this](const std::shared_ptr<CRigidBody>& b) { m_simulator.AddBody(b); },
        [this](const CRigidBody* b) { m_simulator.RemoveBody(b); });
}

void CPhysicsWorld::AddHull(std::uint32_t id, const std::shared_ptr<CCollisionHull>& hull) {
    if (!hull) {
        return;
    }
    Register(
        m_hulls, m_hullIds, id, hull, [this](const std::shared_ptr<CCollisionHull>& h) { m_simulator.AddHull(h); },
        [this](const CCollisionHull* h) { m_simulator.RemoveHull(h); });
}

void CPhysicsWorld::AddHeightMap(std::uint32_t id, const std::shared_ptr<CHeightMap>& map) {
    if (!map) {
        return;
    }
    Register(
        m_heightMaps, m_heightMapIds, id, map,
        [this](const std::shared_ptr<CHeightMap>& m) { m_simulator.AddHeightMap(m); },
        [this](const CHeightMap* m) { m_simulator.RemoveHeightMap(m); });
}

void CPhysicsWorld::AddWaterField(std::uint32_t id, const std::shared_ptr<CWaterField>& field) {
    if (!field) {
        return;
    }
    Register(
        m_waterFields, m_waterFieldIds, id, field,
        [this](const std::shared_ptr<CWaterField>& f) { m_simulator.AddWaterField(f); },
        [this](const CWaterField* f) { m_simulator.RemoveWaterField(f); });
}

void CPhysicsWorld::RemoveObject(std::uint32_t id) {
    const auto found = m_bodies.find(id);
    if (found == m_bodies.end()) {
        return;
    }
    m_simulator.RemoveBody(found->second.get());
    m_bodyIds.erase(found->second.get());
    m_bodies.erase(found);
}

void CPhysicsWorld::ClearHeightMaps() {
    m_simulator.ClearHeightMaps();
    m_heightMaps.clear();
    m_heightMapIds.clear();
}

void CPhysicsWorld::ClearWaterFields() {
    m_simulator.ClearWaterFields();
    m_waterFields.clear();
    m_waterFieldIds.clear();
}

void CPhysicsWorld::Update(float elapsed) {
    const auto start = std::chrono::steady_clock::now();
    if (elapsed >= 0.0f) {
        m_simulator.Update(elapsed);
        PostCollisionEvents();
    }
    m_lastUpdateSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void CPhysicsWorld::PostCollisionEvents() const {
    for (const SContactPair& pair : m_simulator.GetContactPairs()) {
        const auto first = m_bodyIds.find(pair.m_first);
        if (first == m_bodyIds.end()) {
            continue;
        }
        std::uint32_t second = 0;
        if (pair.m_kind == SContactPair::kBodyBody) {
            const auto found = m_bodyIds.find(pair.m_secondBody);
            if (found == m_bodyIds.end()) {
                continue;
            }
            second = found->second;
        } else if (pair.m_kind == SContactPair::kBodyHull) {
            const auto found = m_hullIds.find(pair.m_secondHull);
            if (found == m_hullIds.end()) {
                continue;
            }
            second = found->second;
        } else {
            continue;
        }
        QueueEvent(std::make_shared<CObjCollideEvt>(first->second, second));
    }
}

} // namespace velm::phy
