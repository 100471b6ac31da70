// The race world as the computer racers' AI sees it: kelvo::ai::CGameEnemyWorld answers an
// enemy's questions from the race's racers and objects, kelvo::ai::CGameMarkers makes the AI's
// and the waypoint editor's marker objects through the game's events, CreateEnemyAI builds the
// AI of one computer racer with the profile of its character, and CreateDrivingRecorder a human
// racer's sample recorder. Main thread, except
// that an AI may be built on the loading thread (it then only reads the profiles, paths and nets
// and queues its marker's event).
#pragma once

#include <memory>

#include "engine/ai/ai_enemy.h"
#include "game/ai/waypoint_editor.h"

namespace kelvo {

class CRacerModel;
class IDrivingRecorder;

namespace ai {

class CGameMarkers : public IWaypointMarkers {
public:
    // The marker's create event is queued; the object exists from the next event tick on.
    int CreateMarker(const common::CVector3& position, bool editor) override;
    void RemoveMarker(int id) override;
    bool GetMarkerPosition(int id, common::CVector3& position) override;
    void MoveMarker(int id, const common::CVector3& position) override;
};

class CGameEnemyWorld : public velm::ai::IEnemyWorld {
public:
    explicit CGameEnemyWorld(int racerId) : m_racerId(racerId) {}

    velm::ai::CAIManager* GetAIManager() override;
    std::vector<velm::ai::SRacerInfo> GetRacers() override;
    int GetHeldItem() override;
    bool HasOwnRacer() override { return OwnRacer() != nullptr; }
    bool GetFlow(const common::CVector3& point, common::CVector3& flow) override;
    std::vector<common::CVector3> FindItemJugs(const common::CVector3& position, const common::CVector3& direction,
                                               float radius) override;
    bool InFiringCone(int itemType, const velm::ai::SRacerInfo& shooter, const velm::ai::SRacerInfo& target) override;
    common::CVector3 AimPoint(int itemType, const velm::ai::SRacerInfo& shooter,
                              const velm::ai::SRacerInfo& target) override;
    bool UseUntargeted(int itemType, const velm::ai::SRacerInfo& shooter) override;
    int CreateMarker() override;
    void MoveMarker(int id, const common::CVector3& position) override;
    std::unique_ptr<velm::ai::CAIBase> CreateRayDriver() override;
    void OnOwnRacerFound(velm::ai::CAIBase& rayDriver) override;

private:
    CRacerModel* OwnRacer() const;

    int m_racerId;
    CGameMarkers m_markers;
};

// The manager the computer racers take their paths and nets from in place of the application's
// (null: the application's again). For runs without an application.
void SetEnemyAIManager(velm::ai::CAIManager* manager);

// The AI of the computer racer with that character and id; it keeps its world with it.
std::unique_ptr<velm::ai::AIEnemy> CreateEnemyAI(int characterType, int racerId);
// The driving-sample recorder of a human racer of that character: a ray sensor with the human
// profile's debug flag, logging to "TD.txt" five lines at a time.
std::unique_ptr<IDrivingRecorder> CreateDrivingRecorder(int characterType);
// Hands AIStates' switches to the AI of every computer racer of the game.
void ApplyAIStates(bool useItems, bool drive, bool third);

} // namespace ai
} // namespace kelvo
