#include "game/world/geyser_states.h"

#include "engine/core/object_id.h"
#include "engine/gfx/gfx_unit.h"
#include "game/events/creation_events.h"
#include "game/world/env_obj.h"

namespace kelvo {

namespace {

void Steam(const CEnvObjModel* geyser, const char* key) {
    const common::CVector3 axis(0.0f, 1.0f, 0.0f);
    const common::CVector3 scale(0.03125f, 0.03125f, 0.03125f);
    TriggerWorldEvent(
        CCreateParticleSysFromKeyEvt(key, velm::NewObjectID(), 0, geyser->GetPosition(), &axis, 0.0f, &scale));
}

std::uint32_t g_runningSeed = 1000;

} // namespace

std::uint32_t CGeyserTimerState::NextSeed() {
    const std::uint32_t seed = g_runningSeed;
    g_runningSeed += 2000;
    return seed;
}

void CGeyserNetworkStateInit::operator()() const { SetNext(kGeyserNetworkStateName); }

void CGeyserInitStateInit::operator()() const {
    CEnvObjModel* geyser = State<CGeyserBaseState>().GetModel();
    SetNext(kGeyserInitStateName);
    if (velm::gfx::IGfxUnit* unit = geyser->GetGfxUnit()) {
        unit->SetSkipped(1);
    }
    Steam(geyser, "geyser_normal");
}
void CGeyserInitStateAction::operator()() const { SetNext(kGeyserIdleStateName); }

void CGeyserIdleStateInit::operator()() const {
    CGeyserTimerState& state = State<CGeyserTimerState>();
    SetNext(kGeyserIdleStateName);
    state.GetTimer().StartCountdown(2.0f + 2.0f * state.DrawUnit());
}
void CGeyserIdleStateAction::operator()() const {
    if (State<CGeyserTimerState>().GetTimer().IsExpired()) {
        SetNext(kGeyserEruptStateName);
        if (IsNetworkClient()) {
            SetNext(kGeyserNetworkStateName);
        }
    }
}

void CGeyserEruptStateInit::operator()() const {
    CGeyserTimerState& state = State<CGeyserTimerState>();
    SetNext(kGeyserEruptStateName);
    Steam(state.GetModel(), "geyser_erupt");
    state.GetTimer().StartCountdown(5.0f + 4.0f * state.DrawUnit());
}
void CGeyserEruptStateAction::operator()() const {
    if (State<CGeyserTimerState>().GetTimer().IsExpired()) {
        SetNext(kGeyserIdleStateName);
    }
}

void BuildGeyserMachine(CEnvObjModel* geyser) {
    common::CStateMachine& machine = *geyser->GetStateMachine();
    machine.AddState(kGeyserNetworkStateName,
                     new CGeyserBaseState(geyser, CGeyserNetworkStateInit(), CItemNoOp(), CItemNoOp()));
    machine.AddState(kGeyserIdleStateName,
                     new CGeyserTimerState(geyser, CGeyserIdleStateInit(), CGeyserIdleStateAction(), CItemNoOp()));
    machine.AddState(kGeyserEruptStateName,
                     new CGeyserTimerState(geyser, CGeyserEruptStateInit(), CGeyserEruptStateAction(), CItemNoOp()));
    machine.AddState(kGeyserInitStateName,
                     new CGeyserBaseState(geyser, CGeyserInitStateInit(), CGeyserInitStateAction(), CItemNoOp()));
    machine.ChangeState(kGeyserInitStateName);
}

} // namespace kelvo
