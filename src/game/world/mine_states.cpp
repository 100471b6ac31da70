#include "game/world/mine_states.h"

#include "engine/core/object_id.h"
#include "game/events/creation_events.h"
#include "game/world/item_model.h"
#include "game/world/weapon_data.h"

namespace kelvo {

namespace {

CItemModel* Mine(const CMineBaseState& state) { return state.GetModel(); }

} // namespace

void CMineNetworkStateInit::operator()() const { SetNext(kMineNetworkStateName); }
void CMineNetworkStateAction::operator()() const { NetworkStep(State<CMineBaseState>(), kMineAttachedStateName); }
void CMineNetworkStateExit::operator()() const {
    const std::string& bone = data::Mine().m_bone;
    AttachToOwner(Mine(State<CMineBaseState>()), 1, bone, bone);
}

void CMineAttachedStateInit::operator()() const { SetNext(kMineAttachedStateName); }
void CMineAttachedStateAction::operator()() const {
    if (Mine(State<CMineBaseState>())->ShouldDetach()) {
        SetNext(kMineDetachedStateName);
    }
}
void CMineAttachedStateExit::operator()() const { DetachFromOwner(Mine(State<CMineBaseState>())); }

void CMineDetachedStateInit::operator()() const {
    SetNext(kMineDetachedStateName);
    State<CMineDetachedState>().GetTimer().StartCountdown(data::Mine().m_life);
}
void CMineDetachedStateAction::operator()() const {
    if (State<CMineDetachedState>().GetTimer().IsExpired()) {
        SetNext(kMineExplodeStateName);
    }
}

void CMineExplodeStateInit::operator()() const {
    CMineDetachedState& state = State<CMineDetachedState>();
    CItemModel* mine = Mine(state);
    SetNext(kMineExplodeStateName);
    const common::CVector3 axis(0.0f, 1.0f, 0.0f);
    const common::CVector3 scale(0.03125f, 0.03125f, 0.03125f);
    for (const char* key : {"water_explosion", "water_explosion2"}) {
        QueueWorldEvent(std::make_shared<CCreateParticleSysFromKeyEvt>(key, velm::NewObjectID(), 0, mine->GetPosition(),
                                                                       &axis, 0.0f, &scale));
    }
    state.GetTimer().StartCountdown(0.0f);
    if (CItemView* view = mine->GetItemView()) {
        view->Play(0);
    }
}
void CMineExplodeStateAction::operator()() const {
    if (State<CMineDetachedState>().GetTimer().IsExpired()) {
        SetNext(kMineDestroyStateName);
    }
}

void CMineDestroyStateInit::operator()() const {
    SetNext(kMineDestroyStateName);
    QueueDestroy(Mine(State<CMineBaseState>()));
}

void BuildMineMachine(CItemModel* item) {
    common::CStateMachine& machine = *item->GetStateMachine();
    machine.AddState(kMineNetworkStateName, new CMineBaseState(item, CMineNetworkStateInit(), CMineNetworkStateAction(),
                                                               CMineNetworkStateExit()));
    machine.AddState(kMineAttachedStateName, new CMineBaseState(item, CMineAttachedStateInit(),
                                                                CMineAttachedStateAction(), CMineAttachedStateExit()));
    machine.AddState(kMineDetachedStateName,
                     new CMineDetachedState(item, CMineDetachedStateInit(), CMineDetachedStateAction(), CItemNoOp()));
    machine.AddState(kMineExplodeStateName,
                     new CMineDetachedState(item, CMineExplodeStateInit(), CMineExplodeStateAction(), CItemNoOp()));
    machine.AddState(kMineDestroyStateName,
                     new CMineBaseState(item, CMineDestroyStateInit(), CItemNoOp(), CItemNoOp()));
    machine.ChangeState(kMineNetworkStateName);
}

} // namespace kelvo
