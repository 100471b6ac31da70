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

namespace velm {
class CSound;
}

namespace kelvo {

class CRacerModel;

class CItemModel : public CKelvoModel {
public:
    CItemModel(const std::shared_ptr<velm::phy::CRigidBody>& body, std::uint32_t id);
    void Update(double time, float elapsed) override;
    // Replays on peers unless this machine is a networked client.
    bool SetAnimation(std::uint32_t index, bool loop) override;
    // The item families' states join the machine with the items' own states; the whirlpool and
    // other types get none.
    void CreateStateMachine();

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

class CItemView : public velm::CView {
public:
    using velm::CView::CView;
    void Update(double time, float elapsed) override;
    // The first entry of the list.
    void SetupSounds(const std::vector<std::string>& sounds);
    void Play(int loop);
    void Stop();

private:
    velm::CSound* m_sound = nullptr;
    std::uint8_t m_stopped = 0;
};

class CItemController : public velm::CController {
public:
    using velm::CController::CController;
    bool HandleInput(const velm::input::SInputEvent& /*event*/) override { return false; }
    void Update(double /*time*/, float /*elapsed*/) override {}

protected:
    std::string m_secondName;
};

// The drill's and shark's path: the item states walk it through these fields.
class CPathItemController : public CItemController {
public:
    using CItemController::CItemController;
    void SetPath(const velm::ai::CWaypointPath& path);
    const std::string& GetPathName() const { return m_pathName; }
    const std::vector<velm::ai::CWaypointData>& GetWaypoints() const { return m_waypoints; }
    std::uint32_t GetFirstValue() const { return m_first; }
    void SetFirstValue(std::uint32_t value) { m_first = value; }
    std::uint32_t GetSecondValue() const { return m_second; }
    void SetSecondValue(std::uint32_t value) { m_second = value; }
    const common::CVector3& GetFirstVector() const { return m_firstVector; }
    void SetFirstVector(const common::CVector3& v) { m_firstVector = v; }
    const common::CVector3& GetSecondVector() const { return m_secondVector; }
    void SetSecondVector(const common::CVector3& v) { m_secondVector = v; }

private:
    std::string m_pathName;
    std::vector<velm::ai::CWaypointData> m_waypoints;
    std::uint32_t m_first = 0;
    common::CVector3 m_firstVector;
    common::CVector3 m_secondVector;
    std::uint32_t m_second = 0;
    std::uint8_t m_flag = 0;
};

} // namespace kelvo
