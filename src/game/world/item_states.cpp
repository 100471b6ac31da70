#include "game/world/item_states.h"

#include <memory>

#include "engine/events/event_manager.h"
#include "game/events/game_events.h"
#include "game/world/item_model.h"
#include "game/world/race_context.h"
#include "game/world/race_hud.h"

namespace kelvo {

const char* const kBaitNetworkStateName = "Bait_Network_State";
const char* const kBaitThrowStateName = "Bait_Throw_State";
const char* const kBaitDestroyStateName = "Bait_Destroy_State";
const char* const kDrillNetworkStateName = "Drill_Network_State";
const char* const kDrillSpinStateName = "Drill_Spin_State";
const char* const kDrillDestroyStateName = "Drill_Destroy_State";
const char* const kMineNetworkStateName = "Mine_Network_State";
const char* const kMineAttachedStateName = "Mine_Attached_State";
const char* const kMineDetachedStateName = "Mine_Detached_State";
const char* const kMineExplodeStateName = "Mine_Explode_State";
const char* const kMineDestroyStateName = "Mine_Destroy_State";
const char* const kSharkNetworkStateName = "Shark_Network_State";
const char* const kSharkSpinStateName = "Shark_Spin_State";
const char* const kSharkDestroyStateName = "Shark_Destroy_State";
const char* const kPoleNetworkStateName = "Pole_Network_State";
const char* const kPoleCastStateName = "Pole_Cast_State";
const char* const kPoleDestroyStateName = "Pole_Destroy_State";
const char* const kPropellerNetworkStateName = "Propeller_Network_State";
const char* const kPropellerBoostStateName = "Propeller_Boost_State";
const char* const kPropellerDestroyStateName = "Propeller_Destroy_State";
const char* const kReflectNetworkStateName = "Reflect_Network_State";
const char* const kReflectInvincibleStateName = "Reflect_Invincible_State";
const char* const kReflectDestroyStateName = "Reflect_Destroy_State";
const char* const kGeyserNetworkStateName = "Geyser_Network_State";
const char* const kGeyserIdleStateName = "Geyser_Idle_State";
const char* const kGeyserEruptStateName = "Geyser_Erupt_State";
const char* const kGeyserInitStateName = "Geyser_Init_State";

void NetworkStep(common::IStateImp& state, const char* workingState) {
    if (!IsNetworkClient()) {
        state.SetNextState(workingState);
    }
}

bool AttachToOwner(CItemModel* item, std::uint8_t mode, const std::string& bone, const std::string& eventBone) {
    CRacerModel* owner = item->GetOwner();
    if (owner == nullptr) {
        return false;
    }
    owner->AttachItem(item, mode, bone);
    QueueWorldEvent(std::make_shared<CAttachDetachItemFromRacerEvt>(true, item->GetID(), owner->GetID(), 1, eventBone));
    return true;
}

void DetachFromOwner(CItemModel* item) {
    CRacerModel* owner = item->GetOwner();
    if (owner == nullptr) {
        return;
    }
    owner->DetachItem(item);
    QueueWorldEvent(std::make_shared<CAttachDetachItemFromRacerEvt>(false, item->GetID(), owner->GetID(), 0, ""));
}

void QueueDestroy(const CItemModel* item) { QueueWorldEvent(std::make_shared<CDestroyItemEvt>(item->GetID())); }

CRacerModel* FindRacerModel(std::uint32_t id) {
    IRaceContext* race = GetRaceContext();
    return race != nullptr && id != 0 ? dynamic_cast<CRacerModel*>(race->FindModel(id)) : nullptr;
}

namespace {

void ShowPlayerHitOverlay(const CRacerModel& racer) {
    IRaceContext* race = GetRaceContext();
    if (racer.GetControlKind() == CONTROL_LOCAL_PLAYER && race != nullptr && race->GetHUD() != nullptr) {
        race->GetHUD()->ShowHitOverlay();
    }
}

} // namespace

void DeliverHit(CRacerModel& target, CRacerModel* owner, const HitBuilder& build, const ForceEventBuilder& send) {
    if (target.CanBeHit()) {
        if (target.GetControlKind() == CONTROL_NETWORK) {
            send(target.GetID(), owner != nullptr ? owner->GetID() : 0, target.GetConnectionId());
        } else {
            target.TakeHit(build(target));
        }
        return;
    }
    if (!target.IsInvincible() || owner == nullptr) {
        return;
    }
    if (owner->GetControlKind() == CONTROL_NETWORK) {
        send(owner->GetID(), owner->GetID(), owner->GetConnectionId());
        return;
    }
    owner->TakeHit(build(*owner));
    ShowPlayerHitOverlay(*owner);
}

bool CollisionHit(CRacerModel& racer, CRacerModel* owner, const HitBuilder& build) {
    if (racer.CanBeHit()) {
        racer.TakeHit(build(racer));
        return true;
    }
    if (racer.IsInvincible() && owner != nullptr) {
        owner->TakeHit(build(*owner));
        ShowPlayerHitOverlay(*owner);
    }
    return false;
}

void CBaitNetworkStateInit::operator()() const { SetNext(kBaitNetworkStateName); }
void CBaitThrowStateInit::operator()() const { SetNext(kBaitThrowStateName); }
void CBaitDestroyStateInit::operator()() const { SetNext(kBaitDestroyStateName); }

void BuildBaitMachine(CItemModel* item) {
    common::CStateMachine& machine = *item->GetStateMachine();
    machine.AddState(kBaitNetworkStateName,
                     new CBaitBaseState(item, CBaitNetworkStateInit(), CItemNoOp(), CItemNoOp()));
    machine.AddState(kBaitThrowStateName, new CBaitBaseState(item, CBaitThrowStateInit(), CItemNoOp(), CItemNoOp()));
    machine.AddState(kBaitDestroyStateName,
                     new CBaitBaseState(item, CBaitDestroyStateInit(), CItemNoOp(), CItemNoOp()));
    machine.ChangeState(kBaitNetworkStateName);
}

} // namespace kelvo
