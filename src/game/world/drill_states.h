// The drill's machine: fired forward, it runs along the AI's "stage1hard" path and homes on the
// racer one place ahead once that racer is nearer than its waypoint. Its target is held by id;
// a target gone from the race, a missing owner or a path of fewer than two waypoints end the
// drill. Main thread only.
#pragma once

#include "game/world/item_states.h"

namespace velm::ai {
class CAIManager;
}

namespace kelvo {

class CDrillBaseState : public CFamilyState<CItemModel> {
public:
    using CFamilyState::CFamilyState;
};

class CDrillSpinState : public CTimedState<CDrillBaseState> {
public:
    using CTimedState::CTimedState;
};

// Where drills find their path: the application's AI manager unless one is set here.
void SetDrillPathSource(const velm::ai::CAIManager* manager);

KELVO_ITEM_CALLBACK(CDrillNetworkStateInit);
KELVO_ITEM_CALLBACK(CDrillNetworkStateAction);
KELVO_ITEM_CALLBACK(CDrillNetworkStateExit);
KELVO_ITEM_CALLBACK(CDrillSpinStateInit);
KELVO_ITEM_CALLBACK(CDrillSpinStateAction);
KELVO_ITEM_CALLBACK(CDrillSpinStateExit);
KELVO_ITEM_CALLBACK(CDrillDestroyStateInit);

} // namespace kelvo
