// The mine's machine: it hangs on its owner until dropped, floats for its fuse and explodes with
// a splash; a racer that touches it sets it off at once (the collision rules). Main thread only.
#pragma once

#include "game/world/item_states.h"

namespace kelvo {

class CMineBaseState : public CFamilyState<CItemModel> {
public:
    using CFamilyState::CFamilyState;
};

// The countdown serves the fuse and the explosion's one frame.
class CMineDetachedState : public CTimedState<CMineBaseState> {
public:
    using CTimedState::CTimedState;
};

KELVO_ITEM_CALLBACK(CMineNetworkStateInit);
KELVO_ITEM_CALLBACK(CMineNetworkStateAction);
KELVO_ITEM_CALLBACK(CMineNetworkStateExit);
KELVO_ITEM_CALLBACK(CMineAttachedStateInit);
KELVO_ITEM_CALLBACK(CMineAttachedStateAction);
KELVO_ITEM_CALLBACK(CMineAttachedStateExit);
KELVO_ITEM_CALLBACK(CMineDetachedStateInit);
KELVO_ITEM_CALLBACK(CMineDetachedStateAction);
KELVO_ITEM_CALLBACK(CMineExplodeStateInit);
KELVO_ITEM_CALLBACK(CMineExplodeStateAction);
KELVO_ITEM_CALLBACK(CMineDestroyStateInit);

} // namespace kelvo
