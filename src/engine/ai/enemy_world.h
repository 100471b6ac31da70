// What an enemy racer's AI asks of the race around it: the racers, the river's flow, the item
// jugs, the held item's weapon data, its debug marker and its ray driver. The game implements it
// per computer racer; tests give a world of their own. Main thread, except construction-time
// calls, which may come from the loading thread.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/ai/drive_input.h"

namespace velm {
namespace ai {

class CAIBase;
class CAIManager;

// One enemy's difficulty profile.
struct AIProfile {
    // Seconds the item timer must pass before the enemy fires at a racer in the cone.
    float WDelay = 0.0f;
    // Radius within which item jugs are sought.
    float CRange = 0.0f;
    int Difficulty = 0;
    std::string Path;
    std::string Net;
    bool Debug = false;
};

class IEnemyWorld {
public:
    virtual ~IEnemyWorld() = default;

    virtual CAIManager* GetAIManager() = 0;
    // Every racer's position, heading and velocity, its id and object type (other fields zero).
    virtual std::vector<SRacerInfo> GetRacers() = 0;
    // The item the enemy's own racer holds: 0 none, else its object type.
    virtual int GetHeldItem() = 0;
    // Whether the enemy's own racer model has been found.
    virtual bool HasOwnRacer() = 0;
    // The river flow of the water cell under the own racer, at the given point's x and z; false
    // when there is no cell or the point lies outside it.
    virtual bool GetFlow(const common::CVector3& point, common::CVector3& flow) = 0;
    virtual std::vector<common::CVector3> FindItemJugs(const common::CVector3& position,
                                                       const common::CVector3& direction, float radius) = 0;
    // The held item's weapon data; false / the shooter's position when the type has none.
    virtual bool InFiringCone(int itemType, const SRacerInfo& shooter, const SRacerInfo& target) = 0;
    virtual common::CVector3 AimPoint(int itemType, const SRacerInfo& shooter, const SRacerInfo& target) = 0;
    virtual bool UseUntargeted(int itemType, const SRacerInfo& shooter) = 0;
    // A debug marker object at the origin; its id.
    virtual int CreateMarker() = 0;
    virtual void MoveMarker(int id, const common::CVector3& position) = 0;
    // The bank-ray driver, and the moment the own racer is known to it.
    virtual std::unique_ptr<CAIBase> CreateRayDriver() = 0;
    virtual void OnOwnRacerFound(CAIBase& rayDriver) = 0;
};

} // namespace ai
} // namespace velm
