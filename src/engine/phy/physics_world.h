// velm::phy::CPhysicsWorld, the physics engine the application owns: registries of bodies,
// stand-alone hulls, height maps and water fields by object id, the simulator that steps them, and
// one queued "ObjectCollision" event per touching pair and frame. Main thread only; registrations
// share ownership with the game objects and never happen during a step.
#pragma once

#include <cstdint>
#include <map>
#include <memory>

#include "engine/phy/simulator.h"

namespace velm::phy {

class CCollisionHull;
class CHeightMap;
class CRigidBody;
class CWaterField;

class CPhysicsWorld {
public:
    CPhysicsWorld();
    ~CPhysicsWorld();
    CPhysicsWorld(const CPhysicsWorld&) = delete;
    CPhysicsWorld& operator=(const CPhysicsWorld&) = delete;

    // A second registration under an id replaces the first.
    void AddBody(std::uint32_t id, const std::shared_ptr<CRigidBody>& body);
    // For hulls whose body is not registered here; a registered body's hull is found through it.
    void AddHull(std::uint32_t id, const std::shared_ptr<CCollisionHull>& hull);
    void AddHeightMap(std::uint32_t id, const std::shared_ptr<CHeightMap>& map);
    void AddWaterField(std::uint32_t id, const std::shared_ptr<CWaterField>& field);
    // Removes the body registered under the id, if any; other registrations stay.
    void RemoveObject(std::uint32_t id);
    void ClearHeightMaps();
    void ClearWaterFields();

    CSimulator& GetSimulator() { return m_simulator; }

    // Once per frame: steps min(elapsed, 0.1) seconds and queues the collisions for the next
    // event tick. A negative or NaN elapsed time simulates and reports nothing.
    void Update(float elapsed);
    // Wall-clock seconds the last Update took, so that a frame's physics can be told apart.
    double GetLastUpdateSeconds() const { return m_lastUpdateSeconds; }

private:
    void PostCollisionEvents() const;

    std::map<std::uint32_t, std::shared_ptr<CRigidBody>> m_bodies;
    std::map<CRigidBody*, std::uint32_t> m_bodyIds;
    std::map<std::uint32_t, std::shared_ptr<CCollisionHull>> m_hulls;
    std::map<CCollisionHull*, std::uint32_t> m_hullIds;
    std::map<std::uint32_t, std::shared_ptr<CHeightMap>> m_heightMaps;
    std::map<CHeightMap*, std::uint32_t> m_heightMapIds;
    std::map<std::uint32_t, std::shared_ptr<CWaterField>> m_waterFields;
    std::map<CWaterField*, std::uint32_t> m_waterFieldIds;
    CSimulator m_simulator;
    double m_lastUpdateSeconds = 0.0;
};

} // namespace velm::phy
