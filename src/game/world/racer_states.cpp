#include "game/world/racer_states.h"

#include "engine/gfx/gfx_unit.h"
#include "engine/phy/buoyancy_force.h"
#include "engine/phy/ext_force_cntrl.h"
#include "engine/phy/rigid_body.h"
#include "game/events/game_events.h"
#include "game/world/racer_controller.h"
#include "game/world/racer_model.h"
#include "game/world/racer_view.h"
#include "libs/common/math_util.h"
#include "libs/common/quaternion.h"

namespace kelvo {

const char* const kIdleStateName = "Idle_State";
const char* const kNetworkStateName = "Network_State";
const char* const kLeftStateName = "Left_State";
const char* const kRightStateName = "Right_State";
const char* const kHurtStateName = "Hurt_State";
const char* const kSlapStateName = "Slap_State";
const char* const kFireWeaponStateName = "Fire_Weapon_State";
const char* const kPrepWeaponStateName = "Prep_Weapon_State";
const char* const kFallStartStateName = "Fall_Start_State";
const char* const kFallLoopStateName = "Fall_Loop_State";
const char* const kFallEndStateName = "Fall_End_State";

namespace {

using common::CVector3;

constexpr float kYawStep = 0.07853982f;
constexpr float kFullTurn = 6.2831855f;
const CVector3 kUp(0.0f, 1.0f, 0.0f);

bool IsZeroVector(const CVector3& v) { return common::IsZero(v.LengthSquared()); }

// Shows the wake on the water under a moving racer, hides it out of the water; a motionless
// racer leaves it where it was.
void TrailStep(CRacerModel* racer) {
    velm::gfx::IGfxUnit* trail = racer->GetTrail();
    if (trail == nullptr || !(racer->GetLinearVelocity().LengthSquared() > 0.0f)) {
        return;
    }
    velm::phy::BuoyancyForce* buoyancy = racer->GetBuoyancy();
    CVector3 surface;
    if (buoyancy != nullptr && buoyancy->IsInWater() && buoyancy->GetSurfacePoint(surface)) {
        trail->SetSkipped(0);
        trail->SetPosition(surface.x, surface.y, surface.z - 0.3f, true);
    } else {
        trail->SetSkipped(1);
    }
}

void HoldThrustMagnitude(CRacerModel* racer) {
    racer->GetThrust()->SetMagnitude(racer->HasHitEffect() ? 0.0f : racer->GetThrustInput());
}

// The velocity mirrored about the line of `along` when it runs forward along it, else `along`:
// thrusting there cancels the sideways drift.
CVector3 DriftCancellingTarget(const CVector3& velocity, const CVector3& along, bool needBothPositive) {
    if (IsZeroVector(velocity)) {
        return along;
    }
    const CVector3 drift = velocity - common::ProjectOnto(velocity, along);
    const CVector3 mirrored = (velocity - 2.0f * drift).GetNormalized();
    if (velocity.Dot(along) > 0.0f && (!needBothPositive || velocity.Dot(mirrored) > 0.0f)) {
        return mirrored;
    }
    return along;
}

void TurnAction(CRacerModel* racer, bool left) {
    const std::shared_ptr<velm::phy::CRigidBody>& body = racer->GetBody();
    if (!body->GetHullFlag()) {
        CVector3 axis;
        float angle = 0.0f;
        racer->GetOrientation().ToAxisAngle(axis, angle);
        if (left) {
            angle -= kYawStep;
            if (angle < 0.0f) {
                angle = kFullTurn;
            }
        } else {
            angle += kYawStep;
            if (angle > kFullTurn) {
                angle = 0.0f;
            }
        }
        common::CQuaternion yaw;
        yaw.FromAxisAngle(kUp, angle);
        racer->SetOrientation(yaw);
    } else {
        const float turning = racer->GetTurning();
        body->ApplyLocalAngularImpulse(CVector3(0.0f, left ? -turning : turning, 0.0f));
    }
    CRacerController* controller = racer->GetRacerController();
    if (controller != nullptr) {
        racer->SetThrustInput(controller->GetThrust());
        if (racer->AnimationDone()) {
            const bool paddling = controller->IsPaddling();
            racer->SetAnimation(left ? (paddling ? 6 : 3) : (paddling ? 5 : 2), false);
        }
    }
    HoldThrustMagnitude(racer);
    CVector3 target = DriftCancellingTarget(racer->GetLinearVelocity(), racer->GetHeading(), false);
    if (target.x > 0.0f) {
        target.x = 0.0f;
    }
    racer->GetThrust()->SetDirection(target);
    if (racer->AnimationDone()) {
        racer->SetAnimationFlag(true);
    }
    TrailStep(racer);
}

void TurnInit(CRacerModel* racer, bool left) {
    CRacerController* controller = racer->GetRacerController();
    if (controller != nullptr && racer->AnimationDone()) {
        const bool paddling = controller->IsPaddling();
        racer->SetAnimation(left ? (paddling ? 6 : 3) : (paddling ? 5 : 2), false);
    }
    TrailStep(racer);
}

void PlayViewSound(CRacerModel* racer, int which) {
    CRacerView* view = racer->GetRacerView();
    if (view == nullptr) {
        return;
    }
    switch (which) {
        case 0:
            view->PlayHurtSound();
            break;
        case 1:
            view->PlaySlapSound();
            break;
        case 2:
            view->PlayFallSound();
            break;
        default:
            view->PauseFallSound();
            break;
    }
}

} // namespace

void CRacerCallback::CopyRequest(CRacerModel* racer) const {
    CRacerController* controller = racer->GetRacerController();
    if (controller != nullptr) {
        SetNext(controller->GetStateName());
    }
}

void CIdleStateInit::operator()(CRacerModel* racer) const {
    StayHere(kIdleStateName);
    CRacerController* controller = racer->GetRacerController();
    if (controller != nullptr) {
        controller->SetStateName(kIdleStateName);
        if (controller->IsPaddling() && racer->AnimationDone()) {
            racer->SetAnimation(4, true);
        } else if (racer->AnimationDone() || racer->CurrentAnimation() == 16) {
            racer->SetAnimation(1, true);
        }
    }
    TrailStep(racer);
}

void CIdleStateAction::operator()(CRacerModel* racer) const {
    CRacerController* controller = racer->GetRacerController();
    if (controller != nullptr) {
        racer->SetThrustInput(controller->GetThrust());
    }
    HoldThrustMagnitude(racer);
    const CVector3 desired = controller != nullptr ? controller->GetDesiredDirection() : CVector3();
    const CVector3 velocity = racer->GetLinearVelocity();
    const CVector3 target = DriftCancellingTarget(velocity, desired, true);
    const CVector3 heading = racer->GetHeading();
    const float d = heading.Dot(desired);
    const std::shared_ptr<velm::phy::CRigidBody>& body = racer->GetBody();
    if (1.0f - d > 0.1f) {
        const CVector3 axis = heading.Cross(desired).GetNormalized();
        racer->SetAnimation(axis.Dot(kUp) >= 0.0f ? 5 : 6, false);
        body->ApplyAngularImpulse(axis * racer->GetTurning());
    } else if (1.0f - d < 0.0005f && controller != nullptr) {
        racer->SetAnimation(controller->IsPaddling() ? 4 : 1, true);
    }
    if (d > 0.8f) {
        if (d > 0.98f) {
            body->SetAngularVelocity(body->GetAngularVelocity() * 0.94f);
        }
        body->AddTorque(-0.1f * body->GetAngularVelocity());
    }
    racer->GetThrust()->SetDirection(target);
    TrailStep(racer);
    CopyRequest(racer);
}

void CIdleStateExit::operator()(CRacerModel* /*racer*/) const {}

void CNetworkStateInit::operator()(CRacerModel* racer) const {
    StayHere(kNetworkStateName);
    racer->SetAnimation(1, true);
}

void CNetworkStateAction::operator()(CRacerModel* racer) const {
    if (racer->GetControlKind() == CONTROL_LOCAL_PLAYER || racer->GetControlKind() == CONTROL_LOCAL_OTHER) {
        SetNext(kIdleStateName);
    }
}

void CNetworkStateExit::operator()(CRacerModel* racer) const { racer->SetAnimationSpeed(1.4285715f); }

void CLeftStateInit::operator()(CRacerModel* racer) const {
    StayHere(kLeftStateName);
    TurnInit(racer, true);
}

void CLeftStateAction::operator()(CRacerModel* racer) const {
    TurnAction(racer, true);
    CopyRequest(racer);
}

void CLeftStateExit::operator()(CRacerModel* /*racer*/) const {}

void CRightStateInit::operator()(CRacerModel* racer) const {
    StayHere(kRightStateName);
    TurnInit(racer, false);
}

void CRightStateAction::operator()(CRacerModel* racer) const {
    TurnAction(racer, false);
    CopyRequest(racer);
}

void CRightStateExit::operator()(CRacerModel* /*racer*/) const {}

void CHurtStateInit::operator()(CRacerModel* racer) const {
    StayHere(kHurtStateName);
    racer->SetAnimation(12, false);
    PlayViewSound(racer, 0);
    const std::shared_ptr<velm::phy::CRigidBody>& body = racer->GetBody();
    body->SetLinearVelocity(CVector3());
    body->SetAngularVelocity(CVector3());
    body->SetForceAccum(CVector3());
    body->SetTorqueAccum(CVector3());
    if (velm::phy::BuoyancyForce* buoyancy = racer->GetBuoyancy()) {
        buoyancy->SetFlowSpeed(0.0f);
        buoyancy->SetUseRiverSpeed(false);
    }
    racer->GetThrust()->SetMagnitude(0.0f);
}

void CHurtStateAction::operator()(CRacerModel* /*racer*/) const {}

void CHurtStateExit::operator()(CRacerModel* racer) const {
    if (velm::phy::BuoyancyForce* buoyancy = racer->GetBuoyancy()) {
        buoyancy->SetUseRiverSpeed(true);
    }
    racer->GetBody()->SetLinearVelocity(CVector3());
    racer->GetBody()->SetAngularVelocity(CVector3());
}

void CSlapStateInit::operator()(CRacerModel* racer) const {
    StayHere(kSlapStateName);
    racer->SetAnimation(9, false);
    racer->RestartAnimation();
    PlayViewSound(racer, 1);
}

void CSlapStateAction::operator()(CRacerModel* racer) const {
    if (racer->AnimationDone()) {
        SetNext(kIdleStateName);
    }
}

void CSlapStateExit::operator()(CRacerModel* /*racer*/) const {}

void CFireWeaponsStateInit::operator()(CRacerModel* racer) const {
    StayHere(kFireWeaponStateName);
    QueueWorldEvent(std::make_shared<CFireItemEvt>(racer->GetID()));
}

void CFireWeaponsStateAction::operator()(CRacerModel* /*racer*/) const { SetNext(kIdleStateName); }

void CFireWeaponsStateExit::operator()(CRacerModel* /*racer*/) const {}

void CPrepWeaponsStateInit::operator()(CRacerModel* /*racer*/) const { StayHere(kPrepWeaponStateName); }

void CPrepWeaponsStateAction::operator()(CRacerModel* /*racer*/) const { SetNext(kIdleStateName); }

void CPrepWeaponsStateExit::operator()(CRacerModel* /*racer*/) const {}

void CFallStartStateInit::operator()(CRacerModel* racer) const {
    StayHere(kFallStartStateName);
    racer->SetAnimation(15, false);
    racer->RestartAnimation();
}

void CFallStartStateAction::operator()(CRacerModel* racer) const {
    if (racer->AnimationDone()) {
        SetNext(kFallLoopStateName);
    }
}

void CFallStartStateExit::operator()(CRacerModel* /*racer*/) const {}

void CFallLoopStateInit::operator()(CRacerModel* racer) const {
    StayHere(kFallLoopStateName);
    racer->SetAnimation(14, true);
    racer->RestartAnimation();
    PlayViewSound(racer, 2);
    if (CRacerController* controller = racer->GetRacerController()) {
        controller->SetStateName(kFallLoopStateName);
    }
}

void CFallLoopStateAction::operator()(CRacerModel* racer) const {
    CRacerController* controller = racer->GetRacerController();
    if (controller != nullptr && controller->GetStateName() == kFallEndStateName) {
        PlayViewSound(racer, 3);
        SetNext(controller->GetStateName());
    }
}

void CFallLoopStateExit::operator()(CRacerModel* /*racer*/) const {}

void CFallEndStateInit::operator()(CRacerModel* racer) const {
    StayHere(kFallEndStateName);
    racer->SetAnimation(13, false);
    racer->RestartAnimation();
}

void CFallEndStateAction::operator()(CRacerModel* racer) const {
    if (racer->AnimationDone()) {
        SetNext(kIdleStateName);
    }
}

void CFallEndStateExit::operator()(CRacerModel* /*racer*/) const {}

void AddRacerStates(common::CStateMachine& machine, CRacerModel* racer) {
    machine.AddState(kIdleStateName, new CRacerStateImp(racer, CIdleStateInit(), CIdleStateAction(), CIdleStateExit()));
    machine.AddState(kNetworkStateName,
                     new CRacerStateImp(racer, CNetworkStateInit(), CNetworkStateAction(), CNetworkStateExit()));
    machine.AddState(kLeftStateName, new CRacerStateImp(racer, CLeftStateInit(), CLeftStateAction(), CLeftStateExit()));
    machine.AddState(kRightStateName,
                     new CRacerStateImp(racer, CRightStateInit(), CRightStateAction(), CRightStateExit()));
    machine.AddState(kHurtStateName, new CRacerStateImp(racer, CHurtStateInit(), CHurtStateAction(), CHurtStateExit()));
    machine.AddState(kSlapStateName, new CRacerStateImp(racer, CSlapStateInit(), CSlapStateAction(), CSlapStateExit()));
    machine.AddState(kFireWeaponStateName, new CRacerStateImp(racer, CFireWeaponsStateInit(), CFireWeaponsStateAction(),
                                                              CFireWeaponsStateExit()));
    machine.AddState(kPrepWeaponStateName, new CRacerStateImp(racer, CPrepWeaponsStateInit(), CPrepWeaponsStateAction(),
                                                              CPrepWeaponsStateExit()));
    machine.AddState(kFallStartStateName,
                     new CRacerStateImp(racer, CFallStartStateInit(), CFallStartStateAction(), CFallStartStateExit()));
    machine.AddState(kFallLoopStateName,
                     new CRacerStateImp(racer, CFallLoopStateInit(), CFallLoopStateAction(), CFallLoopStateExit()));
    machine.AddState(kFallEndStateName,
                     new CRacerStateImp(racer, CFallEndStateInit(), CFallEndStateAction(), CFallEndStateExit()));
}

} // namespace kelvo
