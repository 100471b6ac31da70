#include "game/world/item_model.h"

#include "game/content/object_type.h"
#include "game/events/game_events.h"
#include "game/world/item_states.h"
#include "game/world/race_context.h"
#include "game/world/racer_model.h"
#include "game/world/racer_view.h"
#include "libs/common/state_machine.h"

namespace kelvo {

CItemModel::CItemModel(const std::shared_ptr<velm::phy::CRigidBody>& body, std::uint32_t id) : CKelvoModel(body, id) {
    m_stateMachine = new common::CStateMachine();
}

void CItemModel::CreateStateMachine() {
    switch (m_objectType) {
        case ITEM_DRILL:
            BuildDrillMachine(this);
            break;
        case ITEM_REFLECTIVE_COAT:
            BuildReflectMachine(this);
            break;
        case ITEM_BAIT:
            BuildBaitMachine(this);
            break;
        case ITEM_SHARK:
            BuildSharkMachine(this);
            break;
        case ITEM_FISHING_POLE:
            BuildPoleMachine(this);
            break;
        case ITEM_PROPELLER:
            BuildPropellerMachine(this);
            break;
        case ITEM_MINE:
            BuildMineMachine(this);
            break;
        default:
            break;
    }
}

CItemView* CItemModel::GetItemView() const {
    IRaceContext* race = GetRaceContext();
    if (race == nullptr) {
        return nullptr;
    }
    return dynamic_cast<CItemView*>(race->FindView(m_id));
}

CPathItemController* CItemModel::GetPathController() const { return dynamic_cast<CPathItemController*>(m_controller); }

CRacerModel* CItemModel::GetOwner() const {
    IRaceContext* race = GetRaceContext();
    if (race == nullptr || m_ownerId == 0) {
        return nullptr;
    }
    return dynamic_cast<CRacerModel*>(race->FindModel(m_ownerId));
}

void CItemModel::SetOwner(CRacerModel* owner) { m_ownerId = owner != nullptr ? owner->GetID() : 0; }

void CItemModel::Update(double /*time*/, float elapsed) {
    m_stateMachine->Update();
    if (IsAttached()) {
        CopyPoseFromUnit();
    }
    ServerPositionStep(elapsed, m_positionAccumulator, m_positionInterval, false);
}

bool CItemModel::SetAnimation(std::uint32_t index, bool loop) {
    const bool result = CKelvoModel::SetAnimation(index, loop);
    if (!IsNetworkClient()) {
        QueueWorldEvent(std::make_shared<CAniChangeEvt>(index, m_id));
    }
    return result;
}

void CItemView::SetupSounds(const std::vector<std::string>& sounds) {
    if (!sounds.empty()) {
        m_sound = Create3DSound(sounds.front(), m_model);
    }
}

void CItemView::Update(double time, float elapsed) {
    UpdateUnitFromModel(m_model, m_sceneObject, time, elapsed);
    FollowModel();
}

void CPathItemController::SetPath(const velm::ai::CWaypointPath& path) {
    m_pathName = path.m_name;
    m_waypoints = path.m_waypoints;
}

} // namespace kelvo
