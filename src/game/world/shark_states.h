// The shark's machine: it goes for the race leader (who may be its owner), trails it while its
// attack plays (4.0 s at most) and then drags it down and against the flow. The leader is held
// by id; with no leader, or a leader gone from the race, the shark ends. Main thread only.
#pragma once

#include "game/world/item_states.h"

namespace kelvo {

class CSharkBaseState : public CFamilyState<CItemModel> {
public:
    using CFamilyState::CFamilyState;
};

class CSharkAttackState : public CTimedState<CSharkBaseState> {
public:
    using CTimedState::CTimedState;
};

// The pull's direction for a racer: down and upstream on its water, else down and along +z.
common::CVector3 SharkPullDirection(const CRacerModel& racer);

KELVO_ITEM_CALLBACK(CSharkNetworkStateInit);
KELVO_ITEM_CALLBACK(CSharkNetworkStateAction);
KELVO_ITEM_CALLBACK(CSharkNetworkStateExit);
KELVO_ITEM_CALLBACK(CSharkSpinStateInit);
KELVO_ITEM_CALLBACK(CSharkSpinStateAction);
KELVO_ITEM_CALLBACK(CSharkSpinStateExit);
KELVO_ITEM_CALLBACK(CSharkDestroyStateInit);

} // namespace kelvo
