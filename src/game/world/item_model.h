// The weapon items in the world: kelvo::CItemModel (its owner racer, held by id so a removed
// racer is never touched; its own state machine by item type), its view with one positional
// sound, its idle controller and the path controller the drill and shark run along.
// Main thread only.
#pragma once

#include <string>
#include <vector>

#include "engine/ai/waypoint.h"
#include "engine/core/controller.h"
#include "engine/core/view.h"
#include "game/world/kelvo_model.h"
#include "game/world/sounding_view.h"

namespace kelvo {

class CRacerModel;
class CItemView;
class CPathItemController;

class CItemModel : public CKelvoModel {
public:
    CItemModel(const std::shared_ptr<velm::phy::CRigidBody>& body, std::uint32_t id);
    void Update(double time, float elapsed) override;
    // Replays on peers unless this machine is a networked client.
    bool SetAnimation(std::uint32_t index, bool loop) override;
    // The item families' states join the machine with the items' own states; the whirlpool and
    // other types get none.
    void CreateStateMachine();

    // The item's view in the game's registry, or null.
    CItemView* GetItemView() const;
    // The controller as a path controller, or null.
    CPathItemController* GetPathController() const;

    // Null when there is no owner or the owner is gone from the game.
    CRacerModel* GetOwner() const;
    void SetOwner(CRacerModel* owner);
    std::uint32_t GetOwnerId() const { return m_ownerId; }
    void SetShouldDetach(bool detach) { m_detachRequested = detach ? 1 : 0; }
    bool ShouldDetach() const { return m_detachRequested != 0; }

private:
    std::uint32_t m_ownerId = 0;
    std::uint8_t m_detachRequested = 0;
    float m_positionAccumulator = 0.0f;
    float m_positionInterval = 0.3f;
};

class CItemView : public CSoundingView {
public:
    using CSoundingView::CSoundingView;
    void Update(double time, float elapsed) override;
    // The first entry of the list.
    void SetupSounds(const std::vector<std::string>& sounds);
};

class CItemController : public velm::CController {
public:
    using velm::CController::CController;
    bool HandleInput(const velm::input::SInputEvent& /*event*/) override { return false; }
    void Update(double /*time*/, float /*elapsed*/) override {}

protected:
    std::string m_secondName;
};

// The drill's and shark's steering record: the path copy the drill walks, the racer it chases
// (held by id and looked up each frame), the two destination points, and the homing and hit marks.
class CPathItemController : public CItemController {
public:
    using CItemController::CItemController;
    void SetPath(const velm::ai::CWaypointPath& path);
    const std::string& GetPathName() const { return m_pathName; }
    const std::vector<velm::ai::CWaypointData>& GetWaypoints() const { return m_waypoints; }
    // 0 for none.
    std::uint32_t GetTargetId() const { return m_targetId; }
    void SetTargetId(std::uint32_t id) { m_targetId = id; }
    const common::CVector3& GetTargetPoint() const { return m_targetPoint; }
    void SetTargetPoint(const common::CVector3& v) { m_targetPoint = v; }
    const common::CVector3& GetWaypointPoint() const { return m_waypointPoint; }
    void SetWaypointPoint(const common::CVector3& v) { m_waypointPoint = v; }
    std::uint32_t GetWaypointIndex() const { return m_waypointIndex; }
    void SetWaypointIndex(std::uint32_t index) { m_waypointIndex = index; }
    bool IsHoming() const { return m_homing; }
    void SetHoming(bool homing) { m_homing = homing; }
    bool HasHit() const { return m_hit; }
    void SetHit(bool hit) { m_hit = hit; }

private:
    std::string m_pathName;
    std::vector<velm::ai::CWaypointData> m_waypoints;
    std::uint32_t m_targetId = 0;
    common::CVector3 m_targetPoint;
    common::CVector3 m_waypointPoint;
    std::uint32_t m_waypointIndex = 0;
    bool m_homing = false;
    bool m_hit = false;
};

} // namespace kelvo
