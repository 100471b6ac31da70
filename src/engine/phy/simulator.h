// velm::phy::CSimulator, the stepping engine of the physics world: forces, a trial step with
// contact prediction, velocities, the contact solver and poses, over the bodies, stand-alone hulls
// and grids it shares with the world. Main thread only; registrations never happen during a step.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/phy/contact.h"
#include "engine/phy/rigid_body.h"
#include "libs/common/vector3.h"

namespace velm::phy {

class CCollisionHull;
class CHeightMap;
class CWaterField;

class CSimulator {
public:
    // The longest step simulated at once, in seconds.
    static constexpr float kMaxStep = 0.1f;

    CSimulator();

    // The first height map whose extent holds (x, z), or null.
    CHeightMap* FindHeightMapAt(float x, float z) const;
    // The first water field that holds (position.x, position.z), or null.
    CWaterField* FindWaterFieldAt(const common::CVector3& position) const;
    bool HoldsWaterField(const CWaterField* field) const;

    // Steps min(dt, kMaxStep) seconds.
    void Update(float dt);
    // A time that is negative or not a number simulates nothing.
    void Step(float dt);

    // The list operations the world keeps in step with its registries; Remove drops every entry
    // that holds the object.
    void AddBody(const std::shared_ptr<CRigidBody>& body);
    void RemoveBody(const CRigidBody* body);
    void AddHull(const std::shared_ptr<CCollisionHull>& hull);
    void RemoveHull(const CCollisionHull* hull);
    void AddHeightMap(const std::shared_ptr<CHeightMap>& map);
    void RemoveHeightMap(const CHeightMap* map);
    void AddWaterField(const std::shared_ptr<CWaterField>& field);
    void RemoveWaterField(const CWaterField* field);
    void ClearHeightMaps() { m_heightMaps.clear(); }
    void ClearWaterFields() { m_waterFields.clear(); }

    const std::vector<std::shared_ptr<CRigidBody>>& GetBodies() const { return m_bodies; }
    const std::vector<std::shared_ptr<CHeightMap>>& GetHeightMaps() const { return m_heightMaps; }
    const std::vector<std::shared_ptr<CWaterField>>& GetWaterFields() const { return m_waterFields; }
    const std::vector<SContact>& GetContacts() const { return m_contacts; }
    const std::vector<SContactPair>& GetContactPairs() const { return m_contactPairs; }

    void SetPredictionPasses(std::uint32_t passes) { m_predictionPasses = passes; }
    void SetSolverPasses(std::uint32_t passes) { m_solverPasses = passes; }

private:
    void SortBodies();
    void PredictContacts(float dt);
    void DetectCollisions();
    // Whether the pair can touch: not both at rest, not linked, bounding spheres overlapping.
    static bool InReach(const CCollisionHull& a, const CCollisionHull& b);
    // Both ways round; b's world test points must be current. Records the pair when it touches.
    void CollidePair(CCollisionHull& a, CCollisionHull& b);
    // Prepare on every contact, then up to `passes` rounds of Resolve until one applies nothing.
    void SolveContacts(float dt, std::uint32_t passes, bool zeroRestitution);

    std::vector<std::shared_ptr<CRigidBody>> m_bodies;
    std::vector<std::shared_ptr<CRigidBody>> m_activeBodies;
    std::vector<std::shared_ptr<CRigidBody>> m_inactiveBodies;
    std::vector<std::shared_ptr<CCollisionHull>> m_hulls;
    std::vector<std::shared_ptr<CHeightMap>> m_heightMaps;
    std::vector<std::shared_ptr<CWaterField>> m_waterFields;
    std::vector<CCollisionHull*> m_movingHulls;
    std::vector<CCollisionHull*> m_otherHulls;
    // Per entry of m_otherHulls: its world test points were refreshed this step.
    std::vector<bool> m_otherHullsFresh;
    std::vector<SBodyState> m_bodyStates;
    std::vector<SContact> m_contacts;
    std::vector<SContactPair> m_contactPairs;
    std::uint32_t m_predictionPasses = 1;
    std::uint32_t m_solverPasses = 1;
};

} // namespace velm::phy
