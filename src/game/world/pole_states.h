// The fishing pole's machine: held by its owner, cast along the owner's facing, it hooks the
// nearest racer in its cone and pulls it after the cast; then it is put away. The hooked racer
// is held by id; one gone from the race by the pull ends the pole unhit. Main thread only.
#pragma once

#include "game/world/item_states.h"

namespace kelvo {

class CPoleBaseState : public CFamilyState<CItemModel> {
public:
    using CFamilyState::CFamilyState;
    // 0 for none.
    std::uint32_t m_hookedId = 0;
};

class CPoleCastState : public CTimedState<CPoleBaseState> {
public:
    using CTimedState::CTimedState;
    bool m_pulled = false;
};

KELVO_ITEM_CALLBACK(CPoleNetworkStateInit);
KELVO_ITEM_CALLBACK(CPoleNetworkStateAction);
KELVO_ITEM_CALLBACK(CPoleNetworkStateExit);
KELVO_ITEM_CALLBACK(CPoleCastStateInit);
KELVO_ITEM_CALLBACK(CPoleCastStateAction);
KELVO_ITEM_CALLBACK(CPoleDestroyStateInit);

} // namespace kelvo
