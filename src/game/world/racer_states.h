// The racer's eleven states: the driving step (Idle), the network state, the turning states,
// hurt, slap, firing and the fall sequence. Each state is a CRacerStateImp of three callbacks
// bound to their racer. Main thread only, inside the racer's update.
#pragma once

#include "libs/common/state_machine.h"

namespace kelvo {

class CRacerModel;

extern const char* const kIdleStateName;
extern const char* const kNetworkStateName;
extern const char* const kLeftStateName;
extern const char* const kRightStateName;
extern const char* const kHurtStateName;
extern const char* const kSlapStateName;
extern const char* const kFireWeaponStateName;
extern const char* const kPrepWeaponStateName;
extern const char* const kFallStartStateName;
extern const char* const kFallLoopStateName;
extern const char* const kFallEndStateName;

class CRacerStateImp : public common::IStateImp {
public:
    template <class TInit, class TAction, class TExit>
    CRacerStateImp(CRacerModel* racer, TInit init, TAction action, TExit exit)
        : common::IStateImp(common::CBinder<TInit, CRacerModel*>(init, racer),
                            common::CBinder<TAction, CRacerModel*>(action, racer),
                            common::CBinder<TExit, CRacerModel*>(exit, racer)) {}
};

// The callbacks' shared base: the owning state is where they write their next-state name.
class CRacerCallback : public common::CBaseSMFunctor {
protected:
    void SetNext(const std::string& name) const { m_state->SetNextState(name); }
    // Init's first step: stay here until told otherwise.
    void StayHere(const char* name) const { SetNext(name); }
    // The controller's requested state becomes this state's next one.
    void CopyRequest(CRacerModel* racer) const;
};

#define KELVO_RACER_CALLBACK(Name)                 \
    class Name : public CRacerCallback {           \
    public:                                        \
        void operator()(CRacerModel* racer) const; \
    }

KELVO_RACER_CALLBACK(CIdleStateInit);
KELVO_RACER_CALLBACK(CIdleStateAction);
KELVO_RACER_CALLBACK(CIdleStateExit);
KELVO_RACER_CALLBACK(CNetworkStateInit);
KELVO_RACER_CALLBACK(CNetworkStateAction);
KELVO_RACER_CALLBACK(CNetworkStateExit);
KELVO_RACER_CALLBACK(CLeftStateInit);
KELVO_RACER_CALLBACK(CLeftStateAction);
KELVO_RACER_CALLBACK(CLeftStateExit);
KELVO_RACER_CALLBACK(CRightStateInit);
KELVO_RACER_CALLBACK(CRightStateAction);
KELVO_RACER_CALLBACK(CRightStateExit);
KELVO_RACER_CALLBACK(CHurtStateInit);
KELVO_RACER_CALLBACK(CHurtStateAction);
KELVO_RACER_CALLBACK(CHurtStateExit);
KELVO_RACER_CALLBACK(CSlapStateInit);
KELVO_RACER_CALLBACK(CSlapStateAction);
KELVO_RACER_CALLBACK(CSlapStateExit);
KELVO_RACER_CALLBACK(CFireWeaponsStateInit);
KELVO_RACER_CALLBACK(CFireWeaponsStateAction);
KELVO_RACER_CALLBACK(CFireWeaponsStateExit);
KELVO_RACER_CALLBACK(CPrepWeaponsStateInit);
KELVO_RACER_CALLBACK(CPrepWeaponsStateAction);
KELVO_RACER_CALLBACK(CPrepWeaponsStateExit);
KELVO_RACER_CALLBACK(CFallStartStateInit);
KELVO_RACER_CALLBACK(CFallStartStateAction);
KELVO_RACER_CALLBACK(CFallStartStateExit);
KELVO_RACER_CALLBACK(CFallLoopStateInit);
KELVO_RACER_CALLBACK(CFallLoopStateAction);
KELVO_RACER_CALLBACK(CFallLoopStateExit);
KELVO_RACER_CALLBACK(CFallEndStateInit);
KELVO_RACER_CALLBACK(CFallEndStateAction);
KELVO_RACER_CALLBACK(CFallEndStateExit);

#undef KELVO_RACER_CALLBACK

// Registers the eleven states in their order.
void AddRacerStates(common::CStateMachine& machine, CRacerModel* racer);

} // namespace kelvo
