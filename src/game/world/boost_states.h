// The two items that act on their own owner for a while: the propeller boosts the owner's speed
// while it hangs on it; the reflective coat makes the owner invincible, dressed in the membrane
// effect, and gives back the effect and technique it wore before. Main thread only.
#pragma once

#include <string>

#include "game/world/item_states.h"

namespace kelvo {

class CPropBaseState : public CFamilyState<CItemModel> {
public:
    using CFamilyState::CFamilyState;
};

class CPropBoostState : public CTimedState<CPropBaseState> {
public:
    using CTimedState::CTimedState;
};

class CReflectBaseState : public CFamilyState<CItemModel> {
public:
    using CFamilyState::CFamilyState;
};

class CReflectInvincibleState : public CTimedState<CReflectBaseState> {
public:
    using CTimedState::CTimedState;
    std::string m_savedEffectFile;
    std::string m_savedTechnique;
    // The racer dressed at Init, by id: the one to undress even if the coat lost its owner.
    std::uint32_t m_dressedId = 0;
};

extern const char* const kMembraneEffectFile;
extern const char* const kMembraneTechnique;

KELVO_ITEM_CALLBACK(CPropellerNetworkStateInit);
KELVO_ITEM_CALLBACK(CPropellerNetworkStateAction);
KELVO_ITEM_CALLBACK(CPropellerNetworkStateExit);
KELVO_ITEM_CALLBACK(CPropellerBoostStateInit);
KELVO_ITEM_CALLBACK(CPropellerBoostStateAction);
KELVO_ITEM_CALLBACK(CPropellerBoostStateExit);
KELVO_ITEM_CALLBACK(CPropellerDestroyStateInit);
KELVO_ITEM_CALLBACK(CReflectNetworkStateInit);
KELVO_ITEM_CALLBACK(CReflectNetworkStateAction);
KELVO_ITEM_CALLBACK(CReflectInvincibleStateInit);
KELVO_ITEM_CALLBACK(CReflectInvincibleStateAction);
KELVO_ITEM_CALLBACK(CReflectInvincibleStateExit);
KELVO_ITEM_CALLBACK(CReflectDestroyStateInit);

} // namespace kelvo
