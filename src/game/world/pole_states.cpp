#include "game/world/pole_states.h"

#include "engine/phy/rigid_body.h"
#include "game/events/game_events.h"
#include "game/world/item_hit_effects.h"
#include "game/world/item_model.h"
#include "game/world/race_context.h"
#include "game/world/racer_controller.h"
#include "game/world/weapon_data.h"

namespace kelvo {

namespace {

using common::CVector3;

constexpr float kCastTime = 1.0f;

void Pull(CItemModel* pole, CRacerModel& hooked) {
    CRacerModel* owner = pole->GetOwner();
    if (owner == nullptr) {
        return;
    }
    const CVector3 facing = owner->GetHeading().GetNormalized();
    const HitBuilder pull = [facing](CRacerModel& racer) -> CRacerModel::ItemHitEffectFunc* {
        const data::FishingpoleWeaponData& weapon = data::Pole();
        const float m = racer.GetBody()->GetMass();
        auto* effect = new HitByPoleFunc(&racer);
        effect->SetForce(CVector3(weapon.m_hForce * m * facing.x, weapon.m_vForce * m, weapon.m_hForce * m * facing.z));
        effect->GetTimer().StartCountdown(weapon.m_life);
        return effect;
    };
    const ForceEventBuilder send = [](std::uint32_t hitId, std::uint32_t ownerId, std::uint32_t peer) {
        CPoleForceEvt event(hitId, ownerId);
        event.AddRecipient(peer);
        TriggerWorldEvent(event);
    };
    DeliverHit(hooked, owner, pull, send);
}

} // namespace

void CPoleNetworkStateInit::operator()() const { SetNext(kPoleNetworkStateName); }
void CPoleNetworkStateAction::operator()() const { NetworkStep(State<CPoleBaseState>(), kPoleCastStateName); }
void CPoleNetworkStateExit::operator()() const {
    CItemModel* pole = State<CPoleBaseState>().GetModel();
    const std::string& bone = data::Pole().m_bone;
    if (AttachToOwner(pole, 1, bone, bone)) {
        pole->GetOwner()->SetAnimation(8, false);
    }
}

void CPoleCastStateInit::operator()() const {
    CPoleCastState& state = State<CPoleCastState>();
    SetNext(kPoleCastStateName);
    CRacerModel* owner = state.GetModel()->GetOwner();
    IRaceContext* race = GetRaceContext();
    state.m_hookedId = 0;
    if (owner != nullptr && race != nullptr) {
        std::uint32_t hooked = 0;
        if (race->PickNearestRacerOnRay(owner->GetID(), owner->GetHeading().GetNormalized(), data::Pole().m_range,
                                        data::Pole().m_angle, &hooked)) {
            state.m_hookedId = hooked;
        }
    }
    state.GetTimer().StartCountdown(kCastTime);
}

void CPoleCastStateAction::operator()() const {
    CPoleCastState& state = State<CPoleCastState>();
    CItemModel* pole = state.GetModel();
    CRacerModel* owner = pole->GetOwner();
    if (owner == nullptr) {
        SetNext(kPoleDestroyStateName);
        return;
    }
    const bool ready = owner->AnimationDone() || state.GetTimer().IsExpired();
    if (!ready) {
        return;
    }
    if (state.m_pulled) {
        SetNext(kPoleDestroyStateName);
        return;
    }
    owner->SetAnimation(0, false);
    state.m_pulled = true;
    state.GetTimer().StartCountdown(kCastTime);
    if (state.m_hookedId != 0) {
        CRacerModel* hooked = FindRacerModel(state.m_hookedId);
        if (hooked == nullptr) {
            SetNext(kPoleDestroyStateName);
            return;
        }
        Pull(pole, *hooked);
    }
}

void CPoleDestroyStateInit::operator()() const {
    CItemModel* pole = State<CPoleBaseState>().GetModel();
    SetNext(kPoleDestroyStateName);
    if (CRacerModel* owner = pole->GetOwner()) {
        owner->DetachItem(pole);
        if (CRacerController* controller = owner->GetRacerController()) {
            owner->SetAnimation(controller->IsPaddling() ? 4 : 1, true);
        }
        QueueWorldEvent(std::make_shared<CAttachDetachItemFromRacerEvt>(false, pole->GetID(), owner->GetID(), 0, ""));
    }
    QueueDestroy(pole);
}

void BuildPoleMachine(CItemModel* item) {
    common::CStateMachine& machine = *item->GetStateMachine();
    machine.AddState(kPoleNetworkStateName, new CPoleBaseState(item, CPoleNetworkStateInit(), CPoleNetworkStateAction(),
                                                               CPoleNetworkStateExit()));
    machine.AddState(kPoleCastStateName,
                     new CPoleCastState(item, CPoleCastStateInit(), CPoleCastStateAction(), CItemNoOp()));
    machine.AddState(kPoleDestroyStateName,
                     new CPoleBaseState(item, CPoleDestroyStateInit(), CItemNoOp(), CItemNoOp()));
    machine.ChangeState(kPoleNetworkStateName);
}

} // namespace kelvo
