#include "game/world/boost_states.h"

#include "engine/gfx/gfx_unit.h"
#include "game/events/game_events.h"
#include "game/world/item_model.h"
#include "game/world/racer_view.h"
#include "game/world/weapon_data.h"

namespace kelvo {

const char* const kMembraneEffectFile = "Membrane.fx";
const char* const kMembraneTechnique = "Membrane";

namespace {

velm::gfx::IGfxUnit* ViewUnit(const CRacerModel& racer) {
    CRacerView* view = racer.GetRacerView();
    return view != nullptr ? dynamic_cast<velm::gfx::IGfxUnit*>(view->GetSceneObject()) : nullptr;
}

} // namespace

void CPropellerNetworkStateInit::operator()() const { SetNext(kPropellerNetworkStateName); }
void CPropellerNetworkStateAction::operator()() const {
    NetworkStep(State<CPropBaseState>(), kPropellerBoostStateName);
}
void CPropellerNetworkStateExit::operator()() const {
    const std::string& bone = data::Propeller().m_bone;
    AttachToOwner(State<CPropBaseState>().GetModel(), 1, bone, bone);
}

void CPropellerBoostStateInit::operator()() const {
    CPropBoostState& state = State<CPropBoostState>();
    CItemModel* propeller = state.GetModel();
    SetNext(kPropellerBoostStateName);
    if (CRacerModel* owner = propeller->GetOwner()) {
        owner->SetBoost(1.0f);
        owner->SetSpeedScale(data::Propeller().m_hForce);
    }
    state.GetTimer().StartCountdown(data::Propeller().m_life);
    if (CItemView* view = propeller->GetItemView()) {
        view->Play(1);
    }
}
void CPropellerBoostStateAction::operator()() const {
    if (State<CPropBoostState>().GetTimer().IsExpired()) {
        SetNext(kPropellerDestroyStateName);
    }
}
void CPropellerBoostStateExit::operator()() const {
    CItemModel* propeller = State<CPropBoostState>().GetModel();
    if (CRacerModel* owner = propeller->GetOwner()) {
        owner->SetBoost(0.0f);
        owner->SetSpeedScale(1.0f);
    }
    if (CItemView* view = propeller->GetItemView()) {
        view->Stop();
    }
}

void CPropellerDestroyStateInit::operator()() const {
    CItemModel* propeller = State<CPropBaseState>().GetModel();
    SetNext(kPropellerDestroyStateName);
    DetachFromOwner(propeller);
    QueueDestroy(propeller);
}

void CReflectNetworkStateInit::operator()() const { SetNext(kReflectNetworkStateName); }
void CReflectNetworkStateAction::operator()() const {
    NetworkStep(State<CReflectBaseState>(), kReflectInvincibleStateName);
}

void CReflectInvincibleStateInit::operator()() const {
    CReflectInvincibleState& state = State<CReflectInvincibleState>();
    SetNext(kReflectInvincibleStateName);
    CRacerModel* owner = state.GetModel()->GetOwner();
    if (owner != nullptr) {
        state.m_dressedId = owner->GetID();
        if (velm::gfx::IGfxUnit* unit = ViewUnit(*owner)) {
            state.m_savedEffectFile = unit->GetEffectFileName();
            state.m_savedTechnique = unit->GetTechniqueName();
            unit->SetEffectFileName(kMembraneEffectFile);
            unit->SetTechniqueName(kMembraneTechnique);
        }
        TriggerWorldEvent(CChangeRacerFXEvt(kMembraneEffectFile, kMembraneTechnique, owner->GetID()));
        owner->SetInvincible(true);
    }
    state.GetTimer().StartCountdown(data::Reflect().m_life);
}
void CReflectInvincibleStateAction::operator()() const {
    if (State<CReflectInvincibleState>().GetTimer().IsExpired()) {
        SetNext(kReflectDestroyStateName);
    }
}
void CReflectInvincibleStateExit::operator()() const {
    CReflectInvincibleState& state = State<CReflectInvincibleState>();
    CRacerModel* owner = FindRacerModel(state.m_dressedId);
    if (owner == nullptr) {
        return;
    }
    if (velm::gfx::IGfxUnit* unit = ViewUnit(*owner)) {
        unit->SetEffectFileName(state.m_savedEffectFile);
        unit->SetTechniqueName(state.m_savedTechnique);
    }
    TriggerWorldEvent(CChangeRacerFXEvt(state.m_savedEffectFile, state.m_savedTechnique, owner->GetID()));
    owner->SetInvincible(false);
}

void CReflectDestroyStateInit::operator()() const {
    SetNext(kReflectDestroyStateName);
    QueueDestroy(State<CReflectBaseState>().GetModel());
}

void BuildPropellerMachine(CItemModel* item) {
    common::CStateMachine& machine = *item->GetStateMachine();
    machine.AddState(kPropellerNetworkStateName,
                     new CPropBaseState(item, CPropellerNetworkStateInit(), CPropellerNetworkStateAction(),
                                        CPropellerNetworkStateExit()));
    machine.AddState(kPropellerBoostStateName,
                     new CPropBoostState(item, CPropellerBoostStateInit(), CPropellerBoostStateAction(),
                                         CPropellerBoostStateExit()));
    machine.AddState(kPropellerDestroyStateName,
                     new CPropBaseState(item, CPropellerDestroyStateInit(), CItemNoOp(), CItemNoOp()));
    machine.ChangeState(kPropellerNetworkStateName);
    item->SetAnimationSpeed(data::Propeller().m_animSpeed);
}

void BuildReflectMachine(CItemModel* item) {
    common::CStateMachine& machine = *item->GetStateMachine();
    machine.AddState(kReflectNetworkStateName, new CReflectBaseState(item, CReflectNetworkStateInit(),
                                                                     CReflectNetworkStateAction(), CItemNoOp()));
    machine.AddState(kReflectInvincibleStateName,
                     new CReflectInvincibleState(item, CReflectInvincibleStateInit(), CReflectInvincibleStateAction(),
                                                 CReflectInvincibleStateExit()));
    machine.AddState(kReflectDestroyStateName,
                     new CReflectBaseState(item, CReflectDestroyStateInit(), CItemNoOp(), CItemNoOp()));
    machine.ChangeState(kReflectNetworkStateName);
}

} // namespace kelvo
