// The geyser's machine: a steady steam from the start, then idle (2 to 4 s) and erupt (5 to 9 s)
// in turn. Each timer state draws from its own generator, seeded from one running seed (1000,
// then 2000 more per state built), so a level built in the same order erupts alike every run.
// A networked client's geyser goes passive. Main thread only.
#pragma once

#include "game/world/item_states.h"
#include "libs/common/mersenne_twister.h"

namespace kelvo {

class CGeyserBaseState : public CFamilyState<CEnvObjModel> {
public:
    using CFamilyState::CFamilyState;
};

class CGeyserTimerState : public CGeyserBaseState {
public:
    template <class TInit, class TAction, class TExit>
    CGeyserTimerState(CEnvObjModel* model, TInit init, TAction action, TExit exit)
        : CGeyserBaseState(model, init, action, exit), m_timer(1.0f, false) {
        m_generator.Seed(NextSeed());
    }
    common::CCountdownTimer& GetTimer() { return m_timer; }
    common::CMersenneTwister& GetGenerator() { return m_generator; }
    // A number from 0 to 1.
    float DrawUnit() { return static_cast<float>(m_generator.RandomInt(100001)) * 0.00001f; }

private:
    static std::uint32_t NextSeed();

    common::CCountdownTimer m_timer;
    common::CMersenneTwister m_generator;
};

KELVO_ITEM_CALLBACK(CGeyserNetworkStateInit);
KELVO_ITEM_CALLBACK(CGeyserIdleStateInit);
KELVO_ITEM_CALLBACK(CGeyserIdleStateAction);
KELVO_ITEM_CALLBACK(CGeyserEruptStateInit);
KELVO_ITEM_CALLBACK(CGeyserEruptStateAction);
KELVO_ITEM_CALLBACK(CGeyserInitStateInit);
KELVO_ITEM_CALLBACK(CGeyserInitStateAction);

} // namespace kelvo
