// kelvo::IRaceContext: the race the world's objects run in, as they see it. Racers, items and
// their states ask it for the few things of the game above them: the game's objects, the HUD and
// the results board, whether this machine decides, the race's sounds and traps, and the AI and
// recorder that drive a racer. The game installs its implementation while it lives (tests their
// own); without one the world plays alone and silent. Main thread, except that racer creation on
// the loading thread may make a computer racer's AI.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "engine/ai/waypoint.h"
#include "libs/common/vector3.h"

namespace velm {
class CController;
class CEvent;
class CModel;
class CView;
namespace ai {
class AIEnemy;
}
} // namespace velm

namespace kelvo {

class CRacerModel;
class IRaceHUD;

// Records driving samples of a human racer, with the waypoints of the course it drives.
class IDrivingRecorder {
public:
    virtual ~IDrivingRecorder() = default;
    virtual void Record(const CRacerModel* racer, const std::vector<double>& values,
                        const velm::ai::WaypointList& waypoints) = 0;
};

class IRaceContext {
public:
    virtual ~IRaceContext() = default;

    // The game's objects by id; null when absent.
    virtual velm::CModel* FindModel(std::uint32_t id) = 0;
    virtual velm::CView* FindView(std::uint32_t id) = 0;
    // Removes the model, view and controller of that id.
    virtual void RemoveObject(std::uint32_t id) = 0;
    virtual const std::map<std::uint32_t, velm::CController*>& GetControllers() = 0;
    // One entry per racer of the race, in list order; null where the model is gone.
    virtual std::vector<velm::CModel*> GetRacers() = 0;
    // Item jugs closer than `radius` and ahead of `direction`, in list order.
    virtual std::vector<velm::CModel*> FindItemJugsInRange(const common::CVector3& position,
                                                           const common::CVector3& direction, float radius) = 0;
    // The racer other than the caster inside the cone with the least squared distance along the
    // axis; false when none is.
    virtual bool PickNearestRacerOnRay(std::uint32_t casterId, const common::CVector3& axis, float range,
                                       float halfAngle, std::uint32_t* outId) = 0;

    // Null while the game has no HUD.
    virtual IRaceHUD* GetHUD() = 0;
    // The racer's row on the end-of-race board, once; nothing without the board.
    virtual void AddResultRow(std::uint32_t racerId) = 0;

    virtual bool IsNetworked() = 0;
    // This machine serves a network game.
    virtual bool IsHost() = 0;
    // This machine decides the race: it plays alone or serves.
    virtual bool IsAuthoritative() = 0;
    // Whether an event that came from a peer may be handled here.
    virtual bool AcceptPeerEvent(const velm::CEvent& event) = 0;
    // A client sees its racers cross the line too; the server may later need to hear of it.
    virtual void NoteFinishCrossed(std::uint32_t racerId) = 0;

    virtual void PlayGeyserSound(const common::CVector3& position) = 0;
    // Once per game the hidden rocks fall (set off by `trigger`), and the placed logs are set free.
    virtual void ReleaseRocks(velm::CModel* trigger) = 0;
    virtual void ReleaseLogs() = 0;

    // The AI of the computer racer with that character and id.
    virtual std::unique_ptr<velm::ai::AIEnemy> CreateEnemyAI(int characterType, int racerId) = 0;
    // The recorder of a human racer of that character, writing its log.
    virtual std::unique_ptr<IDrivingRecorder> CreateDrivingRecorder(int characterType) = 0;
    // An object was moved or placed: the waypoint markers follow.
    virtual void SyncWaypointMarkers() = 0;
};

// The installed race, or null. Not owned.
IRaceContext* GetRaceContext();
void SetRaceContext(IRaceContext* race);

} // namespace kelvo
