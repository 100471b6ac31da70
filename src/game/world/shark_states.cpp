#include "game/world/shark_states.h"

#include "engine/gfx/gfx_unit.h"
#include "engine/gfx/scene_unit.h"
#include "engine/phy/rigid_body.h"
#include "engine/phy/water_field.h"
#include "game/events/game_events.h"
#include "game/world/item_hit_effects.h"
#include "game/world/item_model.h"
#include "game/world/race_context.h"
#include "game/world/weapon_data.h"

namespace kelvo {

namespace {

using common::CVector3;

constexpr float kTrailing = 1.8f;
constexpr float kAttackTime = 4.0f;
constexpr float kHitTime = 2.0f;
constexpr float kPull = 8.0f;

CRacerModel* FindLeader() {
    IRaceContext* race = GetRaceContext();
    if (race == nullptr) {
        return nullptr;
    }
    for (velm::CModel* model : race->GetRacers()) {
        auto* racer = dynamic_cast<CRacerModel*>(model);
        if (racer != nullptr && racer->GetRaceRank() == 1) {
            return racer;
        }
    }
    return nullptr;
}

CVector3 BehindOf(const CRacerModel& target) {
    return target.GetPosition() - target.GetLinearVelocity().GetNormalized() * kTrailing;
}

CRacerModel* Target(CItemModel* shark) {
    CPathItemController* steer = shark->GetPathController();
    return steer != nullptr ? FindRacerModel(steer->GetTargetId()) : nullptr;
}

} // namespace

CVector3 SharkPullDirection(const CRacerModel& racer) {
    const velm::phy::CWaterField* water = racer.GetWaterCell();
    float height = 0.0f;
    CVector3 normal;
    CVector3 flow;
    const CVector3 at = racer.GetPosition();
    if (water != nullptr && water->GetSurface(at.x, at.z, height, normal, flow)) {
        return (CVector3(-flow.x, 0.0f, -flow.z) + CVector3(0.0f, -1.0f, 0.0f)).GetNormalized();
    }
    // Also where the surface query fails: a zero direction would pull nowhere.
    return CVector3(0.0f, -1.0f, 1.0f).GetNormalized();
}

void CSharkNetworkStateInit::operator()() const { SetNext(kSharkNetworkStateName); }
void CSharkNetworkStateAction::operator()() const { NetworkStep(State<CSharkBaseState>(), kSharkSpinStateName); }
void CSharkNetworkStateExit::operator()() const {
    AttachToOwner(State<CSharkBaseState>().GetModel(), 0, data::Shark().m_bone, "root");
}

void CSharkSpinStateInit::operator()() const {
    CSharkAttackState& state = State<CSharkAttackState>();
    CItemModel* shark = state.GetModel();
    SetNext(kSharkSpinStateName);
    shark->SetAnimation(1, false);
    CRacerModel* leader = FindLeader();
    CPathItemController* steer = shark->GetPathController();
    if (leader == nullptr || steer == nullptr) {
        DetachFromOwner(shark);
        SetNext(kSharkDestroyStateName);
        return;
    }
    steer->SetTargetId(leader->GetID());
    shark->SetPosition(BehindOf(*leader));
    shark->SetLinearVelocity(leader->GetLinearVelocity());
    shark->SetOrientation(leader->GetOrientation());
    DetachFromOwner(shark);
    if (CItemView* view = shark->GetItemView()) {
        view->Play(1);
    }
    state.GetTimer().StartCountdown(kAttackTime);
}

void CSharkSpinStateAction::operator()() const {
    CSharkAttackState& state = State<CSharkAttackState>();
    if (state.GetNextState() == kSharkDestroyStateName) {
        return;
    }
    CItemModel* shark = state.GetModel();
    CRacerModel* target = Target(shark);
    if (target == nullptr) {
        SetNext(kSharkDestroyStateName);
        return;
    }
    shark->SetPosition(BehindOf(*target));
    const bool finished = shark->GetSceneNode() != nullptr && shark->GetSceneNode()->IsAnimationDone();
    if (!finished && !state.GetTimer().IsExpired()) {
        return;
    }
    SetNext(kSharkDestroyStateName);
    const HitBuilder pull = [](CRacerModel& racer) -> CRacerModel::ItemHitEffectFunc* {
        auto* effect = new HitBySharkFunc(&racer);
        effect->SetForce(SharkPullDirection(racer) * (kPull * racer.GetBody()->GetMass()));
        effect->GetTimer().StartCountdown(kHitTime);
        return effect;
    };
    const ForceEventBuilder send = [](std::uint32_t hitId, std::uint32_t ownerId, std::uint32_t peer) {
        CSharkForceEvt event(hitId, ownerId);
        event.AddRecipient(peer);
        TriggerWorldEvent(event);
    };
    DeliverHit(*target, shark->GetOwner(), pull, send);
}

void CSharkSpinStateExit::operator()() const {
    if (CItemView* view = State<CSharkAttackState>().GetModel()->GetItemView()) {
        view->Stop();
    }
}

void CSharkDestroyStateInit::operator()() const {
    SetNext(kSharkDestroyStateName);
    QueueDestroy(State<CSharkBaseState>().GetModel());
}

void BuildSharkMachine(CItemModel* item) {
    if (velm::gfx::IGfxUnit* unit = item->GetGfxUnit()) {
        unit->SetAlwaysVisible(1);
    }
    common::CStateMachine& machine = *item->GetStateMachine();
    machine.AddState(kSharkNetworkStateName, new CSharkBaseState(item, CSharkNetworkStateInit(),
                                                                 CSharkNetworkStateAction(), CSharkNetworkStateExit()));
    machine.AddState(kSharkSpinStateName, new CSharkAttackState(item, CSharkSpinStateInit(), CSharkSpinStateAction(),
                                                                CSharkSpinStateExit()));
    machine.AddState(kSharkDestroyStateName,
                     new CSharkBaseState(item, CSharkDestroyStateInit(), CItemNoOp(), CItemNoOp()));
    machine.ChangeState(kSharkNetworkStateName);
    item->SetAnimationSpeed(2.0f);
}

} // namespace kelvo
