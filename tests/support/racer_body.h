// A racer's body as the physics tests and benchmarks float it: a cylinder hull with friction and
// bounce, pulled by gravity, slowed by air, pushed by its thrust and carried by the river. The
// caller owns the body; the forces belong to it.
#pragma once

#include <memory>

#include "engine/phy/buoyancy_force.h"
#include "engine/phy/ext_force_cntrl.h"
#include "engine/phy/physics_world.h"
#include "engine/phy/rigid_body.h"

namespace tktest {

// The thrust force is handed back through `thrust` so the caller can steer or throttle it.
inline std::shared_ptr<velm::phy::CRigidBody> MakeRacerBody(velm::phy::CPhysicsWorld& world,
                                                            const common::CVector3& position, float thrustMagnitude,
                                                            velm::phy::ThrustForce** thrust) {
    auto body = std::make_shared<velm::phy::CRigidBody>();
    body->SetPosition(position);
    body->SetCylinderHull(0.5f, 0.6f, 20.0f, 4, 16, false);
    body->SetHullFlag(true);
    body->GetStaticFriction() = 0.4f;
    body->GetDynamicFriction() = 0.2f;
    body->GetRestitution() = 0.3f;
    velm::phy::CRigidBody* raw = body.get();
    body->SetForceCntrl(velm::phy::kGravityForceName, std::make_shared<velm::phy::GravityForce>(raw));
    auto drag = std::make_shared<velm::phy::AirDrag>(raw);
    drag->SetLinearDrag(0.3f);
    drag->SetAngularDrag(0.6f);
    body->SetForceCntrl(velm::phy::kAirDragForceName, drag);
    auto push = std::make_shared<velm::phy::ThrustForce>(raw);
    push->SetMagnitude(thrustMagnitude);
    push->SetScale(0.5f);
    body->SetForceCntrl(velm::phy::kThrustForceName, push);
    auto buoyancy =
        std::make_shared<velm::phy::BuoyancyForce>(raw, &world.GetSimulator(), common::CVector3(0.0f, 0.1f, 0.0f));
    buoyancy->SetUseRiverDensity(true);
    buoyancy->SetUseRiverSpeed(true);
    body->SetForceCntrl(velm::phy::kBuoyancyForceName, buoyancy);
    *thrust = push.get();
    return body;
}

} // namespace tktest
