// What every item's state machine shares (and the geyser's): the family state classes bound to
// their model, the callback base, the state names, the Network and Destroy steps, attaching to
// and detaching from the owner, and where a hit is applied. Each family's builder fills the
// model's machine. Main thread only, inside the model's update.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "game/world/racer_model.h"
#include "libs/common/state_machine.h"
#include "libs/common/timer.h"

namespace kelvo {

class CItemModel;
class CEnvObjModel;

extern const char* const kBaitNetworkStateName;
extern const char* const kBaitThrowStateName;
extern const char* const kBaitDestroyStateName;
extern const char* const kDrillNetworkStateName;
extern const char* const kDrillSpinStateName;
extern const char* const kDrillDestroyStateName;
extern const char* const kMineNetworkStateName;
extern const char* const kMineAttachedStateName;
extern const char* const kMineDetachedStateName;
extern const char* const kMineExplodeStateName;
extern const char* const kMineDestroyStateName;
extern const char* const kSharkNetworkStateName;
extern const char* const kSharkSpinStateName;
extern const char* const kSharkDestroyStateName;
extern const char* const kPoleNetworkStateName;
extern const char* const kPoleCastStateName;
extern const char* const kPoleDestroyStateName;
extern const char* const kPropellerNetworkStateName;
extern const char* const kPropellerBoostStateName;
extern const char* const kPropellerDestroyStateName;
extern const char* const kReflectNetworkStateName;
extern const char* const kReflectInvincibleStateName;
extern const char* const kReflectDestroyStateName;
extern const char* const kGeyserNetworkStateName;
extern const char* const kGeyserIdleStateName;
extern const char* const kGeyserEruptStateName;
extern const char* const kGeyserInitStateName;

// A state of one family, bound to the model that owns the machine.
template <class TModel>
class CFamilyState : public common::IStateImp {
public:
    template <class TInit, class TAction, class TExit>
    CFamilyState(TModel* model, TInit init, TAction action, TExit exit)
        : common::IStateImp(init, action, exit), m_model(model) {}
    TModel* GetModel() const { return m_model; }

private:
    TModel* m_model;
};

// A family state with a countdown.
template <class TBase>
class CTimedState : public TBase {
public:
    using TBase::TBase;
    common::CCountdownTimer& GetTimer() { return m_timer; }

private:
    common::CCountdownTimer m_timer{0.0f, false};
};

// The callbacks' base: they reach their state, and through it the model.
class CItemCallback : public common::CBaseSMFunctor {
protected:
    template <class TState>
    TState& State() const {
        return *static_cast<TState*>(m_state);
    }
    void SetNext(const std::string& name) const { m_state->SetNextState(name); }
};

// A callback that does nothing.
class CItemNoOp : public CItemCallback {
public:
    void operator()() const {}
};

#define KELVO_ITEM_CALLBACK(Name)       \
    class Name : public CItemCallback { \
    public:                             \
        void operator()() const;        \
    }

// The Network state's Action: a networked client's item stays passive; elsewhere the item moves
// on to its working state.
void NetworkStep(common::IStateImp& state, const char* workingState);
// The owner attaches the item at `bone` and peers learn it with `eventBone`; false without owner.
bool AttachToOwner(CItemModel* item, std::uint8_t mode, const std::string& bone, const std::string& eventBone);
// The owner lets the item go and peers learn it; nothing without owner.
void DetachFromOwner(CItemModel* item);
// Queues the item's removal.
void QueueDestroy(const CItemModel* item);
// The racer for an id, or null when the id names no racer in the game.
CRacerModel* FindRacerModel(std::uint32_t id);

// Builds a hit effect for the racer it is given.
using HitBuilder = std::function<CRacerModel::ItemHitEffectFunc*(CRacerModel&)>;
// Builds the force event that carries a hit to the machine driving (hit racer, owner).
using ForceEventBuilder = std::function<void(std::uint32_t hitId, std::uint32_t ownerId, std::uint32_t peer)>;

// A hit from an item's machine: applied where the target is driven (here, or through the force
// event to its peer); an invincible target turns it on the owner; a target already hit is left.
void DeliverHit(CRacerModel& target, CRacerModel* owner, const HitBuilder& build, const ForceEventBuilder& send);
// A hit from a collision, applied here: the racer when it can be hit, else the owner when the
// racer is invincible (with the player's hit overlay). True when the racer itself was hit.
bool CollisionHit(CRacerModel& racer, CRacerModel* owner, const HitBuilder& build);

void BuildBaitMachine(CItemModel* item);
void BuildDrillMachine(CItemModel* item);
void BuildMineMachine(CItemModel* item);
void BuildSharkMachine(CItemModel* item);
void BuildPoleMachine(CItemModel* item);
void BuildPropellerMachine(CItemModel* item);
void BuildReflectMachine(CItemModel* item);
void BuildGeyserMachine(CEnvObjModel* geyser);

// The bait: its inert frame of three states.
class CBaitBaseState : public CFamilyState<CItemModel> {
public:
    using CFamilyState::CFamilyState;
};

KELVO_ITEM_CALLBACK(CBaitNetworkStateInit);
KELVO_ITEM_CALLBACK(CBaitThrowStateInit);
KELVO_ITEM_CALLBACK(CBaitDestroyStateInit);

} // namespace kelvo
