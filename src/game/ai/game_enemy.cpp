#include "game/ai/game_enemy.h"

#include "engine/ai/ai_manager.h"
#include "engine/core/object_id.h"
#include "engine/core/velm_app.h"
#include "engine/events/event_manager.h"
#include "engine/phy/water_field.h"
#include "game/ai/ai_profile.h"
#include "game/ai/ai_ray_driving.h"
#include "game/ai/ray_sensor.h"
#include "game/content/object_type.h"
#include "game/events/creation_events.h"
#include "game/world/race_context.h"
#include "game/world/racer_controller.h"
#include "game/world/racer_model.h"
#include "game/world/weapon_data.h"

namespace kelvo {
namespace ai {
namespace {

velm::ai::CAIManager* s_manager = nullptr;

// The markers of a driving recorder in debug mode.
CGameMarkers s_recorderMarkers;

// An enemy AI that carries the world it asks; the world is built before the AI it serves.
struct SWorldHolder {
    explicit SWorldHolder(int racerId) : m_gameWorld(racerId) {}
    CGameEnemyWorld m_gameWorld;
};

class CGameEnemy : private SWorldHolder, public velm::ai::AIEnemy {
public:
    CGameEnemy(const AIProfile& profile, int racerId)
        : SWorldHolder(racerId), velm::ai::AIEnemy(profile, racerId, m_gameWorld) {}
};

velm::ai::SRacerInfo InfoOf(CRacerModel& racer) {
    velm::ai::SRacerInfo info;
    info.m_position = racer.GetPosition();
    info.m_heading = racer.GetOrientation().Rotate(racer.GetForwardAxis());
    info.m_velocity = racer.GetLinearVelocity();
    info.m_racerId = static_cast<int>(racer.GetID());
    info.m_objectType = static_cast<int>(racer.GetObjectType());
    return info;
}

} // namespace

int CGameMarkers::CreateMarker(const common::CVector3& position, bool editor) {
    const std::uint32_t id = velm::NewObjectID();
    velm::QueueEvent(std::make_shared<CCreateEnvObjEvt>("BoxModelData", id, 1, 0, OBJECT_BOX, &position,
                                                        static_cast<std::uint8_t>(editor ? 1 : 0)));
    return static_cast<int>(id);
}

void CGameMarkers::RemoveMarker(int id) {
    if (IRaceContext* race = GetRaceContext()) {
        race->RemoveObject(static_cast<std::uint32_t>(id));
    }
}

bool CGameMarkers::GetMarkerPosition(int id, common::CVector3& position) {
    IRaceContext* race = GetRaceContext();
    velm::CModel* model = race != nullptr ? race->FindModel(static_cast<std::uint32_t>(id)) : nullptr;
    if (model == nullptr) {
        return false;
    }
    position = model->GetPosition();
    return true;
}

void CGameMarkers::MoveMarker(int id, const common::CVector3& position) {
    IRaceContext* race = GetRaceContext();
    if (velm::CModel* model = race != nullptr ? race->FindModel(static_cast<std::uint32_t>(id)) : nullptr) {
        model->SetPosition(position);
    }
}

void SetEnemyAIManager(velm::ai::CAIManager* manager) { s_manager = manager; }

velm::ai::CAIManager* CGameEnemyWorld::GetAIManager() {
    if (s_manager != nullptr) {
        return s_manager;
    }
    velm::CVelmApp* app = velm::GetApp();
    return app != nullptr ? app->GetAIManager() : nullptr;
}

CRacerModel* CGameEnemyWorld::OwnRacer() const {
    IRaceContext* race = GetRaceContext();
    velm::CModel* model = race != nullptr ? race->FindModel(static_cast<std::uint32_t>(m_racerId)) : nullptr;
    return dynamic_cast<CRacerModel*>(model);
}

// The racers of the race only: the character selection's line-up floats in the menu pool and
// takes no part.
std::vector<velm::ai::SRacerInfo> CGameEnemyWorld::GetRacers() {
    std::vector<velm::ai::SRacerInfo> racers;
    if (IRaceContext* race = GetRaceContext()) {
        for (velm::CModel* model : race->GetRacers()) {
            if (auto* racer = dynamic_cast<CRacerModel*>(model)) {
                racers.push_back(InfoOf(*racer));
            }
        }
    }
    return racers;
}

int CGameEnemyWorld::GetHeldItem() {
    CRacerModel* racer = OwnRacer();
    return racer != nullptr ? static_cast<int>(racer->GetHeldItemType()) : 0;
}

bool CGameEnemyWorld::GetFlow(const common::CVector3& point, common::CVector3& flow) {
    CRacerModel* racer = OwnRacer();
    velm::phy::CWaterField* water = racer != nullptr ? racer->GetWaterCell() : nullptr;
    float height = 0.0f;
    common::CVector3 normal;
    return water != nullptr && water->GetSurface(point.x, point.z, height, normal, flow);
}

std::vector<common::CVector3> CGameEnemyWorld::FindItemJugs(const common::CVector3& position,
                                                            const common::CVector3& direction, float radius) {
    std::vector<common::CVector3> jugs;
    if (IRaceContext* race = GetRaceContext()) {
        for (velm::CModel* jug : race->FindItemJugsInRange(position, direction, radius)) {
            jugs.push_back(jug->GetPosition());
        }
    }
    return jugs;
}

namespace {

// The weapon data's view of a racer: its position, then its forward direction.
data::SAimRecord AimRecord(const velm::ai::SRacerInfo& racer) {
    return {racer.m_position, racer.m_heading, racer.m_velocity};
}

} // namespace

bool CGameEnemyWorld::InFiringCone(int itemType, const velm::ai::SRacerInfo& shooter,
                                   const velm::ai::SRacerInfo& target) {
    const data::WeaponData* weapon = data::GetWeaponDataByType(static_cast<std::uint32_t>(itemType));
    return weapon != nullptr && weapon->InFiringCone(AimRecord(shooter), target.m_position);
}

// The shooter's record goes first: an item that needs no aim answers with the shooter's own
// position, which the enemy takes as leave to use it at once. With the records the other way
// round every such item would send its holder after the target for as long as it held it.
common::CVector3 CGameEnemyWorld::AimPoint(int itemType, const velm::ai::SRacerInfo& shooter,
                                           const velm::ai::SRacerInfo& target) {
    const data::WeaponData* weapon = data::GetWeaponDataByType(static_cast<std::uint32_t>(itemType));
    return weapon != nullptr ? weapon->GetAimPoint(AimRecord(shooter), AimRecord(target)) : shooter.m_position;
}

bool CGameEnemyWorld::UseUntargeted(int itemType, const velm::ai::SRacerInfo& shooter) {
    const data::WeaponData* weapon = data::GetWeaponDataByType(static_cast<std::uint32_t>(itemType));
    return weapon != nullptr && weapon->AllowsFire(AimRecord(shooter), AimRecord(shooter));
}

int CGameEnemyWorld::CreateMarker() { return m_markers.CreateMarker(common::CVector3(), false); }

void CGameEnemyWorld::MoveMarker(int id, const common::CVector3& position) { m_markers.MoveMarker(id, position); }

std::unique_ptr<velm::ai::CAIBase> CGameEnemyWorld::CreateRayDriver() {
    auto driver = std::make_unique<AIRayDriving>();
    if (velm::ai::CAIManager* manager = GetAIManager()) {
        driver->SetNet(manager->FindNet("Driving"));
    }
    return driver;
}

void CGameEnemyWorld::OnOwnRacerFound(velm::ai::CAIBase& rayDriver) {
    if (auto* driver = dynamic_cast<AIRayDriving*>(&rayDriver)) {
        driver->SetRacer(OwnRacer());
    }
}

std::unique_ptr<velm::ai::AIEnemy> CreateEnemyAI(int characterType, int racerId) {
    return std::make_unique<CGameEnemy>(GetAIProfile(2, characterType), racerId);
}

std::unique_ptr<IDrivingRecorder> CreateDrivingRecorder(int characterType) {
    auto recorder = std::make_unique<CRaySensor>(GetAIProfile(1, characterType).Debug, &s_recorderMarkers);
    recorder->OpenLog("TD.txt", 5);
    return recorder;
}

void ApplyAIStates(bool useItems, bool drive, bool third) {
    IRaceContext* race = GetRaceContext();
    if (race == nullptr) {
        return;
    }
    for (const auto& entry : race->GetControllers()) {
        if (auto* controller = dynamic_cast<CAIRacerContr*>(entry.second)) {
            if (auto* ai = static_cast<velm::ai::AIEnemy*>(controller->GetAI())) {
                ai->SetStateFlags(useItems, drive, third);
            }
        }
    }
}

} // namespace ai
} // namespace kelvo
